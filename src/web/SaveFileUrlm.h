#pragma once

#include <QString>

class QUrl;

// Makes the user's default web browser open an address, through a small
// redirect page written into the catalogue folder (or, when that folder takes
// no file, into a private folder of the user's). The same address asked again
// within a second (a double click) is handed off once. Reports nothing.
void SaveFileUrlm(const QString &url);

// Whether an address may go to the default browser: http and https only.
bool IsHandOffAddress(const QUrl &url);

// Asks the desktop to open a local file with its default program.
void OpURL(const QString &path);

// The redirect page for an address, without the line end: an immediate
// refresh to the address, the Windows-1251 character set and the title "WWW".
// The characters with a meaning in markup are written as character
// references, so the browser reads the address back exactly; whitespace,
// control characters and every character beyond ASCII are percent-encoded
// (the latter as UTF-8), so the page is ASCII.
QString RedirectPage(const QString &url);

// How many numbered redirect files are tried in a folder: in the catalogue
// folder, then in the private one.
inline constexpr int RedirectFileTries = 10;
