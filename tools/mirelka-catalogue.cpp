// mirelka-catalogue: packs, unpacks and checks catalogue files, and lists the
// titles the advertising pages must carry.
#include "app/Declare.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/OpenMultM.h"
#include "web/AdKey.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {

enum ExitCode { Ok = 0, BadInput = 1, BadUsage = 2 };

const char HelpText[] =
    "usage: mirelka-catalogue COMMAND ...\n"
    "\n"
    "  pack --key K IN.tsv OUT.dat\n"
    "      Writes a catalogue section file from a UTF-8 table, one entry a line:\n"
    "      id, title, studio and year, separated by tabs. K is a positive integer\n"
    "      that scrambles the ids. Refuses, naming the line, what the program\n"
    "      could not read back exactly.\n"
    "  unpack FILE.dat\n"
    "      Prints a section file as a UTF-8 table, read as the program reads it.\n"
    "  check DIR\n"
    "      Loads sections 1 to 40 of a catalogue folder as the program does and\n"
    "      prints a line a section: its entry count, or why it stays empty.\n"
    "  ad-titles\n"
    "      Prints, for each advertising page 0.html to 9.html, the title it must\n"
    "      carry.\n"
    "  --help\n"
    "      Prints this text.\n"
    "\n"
    "Exit status: 0 done, 1 bad input, 2 bad usage.\n";

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int usage(const QString &why)
{
    print(stderr, QStringLiteral("mirelka-catalogue: %1\n").arg(why));
    print(stderr, QStringLiteral("Try 'mirelka-catalogue --help'.\n"));
    return BadUsage;
}

int badInput(const QString &where, const QString &why)
{
    print(stderr, where + QStringLiteral(": ") + why + QLatin1Char('\n'));
    return BadInput;
}

bool readFile(const QString &path, QByteArray *bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return true;
}

int pack(const QStringList &args)
{
    if (args.size() != 4 || args[0] != QLatin1String("--key"))
        return usage(QStringLiteral("pack takes --key K IN.tsv OUT.dat"));
    bool isNumber = false;
    const int key = args[1].toInt(&isNumber, 10);
    if (!isNumber)
        return usage(QStringLiteral("the key '%1' is not an integer").arg(args[1]));
    const QString &inPath = args[2];
    const QString &outPath = args[3];
    if (key <= 0)
        return badInput(inPath, QStringLiteral("the key must be a positive integer, not %1").arg(key));

    QByteArray table;
    if (!readFile(inPath, &table))
        return badInput(inPath, QStringLiteral("cannot read"));
    int badLine = 0;
    QString error;
    const QByteArray bytes = CatalogueTable::PackTable(table, key, &badLine, &error);
    if (bytes.isEmpty())
        return badInput(badLine > 0 ? inPath + QLatin1Char(':') + QString::number(badLine) : inPath, error);

    // Written whole or not at all, so a failed build never leaves half a file.
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return badInput(outPath, QStringLiteral("cannot write"));
    return Ok;
}

int unpack(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("unpack takes one FILE.dat"));
    QByteArray bytes;
    // Read as the program reads it: a pipe or a device is no section file.
    if (!ReadSectionFile(args[0], &bytes))
        return badInput(args[0], QStringLiteral("cannot read a section file there"));
    const SectionFile file = ParseSectionFile(bytes);
    if (!file.loads())
        return badInput(args[0], file.problem);
    if (file.declaredCount != file.entries.size()) {
        print(stderr, QStringLiteral("%1: declares %2 entries, the program shows %3\n")
                          .arg(args[0]).arg(file.declaredCount).arg(file.entries.size()));
    }
    const QByteArray text = CatalogueTable::Write(file.entries);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    // The table is printed whole, but an entry that a table can't hold as it
    // is (a tab inside a field, a control code in an id) would not pack back
    // to the same file: say which, and fail.
    int result = Ok;
    for (qsizetype k = 0; k < file.entries.size(); ++k) {
        const MultEntry &e = file.entries[k];
        const bool tab = e.Id.contains(QLatin1Char('\t')) || e.Title.contains(QLatin1Char('\t'))
                         || e.StudioYear.contains(QLatin1Char('\t'));
        const bool control = std::any_of(e.Id.cbegin(), e.Id.cend(), [](QChar c) { return c.unicode() < 32; });
        if (tab || control) {
            result = badInput(QStringLiteral("%1: entry %2").arg(args[0]).arg(k + 1),
                              tab ? QStringLiteral("a field holds a tab; the table will not pack back as it is")
                                  : QStringLiteral("the id holds a control code; the table will not pack back"));
        }
    }
    return result;
}

int check(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("check takes one DIR"));
    QString dir = args[0];
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    auto &d = decl();
    d.reset();
    d.DataPath = dir;
    int loaded = 0;
    for (int n = 1; n <= SectionCount; ++n) {
        LoadSection(n);
        QString line;
        if (d.MultCount[n] > 0) {
            ++loaded;
            line = QStringLiteral("%1: %2 entries").arg(n).arg(d.MultCount[n]);
        } else {
            QByteArray bytes;
            const QString why = ReadSectionFile(SectionPath(n), &bytes)
                                    ? ParseSectionFile(bytes).problem
                                    : QStringLiteral("cannot read %1.dat").arg(n);
            line = QStringLiteral("%1: empty: %2").arg(n).arg(why);
        }
        print(stdout, line + QLatin1Char('\n'));
    }
    print(stdout, QStringLiteral("%1 of %2 sections loaded\n").arg(loaded).arg(SectionCount));
    return loaded == SectionCount ? Ok : BadInput;
}

int adTitles(const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("ad-titles takes no arguments"));
    for (int n = 0; n < AdPageCount; ++n)
        print(stdout, QStringLiteral("%1.html\t%2\n").arg(n).arg(TitleKeyFor(n)));
    return Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        print(stdout, QString::fromLatin1(HelpText));
        return Ok;
    }
    if (command == QLatin1String("pack"))
        return pack(args);
    if (command == QLatin1String("unpack"))
        return unpack(args);
    if (command == QLatin1String("check"))
        return check(args);
    if (command == QLatin1String("ad-titles"))
        return adTitles(args);
    return usage(QStringLiteral("unknown command '%1'").arg(command));
}
