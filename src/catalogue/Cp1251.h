#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251 (Cyrillic) text, with a table of our own: Qt 6 does not offer
// this code page on every platform.
namespace Cp1251 {

// The character of a code 0..255. Code 0x98, unassigned, maps to U+FFFD.
QChar toChar(uchar code);

// The code of a character, or -1 when the code page has no such character.
int toCode(QChar c);

QString toUnicode(QByteArrayView bytes);

// Characters the code page lacks become '?'; *ok tells whether all were known.
QByteArray fromUnicode(QStringView text, bool *ok = nullptr);

} // namespace Cp1251
