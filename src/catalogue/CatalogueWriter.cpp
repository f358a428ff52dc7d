#include "catalogue/CatalogueWriter.h"

#include "catalogue/Cp1251.h"
#include "catalogue/OpenMultM.h"

namespace CatalogueWriter {

namespace {

QByteArray encodeWith(QStringView plain, const DecodeTables &tables, bool *ok)
{
    QByteArray out(plain.size(), Qt::Uninitialized);
    bool good = true;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const int code = Cp1251::toCode(plain[i]);
        if (code < 32 || code > 255) {
            good = false;
            out[i] = ' ';
            continue;
        }
        out[i] = static_cast<char>(tables.DecodeUsed[code]);
    }
    if (ok)
        *ok = good;
    return out;
}

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
}

} // namespace

QByteArray EncodeText(QStringView plain, int key, bool *ok)
{
    return encodeWith(plain, BuildDecodeTable(key), ok);
}

QByteArray Pack(int key, const QList<MultEntry> &entries, QString *error, int *badEntry)
{
    auto fail = [error, badEntry](int entry, const QString &why) {
        if (badEntry)
            *badEntry = entry;
        if (error)
            *error = (entry > 0 && !badEntry) ? QStringLiteral("entry %1: ").arg(entry) + why : why;
        return QByteArray();
    };
    if (key <= 0)
        return fail(0, QStringLiteral("the key must be a positive integer"));
    if (entries.size() > EntriesPerSection)
        return fail(EntriesPerSection + 1, QStringLiteral("more than %1 entries").arg(EntriesPerSection));

    const DecodeTables tables = BuildDecodeTable(key);
    QByteArray out = "[mult]\r\n" + QByteArray::number(key) + "\r\n"
                     + QByteArray::number(entries.size()) + "\r\n";
    for (qsizetype k = 0; k < entries.size(); ++k) {
        const MultEntry &e = entries[k];
        const int entry = int(k + 1);
        if (hasLineBreak(e.Id) || hasLineBreak(e.Title) || hasLineBreak(e.StudioYear))
            return fail(entry, QStringLiteral("a field holds a CR or LF"));
        bool ok = false;
        const QByteArray id = encodeWith(e.Id, tables, &ok);
        if (!ok)
            return fail(entry, QStringLiteral("the id holds a character outside codes 32-255 of Windows-1251"));
        const QByteArray title = Cp1251::fromUnicode(e.Title, &ok);
        if (!ok)
            return fail(entry, QStringLiteral("the title holds a character outside Windows-1251"));
        const QByteArray studio = Cp1251::fromUnicode(e.StudioYear, &ok);
        if (!ok)
            return fail(entry, QStringLiteral("the studio and year hold a character outside Windows-1251"));
        out += id + "\r\n" + title + "\r\n" + studio + "\r\n";
    }
    return out;
}

} // namespace CatalogueWriter
