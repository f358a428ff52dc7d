#pragma once

#include <QColor>
#include <QString>

// Tab colours: the active tab and every other live tab.
inline const QColor ActiveTabColor{224, 224, 224};
inline const QColor InactiveTabColor{192, 192, 192};

// Tab 0 is the catalogue tab; web tabs get 1, 2, 3, ... and an index is never
// reused. A tab is live while its index is at most PanelCount and its
// PanelClosed element is 0.
bool isLivePanel(int index);

// Opens a web tab with a caption and an address; it becomes the active tab.
// Returns the new tab's index: events run while it is activated may open
// further tabs, so PanelCount need not be that index by then. When madeIndex
// is given, the index is stored there before those events run, for callers
// whose bookkeeping the events read (the help command's HelpPanel).
int NewPanelM(const QString &title, const QString &url, int *madeIndex = nullptr);
// Makes a live tab the active one; nothing when it already is.
void ActivePanelM(int index);
// Closes a live web tab; the catalogue tab takes over when it was active.
void UnloadPanelM(int index);
// Places every live tab in the strip.
void SizePanelM();

// Activates the next live tab (step 1) or the previous one (step -1) in the
// strip's order, wrapping round at either end.
void NextPanelM(int step);

// The menu's Help and Close tab commands.
void MenuHelp_Click();
void MenuClose_Click();
