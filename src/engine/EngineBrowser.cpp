#include "engine/EngineBrowser.h"

#include "engine/BrowserProfile.h"
#include "engine/EnginePage.h"
#include "engine/RendererWatchdog.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

#include <algorithm>
#include <array>
#include <utility>

namespace {
const QString AboutPrefix = QStringLiteral("about:");

// How long after a click or Enter the engine's report of a followed link
// still counts as the user's: the click reaches the page's process first and
// the navigation comes back from there, which on a busy machine takes a
// while. The action is used up by the first report anyway.
constexpr qint64 UserNavigationWindowMs = 3000;

// A page whose renderer ends again this soon after it was loaded again is
// left as it is, so a page that kills its renderer cannot loop.
constexpr qint64 RecoveryIntervalMs = 5000;

// The zoom steps of Ctrl+plus and Ctrl+minus: the engine's own steps for
// Ctrl+wheel, between its smallest and largest factor.
constexpr std::array ZoomSteps{0.25, 0.33, 0.5, 0.67, 0.75, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0, 5.0};

// The loading line: its height, and how much of it shows before the engine
// has reported any progress.
constexpr int LoadingLineHeight = 3;
constexpr int LoadingLineLeastPercent = 10;

// The engine reports a hovered link in its readable form (%D0%BA shown as
// the letter); the address the link names is the encoded one.
QString linkAddress(const QString &shown)
{
    if (shown.isEmpty())
        return shown;
    return QString::fromLatin1(QUrl(shown).toEncoded());
}
} // namespace

EngineBrowser::EngineBrowser(QWidget *parent) : WebBrowser(parent)
{
    // Pages must be gone before the shared profile is; the application
    // drops the profile right after the event loop ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { releaseEngine(); });
}

EngineBrowser::~EngineBrowser()
{
    m_loading = false;
    updateBusyPointer();
    releaseEngine();
}

void EngineBrowser::setSilent(bool silent)
{
    m_silent = silent;
    if (m_page)
        m_page->setSilent(silent);
}

bool EngineBrowser::isSilent() const
{
    return m_silent;
}

void EngineBrowser::navigate(const QString &address, int flags)
{
    if (m_page)
        load(address, flags);
    else
        m_pending.keep(address, flags);
}

void EngineBrowser::pageCommand(PageCommand command)
{
    if (!m_page)
        return;
    const qreal zoom = m_page->zoomFactor();
    switch (command) {
    case PageCommand::Back:
        m_page->triggerAction(QWebEnginePage::Back);
        break;
    case PageCommand::Forward:
        m_page->triggerAction(QWebEnginePage::Forward);
        break;
    case PageCommand::Reload:
        m_page->triggerAction(QWebEnginePage::Reload);
        break;
    case PageCommand::ZoomIn: {
        const auto next = std::find_if(ZoomSteps.begin(), ZoomSteps.end(), [zoom](double z) { return z > zoom + 0.001; });
        if (next != ZoomSteps.end())
            m_page->setZoomFactor(*next);
        break;
    }
    case PageCommand::ZoomOut: {
        const auto next = std::find_if(ZoomSteps.rbegin(), ZoomSteps.rend(), [zoom](double z) { return z < zoom - 0.001; });
        if (next != ZoomSteps.rend())
            m_page->setZoomFactor(*next);
        break;
    }
    case PageCommand::ZoomReset:
        m_page->setZoomFactor(1.0);
        break;
    case PageCommand::LeaveFullScreen:
        if (m_fullScreen)
            m_page->triggerAction(QWebEnginePage::ExitFullScreen);
        break;
    }
}

QWebEngineView *EngineBrowser::view() const
{
    return m_view;
}

void EngineBrowser::showEvent(QShowEvent *event)
{
    WebBrowser::showEvent(event);
    if (m_watchdog)
        m_watchdog->setShown(true);
    if (m_view || m_engineScheduled)
        return;
    // Starting the engine takes a noticeable moment (about 0.1 s warm, more
    // cold); let the window and the first catalogue page paint first. One
    // deferral is not enough: start-up lets pending events run once before
    // it draws the page, and a single posted call would run right there.
    // Events posted while that pass runs wait for the next one.
    m_engineScheduled = true;
    QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, [this] { createEngine(); }); });
}

