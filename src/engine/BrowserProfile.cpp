#include "engine/BrowserProfile.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {
QPointer<QWebEngineProfile> g_profile;
bool g_made = false;

// The language of the engine's own pages, and what sites are asked for.
constexpr const char *EngineLanguage = "ru";
constexpr const char *AcceptLanguage = "ru-RU,ru;q=0.9,en;q=0.5";
}

QWebEngineProfile *BrowserProfile::shared()
{
    if (!g_made) {
        g_made = true;
        g_profile = create(false);
    }
    return g_profile;
}

QWebEngineProfile *BrowserProfile::strip()
{
    static bool made = false;
    static QPointer<QWebEngineProfile> profile;
    if (!made) {
        made = true;
        profile = create(true);
    }
    return profile;
}

bool BrowserProfile::exists()
{
    return g_made;
}

QWebEngineProfile *BrowserProfile::create(bool strip)
{
    // The engine speaks the program's language: its own pages (a page that
    // cannot be reached, a proxy that does not answer) in Russian. It takes
    // the language when it starts, which is with the first profile.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--lang="))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --lang=" + EngineLanguage);

    // No storage name: an off-the-record profile. It belongs to the
    // application, so it outlives every page; the browsers drop their pages
    // when the event loop ends (aboutToQuit), and the profile goes after them
    // through the deferred deletions the application runs right then.
    auto *profile = new QWebEngineProfile(qApp);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    // Sites are asked for Russian first.
    profile->setHttpAcceptLanguage(QString::fromLatin1(AcceptLanguage));
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
    // A cartoon's player may fill the screen; the strip never may.
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, !strip);
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
