// Fuzz target: the section file loader, fed arbitrary bytes.
//
// Beyond "no crash, nothing read or written out of bounds" (the sanitizers'
// part), every input is checked against what the loader promises:
//  - at most 100 entries, never more than the file declares, and a section
//    loads exactly when it has at least one entry;
//  - each entry is the three lines the file holds at its place (split here
//    independently; the last line ends at the end of the file), the id with
//    one character per scrambled byte, and scrambling the id again gives
//    back the bytes of the file;
//  - a loaded section packs into a file that loads back to the same entries,
//    and prints as a table that reads back to the same entries;
//  - LoadSection, through a real file, puts exactly those entries into
//    MultTable and MultCount (for a sixteenth of the inputs: file I/O is slow).
#include "FuzzCheck.h"

#include "app/Declare.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/Cp1251.h"
#include "catalogue/OpenMultM.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// Lines as the file format defines them, split without the loader's code:
// a line ends at CR or CR LF, and at a lone LF only when the file holds no CR;
// the last line ends at the end of the bytes.
QList<QByteArrayView> splitLines(QByteArrayView bytes)
{
    const bool lfEnds = !bytes.contains('\r');
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && !(lfEnds && c == '\n'))
            continue;
        lines.append(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start));
    return lines;
}

bool anyFieldHolds(const QList<MultEntry> &entries, QChar c)
{
    for (const MultEntry &e : entries) {
        if (e.Id.contains(c) || e.Title.contains(c) || e.StudioYear.contains(c))
            return true;
    }
    return false;
}

void checkEntriesAgainstLines(QByteArrayView bytes, const SectionFile &file)
{
    const QList<QByteArrayView> lines = splitLines(bytes);
    // The scrambling direction of the key's substitution, built once here:
    // EncodeText would rebuild it for every id.
    const DecodeTables tables = BuildDecodeTable(file.key);
    for (qsizetype k = 0; k < file.entries.size(); ++k) {
        const qsizetype first = 3 + 3 * k;
        FUZZ_CHECK(first + 2 < lines.size());
        const QByteArrayView idLine = lines[first];
        const MultEntry &entry = file.entries[k];
        FUZZ_CHECK(entry.Id.size() == idLine.size());
        FUZZ_CHECK(entry.Title == Cp1251::toUnicode(lines[first + 1]));
        FUZZ_CHECK(entry.StudioYear == Cp1251::toUnicode(lines[first + 2]));

        // Codes below 32 decode to code 0; 0x98 has no character and comes
        // out as U+FFFD. Every other id scrambles back to the file's bytes.
        bool reversible = true;
        for (qsizetype i = 0; i < idLine.size(); ++i) {
            const auto code = static_cast<unsigned char>(idLine[i]);
            if (code < 32)
                FUZZ_CHECK(entry.Id[i] == QChar(0));
            if (code < 32 || entry.Id[i] == QChar(0xFFFD))
                reversible = false;
        }
        for (qsizetype i = 0; reversible && i < idLine.size(); ++i) {
            const int code = Cp1251::toCode(entry.Id[i]);
            FUZZ_CHECK(code >= 32 && code <= 255);
            FUZZ_CHECK(tables.DecodeUsed[code] == static_cast<unsigned char>(idLine[i]));
        }
    }
    // An entry missing from the result is one whose lines the file lacks.
    const qsizetype wanted = std::min<qsizetype>(file.declaredCount, EntriesPerSection);
    if (file.entries.size() < wanted)
        FUZZ_CHECK(3 + 3 * file.entries.size() + 2 >= lines.size());
}

void checkRoundTrips(const SectionFile &file)
{
    QString error;
    const QByteArray packed = CatalogueWriter::Pack(file.key, file.entries, &error);
    if (!packed.isEmpty()) {
        const SectionFile again = ParseSectionFile(packed);
        FUZZ_CHECK(again.loads());
        FUZZ_CHECK(again.key == file.key);
        FUZZ_CHECK(again.entries == file.entries);
    } else {
        FUZZ_CHECK(!error.isEmpty());
    }

    // The table the catalogue tool prints. A tab inside a field cannot be
    // told from a field separator, nor an LF (kept inside a line of a file
    // that holds CRs) from a line end, so such a table cannot read back.
    const QByteArray table = CatalogueTable::Write(file.entries);
    QList<MultEntry> read;
    int badLine = 0;
    QString why;
    const bool readOk = CatalogueTable::Read(table, &read, &badLine, &why);
    if (!anyFieldHolds(file.entries, QLatin1Char('\t')) && !anyFieldHolds(file.entries, QLatin1Char('\n'))) {
        FUZZ_CHECK(readOk);
        FUZZ_CHECK(read == file.entries);
    }
}

QString dataPath()
{
    static const std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    FUZZ_CHECK(dir->isValid());
    return dir->path() + QLatin1Char('/');
}

void checkLoadSection(QByteArrayView bytes, const SectionFile &file)
{
    constexpr int n = 7;
    auto &d = decl();
    d.DataPath = dataPath();
    {
        QFile out(SectionPath(n));
        FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(out.write(bytes.data(), bytes.size()) == bytes.size());
    }
    d.MultCount[n] = 0;
    LoadSection(n);
    FUZZ_CHECK(d.MultCount[n] == (file.loads() ? file.entries.size() : 0));
    for (qsizetype k = 0; k < file.entries.size() && file.loads(); ++k) {
        const MultEntry &e = d.MultTable[n][k + 1];
        FUZZ_CHECK(e.Id == file.entries[k].Id && e.Title == file.entries[k].Title
                   && e.StudioYear == file.entries[k].StudioYear);
    }
    d.reset();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SectionFile file = ParseSectionFile(bytes);

    FUZZ_CHECK(file.entries.size() <= EntriesPerSection);
    FUZZ_CHECK(file.loads() == !file.entries.isEmpty());
    FUZZ_CHECK(file.problem.isEmpty() == file.loads());
    if (!file.entries.isEmpty()) {
        FUZZ_CHECK(file.header && file.keyOk && file.key > 0);
        FUZZ_CHECK(file.entries.size() <= file.declaredCount);
    }
    if (file.header && file.keyOk && file.declaredCount >= 0)
        checkEntriesAgainstLines(bytes, file);
    if (file.loads())
        checkRoundTrips(file);
    if (qHash(bytes) % 16 == 0)
        checkLoadSection(bytes, file);
    return 0;
}