void EngineBrowser::resizeEvent(QResizeEvent *event)
{
    WebBrowser::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
    if (m_loading)
        showLoading(true, m_loadPercent);
}

void EngineBrowser::hideEvent(QHideEvent *event)
{
    WebBrowser::hideEvent(event);
    if (m_watchdog)
        m_watchdog->setShown(false);
    // A page that is no longer shown (its tab left or closed) does not keep
    // the screen.
    pageCommand(PageCommand::LeaveFullScreen);
    updateBusyPointer();
}

void EngineBrowser::enterEvent(QEnterEvent *event)
{
    WebBrowser::enterEvent(event);
    updateBusyPointer();
}

void EngineBrowser::leaveEvent(QEvent *event)
{
    WebBrowser::leaveEvent(event);
    updateBusyPointer();
}

void EngineBrowser::createEngine()
{
    if (m_view)
        return;
    if (!BrowserProfile::exists()) {
        // The first engine start blocks for a while: put on the screen what
        // the window has drawn so far (at start-up, the catalogue page).
        if (QWidget *top = window(); top->isVisible())
            top->repaint();
    }
    QWebEngineProfile *profile = m_stripProfile ? BrowserProfile::strip() : BrowserProfile::shared();
    if (!profile)
        return; // the application is shutting down
    m_view = new QWebEngineView(this);
    // The view's input widget is replaced when its renderer changes: watch
    // the view for new children and each child for the user's clicks and keys.
    m_view->installEventFilter(this);
    m_page = new EnginePage(profile, m_view);
    m_page->setSilent(m_silent);
    m_view->setPage(m_page);
    // The tabs' pages have a short menu of the program's own; the strip none.
    m_view->setContextMenuPolicy(m_stripProfile ? Qt::PreventContextMenu : Qt::CustomContextMenu);
    m_view->setGeometry(rect());
    // The keyboard goes to the page whenever the browser is given it.
    const bool hadFocus = QApplication::focusWidget() == this;
    setFocusProxy(m_view);
    if (hadFocus)
        m_view->setFocus();
    connect(m_view, &QWidget::customContextMenuRequested, this, [this] { showContextMenu(); });
    if (!m_stripProfile) {
        m_loadingLine = new QWidget(this);
        m_loadingLine->setAutoFillBackground(true);
        QPalette line = m_loadingLine->palette();
        line.setColor(QPalette::Window, QColor(0, 120, 215));
        m_loadingLine->setPalette(line);
        m_loadingLine->hide();
        connect(m_page, &QWebEnginePage::loadStarted, this, [this] { showLoading(true, 0); });
        connect(m_page, &QWebEnginePage::loadProgress, this, [this](int percent) {
            if (m_loading)
                showLoading(true, percent);
        });
        connect(m_page, &QWebEnginePage::loadFinished, this, [this] { showLoading(false, 0); });
        m_watchdog = new RendererWatchdog(m_page, this);
        m_watchdog->setShown(isVisible());
    }

    connect(m_page, &QWebEnginePage::linkHovered, this,
            [this](const QString &url) { emit statusTextChange(linkAddress(url)); });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString &title) { emit titleChange(title); });
    // A page loaded again under the same title (a retry of the same address)
    // changes no title in the engine; the program still hears the title of
    // every page that arrives.
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok && !m_page->title().isEmpty())
            emit titleChange(m_page->title());
    });
    connect(m_page, &EnginePage::navigationAsked, this,
            [this](WebBrowser::NavigateRequest *request) { onNavigationAsked(request); });
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest &engineRequest) {
        // The user's click opens one window at most; every other request
        // is the page's own.
        const bool user = engineRequest.isUserInitiated() && takeUserAction();
        NewWindowRequest request{engineRequest.requestedUrl(), user, false};
        emit newWindow2(&request);
        // The program has no window to give a page: whether or not the
        // handler cancelled, the request is dropped by not adopting it.
    });
    connect(m_page, &QWebEnginePage::fullScreenRequested, this, [this](QWebEngineFullScreenRequest request) {
        bool accept = true;
        if (request.toggleOn())
            emit fullScreenRequested(true, &accept);
        // A refusal is an accepted request undone at once: the engine leaves
        // a rejected page waiting, and every later request of that page too.
        request.accept();
        if (!accept) {
            QTimer::singleShot(0, this, [this] {
                if (m_page)
                    m_page->triggerAction(QWebEnginePage::ExitFullScreen);
            });
            return;
        }
        const bool was = std::exchange(m_fullScreen, request.toggleOn());
        if (was && !m_fullScreen)
            emit fullScreenRequested(false, &accept);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                // The page that filled the screen is gone with its renderer.
                if (std::exchange(m_fullScreen, false)) {
                    bool accept = true;
                    emit fullScreenRequested(false, &accept);
                }
                showLoading(false, 0);
                if (status != QWebEnginePage::NormalTerminationStatus)
                    onRendererEnded();
            });

    m_view->show();
    m_pending.runIn(this);
}

