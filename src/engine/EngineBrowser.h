#pragma once

#include "app/WebBrowser.h"

#include <QElapsedTimer>
#include <QPointer>

class EnginePage;
class RendererWatchdog;
class QWebEngineView;

// The browser backed by Qt WebEngine: a web view filling this widget, with a
// page that reports to it. The view is made only when the browser is first
// shown; until then navigate() and setSilent() are kept and applied then, so
// a browser that is never shown costs no engine and no renderer process.
class EngineBrowser : public WebBrowser
{
    Q_OBJECT

public:
    explicit EngineBrowser(QWidget *parent = nullptr);
    ~EngineBrowser() override;

    void setSilent(bool silent) override;
    bool isSilent() const override;
    void navigate(const QString &address, int flags = 0) override;
    void pageCommand(PageCommand command) override;
    void reloadPage() override;

    // The web view, or null while the browser has never been shown.
    QWebEngineView *view() const;

    // Pages in the advertising strip's profile rather than the tabs'; set
    // before the browser is first shown.
    void useStripProfile() { m_stripProfile = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void createEngine();
    void releaseEngine();
    void load(const QString &address, int flags);
    void onNavigationAsked(WebBrowser::NavigateRequest *request);
    // True once for each click or Enter of the user's, while it is fresh.
    bool takeUserAction();
    void onRendererEnded();
    void showContextMenu();
    // The loading line along the top and the busy pointer over the page.
    void showLoading(bool loading, int percent);
    void updateBusyPointer();

    bool m_silent = false;
    bool m_stripProfile = false;
    bool m_engineScheduled = false;
    QPointer<QWebEngineView> m_view;
    QPointer<EnginePage> m_page;
    // Ends the tabs' shared process when a page hangs it; not for the strip.
    QPointer<RendererWatchdog> m_watchdog;
    // The last navigate() before the view exists, carried out when it does.
    PendingNavigation m_pending;
    // The "about:" address of the inline page being loaded, reported in
    // place of the engine's data: address.
    QString m_inlineAddress;
    // The user's last left-button release or Enter in this browser, not yet
    // used up. The engine also reports a script's navigation after the page
    // has loaded as a clicked link, and a page can navigate or open windows as
    // often as it likes within a moment: one action of the user's stands for
    // one link followed, no more.
    QElapsedTimer m_userAction;
    // The left button went down in the page and has not come up yet.
    bool m_leftButtonDown = false;
    // When Enter last came up in the page, in the window system's time.
    quint64 m_enterReleasedAt = 0;
    // When the page was last loaded again after its renderer ended.
    QElapsedTimer m_lastRecovery;
    // Whether the engine has the page filling the screen.
    bool m_fullScreen = false;
    bool m_loading = false;
    int m_loadPercent = 0;
    QWidget *m_loadingLine = nullptr;
    // Whether this browser has put the busy pointer over the application.
    bool m_busyPointer = false;

};
