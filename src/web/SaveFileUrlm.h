#pragma once

#include <QString>

// Makes the user's default web browser open an address, through a small
// redirect page written into the catalogue folder (or, when that folder takes
// no file, into the user's temporary folder). Reports nothing.
void SaveFileUrlm(const QString &url);

// Asks the desktop to open a local file with its default program.
void OpURL(const QString &path);

// The redirect page for an address, without the line end: an immediate
// refresh to the address, the Windows-1251 character set and the title "WWW".
// Characters that could end the attribute or the tag, whitespace, control
// characters and characters Windows-1251 lacks are percent-encoded; any
// other address stands in the page as it was given.
QString RedirectPage(const QString &url);

// How many numbered redirect files are tried in the catalogue folder before
// the hand-off falls back to the temporary folder.
inline constexpr int RedirectFileTries = 10;
