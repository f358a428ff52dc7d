#pragma once

// Helpers shared by the tests: a catalogue folder made with the program's own
// writer, a fresh start of the program's state and window with browser
// doubles, the links of the page shown, and the user's clicks on tabs.

#include "FakeBrowser.h"
#include "FileOpener.h"

#include "app/Declare.h"
#include "app/MainM.h"
#include "catalogue/CatalogueWriter.h"
#include "mainwindow/frmForma.h"
#include "pageview/NomerStranicyM.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class usrPanel;

namespace TestSupport {

// Writes section n of a catalogue folder with the given entries.
void writeSection(const QString &dataPath, int n, const QList<MultEntry> &entries, int key = 0);

// count entries for section n: ids "s-k", titles "Мультфильм s.k", studio "Студия 1960+k".
QList<MultEntry> makeEntries(int section, int count);

// The shared state as start-up leaves it before the window exists.
void resetState(const QString &dataPath);

// For tests of one window without the catalogue: a data folder of the test
// program's own, made once, and the desktop's stand-in. Before each test the
// shared state is reset to that folder and nothing has been opened yet.
struct DesktopFixture
{
    QTemporaryDir root;
    FileOpener opener;
    void initTestCase();
    void init();
};

// Gives the main window's client area the size asked for.
void setClientSize(QSize size);

// A fresh start of the program with browser doubles: the shared state reset,
// a new main window, start-up run with the given catalogue folder.
void startProgram(const QString &dataPath, QSize client = frmForma::DesignSize);

// A new main window with browser doubles, loaded as start-up loads it but
// with no page drawn yet: the catalogue tab alone.
void loadWindow(const QString &dataPath);

// The index in decl().LinkBoxes of the page's link to a target ("list7",
// "mult12"); -1 when the page shown has none.
int linkOf(const QString &target);
// The link of entry k of the section shown.
int entryLink(int k);
// The middle of a link's box, in the page's pixels.
inline QPoint linkCentre(const LinkBox &b)
{
    return QPoint((b.X1 + b.X2) / 2, (b.Y1 + b.Y2) / 2);
}

// A left click at a point of the tab, given to the child control under it as
// the window would give it.
void clickTab(usrPanel *t, QPoint at);
// The same on tab i; without a point, 20 pixels in (the middle of a
// narrower tab) and 12 down.
void clickTab(int i, QPoint at = {});

// The press and release of tab i's close gesture, sent to the close button as
// the window system reports them: the release goes to the button that got the
// press, at a position in the button's own pixels.
void closeGesture(int i, QPoint releaseAt = QPoint(7, 7));

} // namespace TestSupport
