#pragma once

#include "app/WebBrowser.h"

#include <QWebEnginePage>

// The page behind an engine browser: asks the browser before every
// navigation and, when silent, answers the page's dialogs itself without
// showing anything.
class EnginePage : public QWebEnginePage
{
    Q_OBJECT

public:
    EnginePage(QWebEngineProfile *profile, QObject *parent);

    void setSilent(bool silent) { m_silent = silent; }
    bool isSilent() const { return m_silent; }

signals:
    // Emitted from inside the engine's navigation check; a handler must not
    // start another navigation from there (defer it instead).
    void navigationAsked(WebBrowser::NavigateRequest *request);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;

private:
    bool m_silent = false;
};
