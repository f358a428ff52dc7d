#pragma once

// A browser double for unit tests: records what the program asks of it and
// fires the browser's events on demand.

#include "app/WebBrowser.h"

#include <QList>
#include <QPair>
#include <QPointer>

class FakeBrowser : public WebBrowser
{
public:
    explicit FakeBrowser(QWidget *parent = nullptr) : WebBrowser(parent) { all().append(this); }

    void setSilent(bool silent) override { m_silent = silent; }
    bool isSilent() const override { return m_silent; }

    // Records the call, then asks the program whether it may go on, as the
    // real browser does before every navigation it starts.
    void navigate(const QString &address, int flags = 0) override
    {
        navigations.append({address, flags});
        NavigateRequest request{QUrl(address), NavigationKind::Program, true, false};
        emit beforeNavigate2(&request);
        if (!request.cancel)
            loaded.append(address);
    }

    // Fires a navigation the page starts; true when the program let it go on.
    bool fireNavigation(const QString &url, NavigationKind kind, bool mainFrame = true)
    {
        NavigateRequest request{QUrl(url), kind, mainFrame, false};
        emit beforeNavigate2(&request);
        if (!request.cancel)
            loaded.append(url);
        return !request.cancel;
    }

    // Fires a new-window request; true when the program let the window open.
    bool fireNewWindow(const QString &url, bool userInitiated)
    {
        NewWindowRequest request{QUrl(url), userInitiated, false};
        emit newWindow2(&request);
        return !request.cancel;
    }

    void fireStatusText(const QString &text) { emit statusTextChange(text); }
    void fireUserPress() { emit userPressed(); }
    void fireTitle(const QString &title) { emit titleChange(title); }

    // Every navigate() call with its flags, and every navigation let through.
    QList<QPair<QString, int>> navigations;
    QStringList loaded;

    // Every double made since the last clear, destroyed ones as null.
    static QList<QPointer<FakeBrowser>> &all()
    {
        static QList<QPointer<FakeBrowser>> browsers;
        return browsers;
    }

    // Makes createBrowser() return doubles.
    static void install()
    {
        all().clear();
        setBrowserFactory([](QWidget *parent) { return new FakeBrowser(parent); });
    }

private:
    bool m_silent = false;
};
