#pragma once

#include <QString>

// Makes the user's default web browser open an address, through a small
// redirect page written into the catalogue folder. Reports nothing.
void SaveFileUrlm(const QString &url);

// Asks the desktop to open a local file with its default program.
void OpURL(const QString &path);
