// Fuzz target: the catalogue tool's table reader and packer, fed arbitrary
// bytes. The first four bytes choose the key, the rest is the table.
//
// The packer's promise is that it refuses, naming a line, whatever the
// program could not read back exactly; so every table it packs must load
// back to the very entries it read, and every refusal must say where and why.
#include "FuzzCheck.h"

#include "catalogue/CatalogueTable.h"
#include "catalogue/OpenMultM.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    std::uint32_t rawKey = 0;
    std::memcpy(&rawKey, data, 4);
    // Mostly small positive keys, like real ones; now and then 0 or a huge one.
    const int key = (rawKey & 0xF0000000u) == 0xF0000000u ? int(rawKey & 0x7FFFFFFFu) : int(rawKey % 100000u);
    const QByteArrayView table(reinterpret_cast<const char *>(data) + 4, qsizetype(size - 4));

    QList<MultEntry> entries;
    int badLine = -1;
    QString error;
    const bool readOk = CatalogueTable::Read(table, &entries, &badLine, &error);
    if (readOk) {
        FUZZ_CHECK(!entries.isEmpty());
        for (const MultEntry &e : entries) {
            for (const QString *field : {&e.Id, &e.Title, &e.StudioYear})
                FUZZ_CHECK(!field->contains(QLatin1Char('\t')) && !field->contains(QLatin1Char('\n')));
        }
    } else {
        FUZZ_CHECK(badLine >= 1 && badLine <= table.count('\n') + 1);
        FUZZ_CHECK(!error.isEmpty());
    }

    badLine = -1;
    error.clear();
    const QByteArray packed = CatalogueTable::PackTable(table, key, &badLine, &error);
    if (packed.isEmpty()) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(badLine >= 0);
        return 0;
    }
    FUZZ_CHECK(readOk && key > 0 && entries.size() <= EntriesPerSection);
    const SectionFile file = ParseSectionFile(packed);
    FUZZ_CHECK(file.loads());
    FUZZ_CHECK(file.key == key);
    FUZZ_CHECK(file.declaredCount == entries.size());
    FUZZ_CHECK(file.entries == entries);

    // Printed back as a table, the section reads back to the same entries.
    QList<MultEntry> reread;
    FUZZ_CHECK(CatalogueTable::Read(CatalogueTable::Write(file.entries), &reread, &badLine, &error));
    FUZZ_CHECK(reread == entries);
    return 0;
}
