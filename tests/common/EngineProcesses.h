#pragma once

// The engine's helper processes seen from /proc: the renderers this program
// has started and the memory of the whole process tree. Used by the engine
// tests and the tab benchmark.

#include <QHash>
#include <QString>

namespace EngineProcesses {

// Parent of every process of the machine, by pid.
QHash<QString, QString> parents();

// Renderer processes of this program. The engine forks them from its zygote
// helpers, which are this program's children, and they keep the zygote's
// command line: count the zygotes' children.
int rendererCount();

// Proportional set size of one process, KiB; 0 when it is gone.
qint64 pssKiB(const QString &pid);

// This program and every process below it (zygotes, renderers, utilities):
// their proportional set sizes added, KiB. Pages shared between them count
// once in the sum.
qint64 treePssKiB();

} // namespace EngineProcesses
