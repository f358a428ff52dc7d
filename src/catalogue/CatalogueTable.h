#pragma once

#include "app/Declare.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The UTF-8 table the catalogue makers edit: one entry a line, id, title and
// studio-and-year separated by tabs. The catalogue tool packs it into a
// section file and prints a section file back in the same form.
namespace CatalogueTable {

// Reads a table. Lines end at LF or CR LF; a last line without its ending
// counts, an empty text after the last line end does not. A UTF-8 byte order
// mark at the start is skipped. On failure returns false with *badLine (from 1)
// and *error set: a line that is not valid UTF-8, a line without exactly three
// tab-separated fields (an empty line among them), or a table without entries.
bool Read(QByteArrayView utf8, QList<MultEntry> *entries, int *badLine, QString *error);

// The table as Read takes it back: UTF-8, LF line ends.
QByteArray Write(const QList<MultEntry> &entries);

// Packs a table into a section file; every refusal names the table's line
// (the line of entry k is k). On failure returns an empty array.
QByteArray PackTable(QByteArrayView utf8, int key, int *badLine, QString *error);

} // namespace CatalogueTable
