#pragma once

#include "app/Declare.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Writes catalogue files that the loader reads back exactly.
namespace CatalogueWriter {

// Scrambles an id (plain Windows-1251 codes 32..255) with a key's substitution.
QByteArray EncodeText(QStringView plain, int key, bool *ok = nullptr);

// A whole section file: "[mult]", the key, the count, three lines an entry,
// ids scrambled, Windows-1251, CR LF. Returns an empty array and sets *error
// (naming the entry, counted from 1) for what the loader could not read back.
QByteArray Pack(int key, const QList<MultEntry> &entries, QString *error);

} // namespace CatalogueWriter
