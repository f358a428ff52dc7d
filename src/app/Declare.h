#pragma once

#include "catalogue/MultEntry.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>

class PictureBox;

// A link on the catalogue page: its box and its target ("list7", "mult12").
struct LinkBox
{
    int X1 = 0;
    int Y1 = 0;
    int X2 = 0;
    int Y2 = 0;
    QString Target;
};

// A search hit: the entry's section and its place in that section.
struct FoundItem
{
    int Section = 0;
    int Entry = 0;
};

// The program's shared state, one instance for the whole run. Every item keeps
// the name it has everywhere in the program; each is written by the module that
// owns it and read by the others.
class Declare
{
public:
    static Declare &instance();

    // Back to the state before start-up: every field as declared below.
    void reset();

    QString DataPath;

    // Sections and entries are indexed from 1; index 0 is unused.
    MultEntry MultTable[SectionCount + 1][EntriesPerSection + 1];
    MultFolded MultLower[SectionCount + 1][EntriesPerSection + 1];
    int MultCount[SectionCount + 1] = {};

    int CurrentSection = 0;

    int FoundType = 0;
    QString FoundText;
    int FoundLast = 0;
    QList<FoundItem> FoundList;

    int ActivePanel = 0;
    int HelpPanel = 0;
    int OpenPanels = 0;
    int PanelCount = 0;
    QList<int> PanelClosed;
    QList<int> PanelLink;

    int FormWidth = 0;
    int PageWidth = 0;
    int PageHeight = 0;
    int CanvasHeight = 0;

    QList<LinkBox> LinkBoxes;
    int LastLink = 0;
    int HoverLink = 0;
    // The link that has the keyboard on the page, -1 when none has.
    int FocusLink = -1;

    // Drawing position and line bookkeeping, valid while a page is drawn.
    int PenX = 0;
    int PenY = 0;
    int LineRight = 0;
    int MaxRight = 0;

    QPointer<PictureBox> PageCanvas;

    // The guards of the yields: a page drawing under way and the section
    // asked for meanwhile, and a link choice under way.
    bool PageDrawing = false;
    int PendingSection = 0;
    bool ChoosingLink = false;
    // What the wheel has turned and the page has not yet scrolled, in the
    // page's pixels times eighths of a degree.
    int WheelRest = 0;
    // Set by an Enter key-down in the search window's text box or list, so
    // that Enter acts on its release only when its key-down was seen there.
    int EnterDown = 0;

    // The web sites in use; empty for the ones the build was configured with.
    QString CartoonSite;
    QString MakerSite;
    // The address last handed to the default browser, and when.
    QString HandOffUrl;
    QElapsedTimer HandOffTime;
};

// Shorthand used throughout the program.
inline Declare &decl() { return Declare::instance(); }

// The record kept in PanelLink for a tab opened for a catalogue entry: one
// non-zero value that tells sections apart. Tabs opened for no entry keep 0.
constexpr qint32 EntryRecord(int section, int entry)
{
    return section * 65536 + entry;
}
