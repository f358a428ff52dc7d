#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QTimer;
class QWebEnginePage;

// Watches the process that runs a tab's page. The tabs of one web site share
// one process, so a page that runs a script without end freezes them all;
// the watchdog asks the page a trivial question now and then and, when the
// page shown has left its question unanswered too long, ends the process.
// The engine then reports the process ended to every page on it: the page
// blamed for the hang is not loaded again, the others are.
class RendererWatchdog : public QObject
{
    Q_OBJECT

public:
    RendererWatchdog(QWebEnginePage *page, QObject *parent);
    ~RendererWatchdog() override;

    // Whether the page is on the screen; asked more often while it is.
    void setShown(bool shown);
    // True once after the process was ended for this page's hang.
    bool takeBlame();

private:
    void tick();
    void forgetQuestion();
    void ask(qint64 round);
    // The watchdogs of all pages, to find those that share a process.
    static QList<RendererWatchdog *> &all();

    QPointer<QWebEnginePage> m_page;
    QTimer *m_timer = nullptr;
    bool m_shown = false;
    bool m_blamed = false;
    // Since when the page's question has been waiting; invalid when none is.
    QElapsedTimer m_asked;
    // Tells an answer to the question asked now from one to a question
    // already forgotten.
    quint64 m_question = 0;
    // When the page was last heard from on its process: the round it last
    // answered in or when it last finished loading, or before either the
    // round it was first asked in; -1 before that.
    qint64 m_heard = -1;
    qint64 m_lastAskedRound = -1;
    // When the page was last shown, in the order pages were shown.
    quint64 m_shownOrder = 0;
};
