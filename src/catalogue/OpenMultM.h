#pragma once

#include "app/Declare.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>

// Substitution tables of one catalogue file, rebuilt from its key.
// DecodeMap[x] is the plain code of the scrambled code x (32..255);
// DecodeUsed[p] is the scrambled code of the plain code p, 0 where unused.
struct DecodeTables
{
    std::array<int, 256> DecodeMap = {};
    std::array<int, 256> DecodeUsed = {};
};

// What a section file holds, as the loader reads it.
struct SectionFile
{
    bool header = false;          // first line is exactly "[mult]"
    int key = 0;                  // valid when keyOk
    bool keyOk = false;
    int declaredCount = -1;       // the count line; -1 when missing or not a number
    QList<MultEntry> entries;     // complete entries, at most 100, ids descrambled
    // Why nothing loads, empty when the section loads.
    QString problem;
    bool loads() const { return problem.isEmpty(); }
};

// Builds the substitution for a key with the runtime generator.
DecodeTables BuildDecodeTable(int key);

// Descrambles one line (Windows-1251 bytes); as many characters as bytes.
QString DecodeText(QByteArrayView scrambled, const DecodeTables &tables);

// Bounds on what is read of a section file. A section needs its header, its
// key, its count and three lines for each of at most 100 entries; these are
// generous for any real catalogue. A longer line, and whatever lies past the
// size bound, count as damage: what was read before stays, the rest is not
// read.
inline constexpr qsizetype MaxSectionLineBytes = 4 * 1024;
inline constexpr qsizetype MaxSectionFileBytes = 1024 * 1024;

// Parses the bytes of a section file. Never reads past the bytes given.
SectionFile ParseSectionFile(QByteArrayView bytes);

// Reads the head of a section file, at most MaxSectionFileBytes, without
// ever waiting: only a regular file is read (a pipe, a device, a folder or a
// socket in its place is no section file). When the file goes on past the
// bound, the bytes end at the last whole line read. False when there is no
// regular file to read.
bool ReadSectionFile(const QString &path, QByteArray *bytes);

// The file name of section n in the catalogue folder: DataPath + "7.dat".
QString SectionPath(int n);

// Loads section n (1..40) into MultTable and MultCount. Callers call it only
// while MultCount[n] is 0; a section that cannot be read stays at 0.
void LoadSection(int n);
