#include "catalogue/CatalogueTable.h"

#include "catalogue/CatalogueWriter.h"

#include <QStringDecoder>

namespace CatalogueTable {

bool Read(QByteArrayView utf8, QList<MultEntry> *entries, int *badLine, QString *error)
{
    auto fail = [badLine, error](int line, const QString &why) {
        *badLine = line;
        *error = why;
        return false;
    };
    entries->clear();
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8 = utf8.sliced(3);

    int lineNumber = 0;
    qsizetype pos = 0;
    while (pos < utf8.size()) {
        ++lineNumber;
        qsizetype end = utf8.indexOf('\n', pos);
        qsizetype next = end + 1;
        if (end < 0)
            end = next = utf8.size();
        QByteArrayView bytes = utf8.sliced(pos, end - pos);
        // A CR before the LF belongs to the line end; any other CR stays in
        // the line and is refused below as a line break inside a field.
        if (end < utf8.size() && bytes.endsWith('\r'))
            bytes.chop(1);
        pos = next;

        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder(bytes);
        if (decoder.hasError())
            return fail(lineNumber, QStringLiteral("not valid UTF-8"));
        const QStringList fields = text.split(QLatin1Char('\t'));
        if (fields.size() != 3)
            return fail(lineNumber, QStringLiteral("expected 3 tab-separated fields (id, title, studio and year), found %1")
                                        .arg(fields.size()));
        entries->append(MultEntry{fields[0], fields[1], fields[2]});
    }
    if (entries->isEmpty())
        return fail(1, QStringLiteral("no entries: the section would stay empty"));
    return true;
}

QByteArray Write(const QList<MultEntry> &entries)
{
    QByteArray out;
    for (const MultEntry &e : entries)
        out += e.Id.toUtf8() + '\t' + e.Title.toUtf8() + '\t' + e.StudioYear.toUtf8() + '\n';
    return out;
}

QByteArray PackTable(QByteArrayView utf8, int key, int *badLine, QString *error)
{
    QList<MultEntry> entries;
    if (!Read(utf8, &entries, badLine, error))
        return {};
    int badEntry = 0;
    const QByteArray bytes = CatalogueWriter::Pack(key, entries, error, &badEntry);
    if (bytes.isEmpty())
        *badLine = badEntry;
    return bytes;
}

} // namespace CatalogueTable
