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

// Parses the bytes of a section file. Never reads past the bytes given.
SectionFile ParseSectionFile(QByteArrayView bytes);

// The file name of section n in the catalogue folder: DataPath + "7.dat".
QString SectionPath(int n);

// Loads section n (1..40) into MultTable and MultCount. Callers call it only
// while MultCount[n] is 0; a section that cannot be read stays at 0.
void LoadSection(int n);
