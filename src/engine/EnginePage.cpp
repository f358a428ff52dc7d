#include "engine/EnginePage.h"

#include <QCoreApplication>

namespace {
// The engine asks before leaving a page with an unload handler through the
// confirm dialog, with this text of its own.
QString leavePageQuestion()
{
    return QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
}
} // namespace

EnginePage::EnginePage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent)
{
    // Nobody is there to grant a page the camera, the location or
    // notifications: refuse at once rather than leave the page waiting.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    // Certificate errors and log-in requests are left unanswered, which the
    // engine takes as a refusal.
}

bool EnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    WebBrowser::NavigateRequest request;
    request.url = url;
    request.mainFrame = isMainFrame;
    switch (type) {
    case NavigationTypeTyped:
        // What load() and setHtml() start arrives as typed.
        request.kind = WebBrowser::NavigationKind::Program;
        break;
    case NavigationTypeLinkClicked:
        request.kind = WebBrowser::NavigationKind::LinkClicked;
        break;
    default:
        request.kind = WebBrowser::NavigationKind::Other;
        break;
    }
    emit navigationAsked(&request);
    return !request.cancel;
}

void EnginePage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    if (!m_silent)
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool EnginePage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    if (!m_silent)
        return QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
    // A silent browser never keeps the user on a page: leaving proceeds,
    // every question of the page itself is answered no.
    return msg == leavePageQuestion();
}

bool EnginePage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                                  QString *result)
{
    if (!m_silent)
        return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
    return false;
}

QStringList EnginePage::chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                                    const QStringList &acceptedMimeTypes)
{
    if (!m_silent)
        return QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
    return {};
}

void EnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &)
{
    // The program writes no log, and a page's messages are not ours to print.
}
