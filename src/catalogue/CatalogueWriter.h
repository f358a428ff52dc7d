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
// ids scrambled, Windows-1251, CR LF. Returns an empty array for what the
// loader could not read back exactly (more than 100 entries, a key <= 0,
// a line break inside a field, a character outside Windows-1251, an id
// character outside codes 32..255). Then *badEntry gets the entry at fault,
// counted from 1 (0 when the fault is not one entry's), and *error the reason;
// without badEntry the reason starts with "entry k: ". No entries give a file
// that declares 0, which the loader leaves not loaded.
QByteArray Pack(int key, const QList<MultEntry> &entries, QString *error, int *badEntry = nullptr);

} // namespace CatalogueWriter