void EngineBrowser::releaseEngine()
{
    m_pending.drop();
    // The page ending takes its renderer along; that is no crash to recover.
    if (m_page)
        m_page->disconnect(this);
    delete m_watchdog;
    // The page first, then the view, which is the page's parent.
    delete m_page;
    delete m_view;
}

void EngineBrowser::load(const QString &address, int flags)
{
    if (address.startsWith(AboutPrefix, Qt::CaseInsensitive)) {
        // The engine blocks about: addresses that carry a document; show the
        // document itself instead.
        m_inlineAddress = address;
        m_page->setHtml(address.mid(AboutPrefix.size()));
        return;
    }
    m_inlineAddress.clear();
    if (QDir::isAbsolutePath(address)) {
        m_page->load(QUrl::fromLocalFile(address));
        return;
    }
    QWebEngineHttpRequest request{QUrl(address)};
    if (flags & NoReadFromCache) {
        request.setHeader("Cache-Control", "no-cache");
        request.setHeader("Pragma", "no-cache");
    }
    m_page->load(request);
}

bool EngineBrowser::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == m_view) {
            static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
            // The view hands the keyboard to its new input widget only when
            // the old one had it; the view itself may have it meanwhile.
            QTimer::singleShot(0, this, [this] {
                if (m_view && QApplication::focusWidget() == m_view && m_view->focusProxy())
                    m_view->focusProxy()->setFocus();
            });
        }
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_leftButtonDown = true;
            emit userPressed();
        }
        break;
    case QEvent::MouseButtonRelease:
        // A click is a press and its release in the page; a release alone
        // (the button went down elsewhere, or was never pressed) is none.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && std::exchange(m_leftButtonDown, false))
            m_userAction.start();
        break;
    case QEvent::KeyPress: {
        // A held key repeats its press: one action of the user's however
        // long the key stays down. The X server repeats a held key as a
        // release and a press at the same moment, which Qt marks as a
        // repeat only when it sees both at once.
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool repeated =
            key->isAutoRepeat() || (key->timestamp() != 0 && key->timestamp() == m_enterReleasedAt);
        if (enter && !repeated) {
            emit userPressed();
            m_userAction.start();
        }
        break;
    }
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            m_enterReleasedAt = key->timestamp();
        break;
    }
    default:
        break;
    }
    return WebBrowser::eventFilter(watched, event);
}

void EngineBrowser::onNavigationAsked(WebBrowser::NavigateRequest *request)
{
    if (!m_inlineAddress.isEmpty() && request->kind == NavigationKind::Program && request->mainFrame
        && request->url.scheme() == QLatin1String("data")) {
        request->url = QUrl(m_inlineAddress);
    }
    // Only the first followed link after the user's action is the user's.
    if (request->kind == NavigationKind::LinkClicked && !takeUserAction())
        request->kind = NavigationKind::Other;
    emit beforeNavigate2(request);
}

bool EngineBrowser::takeUserAction()
{
    const bool fresh = m_userAction.isValid() && m_userAction.elapsed() <= UserNavigationWindowMs;
    m_userAction.invalidate();
    return fresh;
}

void EngineBrowser::reloadPage()
{
    if (!m_page)
        return;
    // Counts as a recovery: a page that ends its process again at once is
    // left for the user once more, never loaded in a loop.
    m_lastRecovery.start();
    m_page->triggerAction(QWebEnginePage::Reload);
}

