#pragma once

class QWebEngineProfile;

// The one web profile every engine browser of the program shares. It keeps
// nothing on disk (off the record: cookies, cache and storage live in memory
// only) and carries the hardened defaults of every page. It is made on first
// use, so a run that never shows a browser never starts the engine.
class BrowserProfile
{
public:
    static QWebEngineProfile *shared();
    // The advertising strip's own profile, made the same way: the strip's
    // pages never share a renderer process with the tabs', so a renderer
    // that ends takes either the strip or tabs, never both.
    static QWebEngineProfile *strip();
    // Whether shared() has made the profile yet.
    static bool exists();

private:
    static QWebEngineProfile *create(bool strip);
};
