#include "engine/RendererWatchdog.h"

#include <QTimer>
#include <QWebEnginePage>

#include <algorithm>
#include <csignal>
#include <utility>

namespace {
// How often the page is asked while it is on the screen, and while it is
// not: a hidden page's question is asked less often and serves only to tell
// which page of a frozen process froze it.
constexpr int ShownAskIntervalMs = 1000;
constexpr int HiddenAskIntervalMs = 3000;

// How long the page shown may leave its question unanswered before its
// process counts as hung. Generous: a busy machine, a long script of the
// page's own or a slow network must not end a page that is merely slow.
constexpr qint64 HangMs = 10000;
constexpr qint64 TimerSlackMs = 100;

quint64 g_showCount = 0;

// Milliseconds on a clock all watchdogs share.
qint64 now()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}
} // namespace

QList<RendererWatchdog *> &RendererWatchdog::all()
{
    static QList<RendererWatchdog *> watchdogs;
    return watchdogs;
}

RendererWatchdog::RendererWatchdog(QWebEnginePage *page, QObject *parent)
    : QObject(parent), m_page(page), m_timer(new QTimer(this))
{
    all().append(this);
    m_timer->setInterval(HiddenAskIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &RendererWatchdog::tick);
    m_timer->start();
    // A question put to a document that has gone, or to a process that has,
    // may never be answered: it is forgotten, and the next one asked of the
    // page as it is now. A frozen process starts and finishes no document.
    connect(page, &QWebEnginePage::loadStarted, this, &RendererWatchdog::forgetQuestion);
    connect(page, &QWebEnginePage::urlChanged, this, &RendererWatchdog::forgetQuestion);
    connect(page, &QWebEnginePage::renderProcessPidChanged, this, [this] {
        forgetQuestion();
        m_heard = -1;
    });
    // A page that finished loading was heard from: its process was working
    // then, even if it hangs before the page is first asked.
    connect(page, &QWebEnginePage::loadFinished, this, [this] { m_heard = now(); });
}

RendererWatchdog::~RendererWatchdog()
{
    all().removeOne(this);
}

void RendererWatchdog::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (shown)
        m_shownOrder = ++g_showCount;
    m_timer->setInterval(shown ? ShownAskIntervalMs : HiddenAskIntervalMs);
}

bool RendererWatchdog::takeBlame()
{
    return std::exchange(m_blamed, false);
}

void RendererWatchdog::forgetQuestion()
{
    m_asked.invalidate();
    ++m_question;
}

void RendererWatchdog::ask(qint64 round)
{
    m_asked.start();
    m_lastAskedRound = round;
    if (m_heard < 0)
        m_heard = round;
    const quint64 question = ++m_question;
    // The answer may come after this watchdog is gone (the page answers
    // every open question when it goes).
    m_page->runJavaScript(QStringLiteral("0"), [watchdog = QPointer(this), question, round](const QVariant &) {
        if (watchdog && watchdog->m_question == question) {
            watchdog->m_asked.invalidate();
            watchdog->m_heard = std::max(watchdog->m_heard, round);
        }
    });
}

void RendererWatchdog::tick()
{
    if (!m_page)
        return;
    const qint64 pid = m_page->renderProcessPid();
    if (pid <= 0)
        return;
    QList<RendererWatchdog *> onProcess;
    for (RendererWatchdog *other : std::as_const(all())) {
        if (other->m_page && other->m_page->renderProcessPid() == pid)
            onProcess.append(other);
    }
    // The pages of one process are asked together, in rounds: those that
    // answer all answer the same round, and a page first asked after the
    // process hung is first heard of in a later round than the others. A
    // page is asked no more often than its own watchdog asks, or one shown
    // on the same process.
    const qint64 round = now();
    // (Less a little: timers of the same interval do not fire exactly apart.)
    const qint64 interval = m_timer->interval() - TimerSlackMs;
    for (RendererWatchdog *other : std::as_const(onProcess)) {
        const bool due = other->m_lastAskedRound < 0 || round - other->m_lastAskedRound >= interval;
        if (!other->m_asked.isValid() && due)
            other->ask(round);
    }
    if (!m_shown || !m_asked.isValid() || m_asked.elapsed() < HangMs)
        return;

    // The page on the screen has not answered for long: its process is hung,
    // and every page on it has stopped answering together. Which page hung
    // it can only be guessed: the one last heard from in the earliest round
    // (a page opened after the process hung was never heard from before),
    // and of pages last heard from in the same round the one shown last, as
    // the one the user was looking at when it froze.
    RendererWatchdog *blamed = nullptr;
    for (RendererWatchdog *other : std::as_const(onProcess)) {
        if (!other->m_asked.isValid())
            continue;
        if (!blamed || other->m_heard < blamed->m_heard
            || (other->m_heard == blamed->m_heard && other->m_shownOrder > blamed->m_shownOrder))
            blamed = other;
    }
    if (!blamed || ::kill(pid_t(pid), SIGKILL) != 0)
        return;
    blamed->m_blamed = true;
    // The process is gone: none of its pages will answer, and it is not
    // ended twice before the engine reports it ended.
    for (RendererWatchdog *other : std::as_const(onProcess))
        other->forgetQuestion();
}
