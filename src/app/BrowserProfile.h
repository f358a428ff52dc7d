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
    // Whether shared() has made the profile yet.
    static bool exists();

private:
    static QWebEngineProfile *create();
};