void EngineBrowser::onRendererEnded()
{
    bool reload = true;
    emit rendererEnded(&reload);
    if (!reload || !m_page)
        return;
    // The page that hung its process would hang it again.
    if (m_watchdog && m_watchdog->takeBlame()) {
        emit pageLost(PageLoss::NotAnswering);
        return;
    }
    if (m_lastRecovery.isValid() && m_lastRecovery.elapsed() < RecoveryIntervalMs) {
        emit pageLost(PageLoss::EndedAgain);
        return;
    }
    m_lastRecovery.start();
    // Not from inside the engine's own notice.
    QTimer::singleShot(0, this, [this] {
        if (m_page)
            m_page->triggerAction(QWebEnginePage::Reload);
    });
}

void EngineBrowser::showContextMenu()
{
    const QWebEngineContextMenuRequest *request = m_view ? m_view->lastContextMenuRequest() : nullptr;
    if (!request || !m_page)
        return;
    auto *menu = new QMenu(m_view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto add = [this, menu](const QString &text, QWebEnginePage::WebAction action, bool enabled) {
        QAction *item = menu->addAction(text);
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this, [this, action] {
            if (m_page)
                m_page->triggerAction(action);
        });
    };
    const QUrl link = request->linkUrl();
    if (link.isValid()) {
        const QString scheme = link.scheme();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
            // The same way as a link the page opens in a window of its own.
            connect(menu->addAction(QStringLiteral("Открыть ссылку в браузере")), &QAction::triggered, this,
                    [this, link] {
                        NewWindowRequest open{link, true, false};
                        emit newWindow2(&open);
                    });
        }
        add(QStringLiteral("Копировать адрес ссылки"), QWebEnginePage::CopyLinkToClipboard, true);
        menu->addSeparator();
    }
    const auto edit = request->editFlags();
    if (request->isContentEditable()) {
        add(QStringLiteral("Отменить"), QWebEnginePage::Undo, edit & QWebEngineContextMenuRequest::CanUndo);
        add(QStringLiteral("Повторить"), QWebEnginePage::Redo, edit & QWebEngineContextMenuRequest::CanRedo);
        menu->addSeparator();
        add(QStringLiteral("Вырезать"), QWebEnginePage::Cut, edit & QWebEngineContextMenuRequest::CanCut);
        add(QStringLiteral("Копировать"), QWebEnginePage::Copy, edit & QWebEngineContextMenuRequest::CanCopy);
        add(QStringLiteral("Вставить"), QWebEnginePage::Paste, edit & QWebEngineContextMenuRequest::CanPaste);
        add(QStringLiteral("Выделить всё"), QWebEnginePage::SelectAll,
            edit & QWebEngineContextMenuRequest::CanSelectAll);
        menu->addSeparator();
    } else if (!request->selectedText().isEmpty()) {
        add(QStringLiteral("Копировать"), QWebEnginePage::Copy, true);
        menu->addSeparator();
    }
    add(QStringLiteral("Назад"), QWebEnginePage::Back, m_page->history()->canGoBack());
    add(QStringLiteral("Вперёд"), QWebEnginePage::Forward, m_page->history()->canGoForward());
    add(QStringLiteral("Обновить"), QWebEnginePage::Reload, !m_page->isLoading());
    menu->popup(m_view->mapToGlobal(request->position()));
}

void EngineBrowser::showLoading(bool loading, int percent)
{
    m_loading = loading;
    m_loadPercent = percent;
    if (m_loadingLine) {
        m_loadingLine->setVisible(loading);
        if (loading) {
            m_loadingLine->setGeometry(0, 0, width() * std::max(percent, LoadingLineLeastPercent) / 100,
                                       LoadingLineHeight);
            m_loadingLine->raise();
        }
    }
    updateBusyPointer();
}

void EngineBrowser::updateBusyPointer()
{
    // The engine sets the pointer of the window itself from the page's
    // styles; only the application's pointer stands above that.
    const bool busy = m_loading && m_loadingLine && isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
    if (busy == m_busyPointer)
        return;
    m_busyPointer = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}
