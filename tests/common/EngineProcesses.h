#pragma once

// The engine's helper processes seen from /proc: the renderers this program
// has started and the memory of the whole process tree. Used by the engine
// tests and the tab benchmark.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>

namespace EngineProcesses {

// Parent of every process of the machine, by pid.
inline QHash<QString, QString> parents()
{
    QHash<QString, QString> parentOf;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid ...: the name may hold spaces, so count from ")".
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(pid, QString::fromLatin1(fields[1]));
    }
    return parentOf;
}

// Renderer processes of this program. The engine forks them from its zygote
// helpers, which are this program's children, and they keep the zygote's
// command line: count the zygotes' children.
inline int rendererCount()
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QHash<QString, QString> parentOf = parents();
    int count = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        if (parentOf.value(it.value()) == self)
            ++count;
    }
    return count;
}

// Proportional set size of one process, KiB; 0 when it is gone.
inline qint64 pssKiB(const QString &pid)
{
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// This program and every process below it (zygotes, renderers, utilities):
// their proportional set sizes added, KiB. Pages shared between them count
// once in the sum.
inline qint64 treePssKiB()
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QHash<QString, QString> parentOf = parents();
    qint64 total = pssKiB(self);
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        // Walk up a few generations: the engine's processes are at most
        // grandchildren, but nothing forbids a deeper helper.
        QString up = it.value();
        for (int depth = 0; depth < 8 && !up.isEmpty() && up != QLatin1String("0"); ++depth) {
            if (up == self) {
                total += pssKiB(it.key());
                break;
            }
            up = parentOf.value(up);
        }
    }
    return total;
}

} // namespace EngineProcesses
