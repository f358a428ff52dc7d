#include "engine/BrowserProfile.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {
QPointer<QWebEngineProfile> g_profile;
bool g_made = false;
}

QWebEngineProfile *BrowserProfile::shared()
{
    if (!g_made) {
        g_made = true;
        g_profile = create();
    }
    return g_profile;
}

QWebEngineProfile *BrowserProfile::strip()
{
    static bool made = false;
    static QPointer<QWebEngineProfile> profile;
    if (!made) {
        made = true;
        profile = create();
    }
    return profile;
}

bool BrowserProfile::exists()
{
    return g_made;
}

QWebEngineProfile *BrowserProfile::create()
{
    // No storage name: an off-the-record profile. It belongs to the
    // application, so it outlives every page; the browsers drop their pages
    // when the event loop ends (aboutToQuit), and the profile goes after them
    // through the deferred deletions the application runs right then.
    auto *profile = new QWebEngineProfile(qApp);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, profile, [profile] { profile->deleteLater(); });

    // The program saves nothing a page offers.
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest *download) { download->cancel(); });

    // The engine on some systems gets no security fixes, and the pages come
    // from the network: give them as little as a catalogue needs.
    QWebEngineSettings *s = profile->settings();
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    // The help page is a plain local page: it needs no script access to
    // other files, and no local page may read the network.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    // Nothing shows a page's icon; not fetching it saves a request per page.
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    // Addresses such as mailto: would hand the page's choice to another
    // program of the system.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    return profile;
}
