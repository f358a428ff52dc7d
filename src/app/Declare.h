#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>

#include "pageview/PictureBox.h"



// The catalogue's fixed size: 40 sections of at most 100 entries each.
inline constexpr int SectionCount = 40;
inline constexpr int EntriesPerSection = 100;

// One catalogue entry. Id is stored plain, after descrambling.
struct MultEntry
{
    QString Id;
    QString Title;
    QString StudioYear;
};

// Lower-cased copies of the searchable fields, made once when a section loads.
struct MultFolded
{
    QString Title;
    QString StudioYear;
};

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

    // Back to the state before start-up: zeros, empty strings, empty arrays.
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
