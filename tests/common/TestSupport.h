#pragma once

// Helpers shared by the unit tests: a catalogue folder made with the
// program's own writer, and a fresh start of the program's state.

#include "app/Declare.h"
#include "app/MainM.h"
#include "catalogue/CatalogueWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace TestSupport {

// Writes section n of a catalogue folder with the given entries.
inline void writeSection(const QString &dataPath, int n, const QList<MultEntry> &entries, int key = 0)
{
    QString error;
    const QByteArray bytes = CatalogueWriter::Pack(key > 0 ? key : 1000 + n * 17, entries, &error);
    QVERIFY2(!bytes.isEmpty(), qPrintable(error));
    QDir().mkpath(dataPath);
    QFile file(dataPath + QString::number(n) + QStringLiteral(".dat"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// count entries for section n: ids "s-k", titles "Title s.k", studio "Studio s k".
inline QList<MultEntry> makeEntries(int section, int count)
{
    QList<MultEntry> entries;
    for (int k = 1; k <= count; ++k) {
        entries.append(MultEntry{QStringLiteral("%1-%2").arg(section).arg(k),
                                 QStringLiteral("Мультфильм %1.%2").arg(section).arg(k),
                                 QStringLiteral("Студия %1").arg(1960 + k)});
    }
    return entries;
}

// The shared state as start-up leaves it before the window exists.
inline void resetState(const QString &dataPath)
{
    decl().reset();
    PrepareSharedState(dataPath);
}

} // namespace TestSupport

#include "mainwindow/frmForma.h"
#include "FakeBrowser.h"
#include "app/MainM.h"
#include "pageview/NomerStranicyM.h"

#include <QApplication>

namespace TestSupport {

// Gives the main window's client area the size asked for.
inline void setClientSize(QSize size)
{
    auto &f = frmForma::instance();
    const QSize extra = f.size() - f.client->size();
    f.resize(size + extra);
    QCoreApplication::processEvents();
    QTRY_COMPARE(f.client->size(), size);
}

// A fresh start of the program with browser doubles: the shared state reset,
// a new main window, start-up run with the given catalogue folder.
inline void startProgram(const QString &dataPath, QSize client = frmForma::DesignSize)
{
    frmForma::destroyInstance();
    FakeBrowser::install();
    decl().reset();
    StartWith(dataPath);
    if (client != frmForma::instance().client->size()) {
        setClientSize(client);
        NomerStranicyM(1);
    }
}

} // namespace TestSupport
