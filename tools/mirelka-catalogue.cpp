// mirelka-catalogue: packs, unpacks and checks catalogue files.
#include "app/Declare.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/OpenMultM.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

enum ExitCode { Ok = 0, BadInput = 1, BadUsage = 2 };

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage()
{
    err() << "usage: mirelka-catalogue pack --key K IN.tsv OUT.dat\n"
             "       mirelka-catalogue unpack FILE.dat\n"
             "       mirelka-catalogue check DIR\n";
    return BadUsage;
}

int pack(const QStringList &args)
{
    if (args.size() != 4 || args[0] != QLatin1String("--key"))
        return usage();
    bool ok = false;
    const int key = args[1].toInt(&ok);
    if (!ok)
        return usage();
    QFile in(args[2]);
    if (!in.open(QIODevice::ReadOnly)) {
        err() << args[2] << ": cannot read\n";
        return BadInput;
    }
    QList<MultEntry> entries;
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() && i == lines.size() - 1)
            break;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3) {
            err() << args[2] << ":" << i + 1 << ": expected three tab-separated fields\n";
            return BadInput;
        }
        entries.append(MultEntry{fields[0], fields[1], fields[2]});
    }
    QString error;
    const QByteArray bytes = CatalogueWriter::Pack(key, entries, &error);
    if (bytes.isEmpty()) {
        err() << args[2] << ": " << error << "\n";
        return BadInput;
    }
    QFile outFile(args[3]);
    if (!outFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || outFile.write(bytes) != bytes.size()) {
        err() << args[3] << ": cannot write\n";
        return BadInput;
    }
    return Ok;
}

int unpack(const QStringList &args)
{
    if (args.size() != 1)
        return usage();
    QFile in(args[0]);
    if (!in.open(QIODevice::ReadOnly)) {
        err() << args[0] << ": cannot read\n";
        return BadInput;
    }
    const SectionFile file = ParseSectionFile(in.readAll());
    if (!file.loads()) {
        err() << args[0] << ": " << file.problem << "\n";
        return BadInput;
    }
    for (const MultEntry &e : file.entries)
        out() << e.Id << '\t' << e.Title << '\t' << e.StudioYear << '\n';
    return Ok;
}

int check(const QStringList &args)
{
    if (args.size() != 1)
        return usage();
    QString dir = args[0];
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    decl().reset();
    decl().DataPath = dir;
    int loaded = 0;
    for (int n = 1; n <= SectionCount; ++n) {
        LoadSection(n);
        if (decl().MultCount[n] > 0) {
            ++loaded;
            out() << n << ": " << decl().MultCount[n] << " entries\n";
        } else {
            QFile f(SectionPath(n));
            const QString why = f.open(QIODevice::ReadOnly) ? ParseSectionFile(f.readAll()).problem
                                                            : QStringLiteral("cannot read ") + f.fileName();
            out() << n << ": empty: " << why << "\n";
        }
    }
    out() << loaded << " of " << SectionCount << " sections loaded\n";
    return loaded == SectionCount ? Ok : BadInput;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("pack"))
        return pack(args);
    if (command == QLatin1String("unpack"))
        return unpack(args);
    if (command == QLatin1String("check"))
        return check(args);
    return usage();
}
