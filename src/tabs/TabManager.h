#pragma once

#include <QString>

// Opens a web tab with a caption and an address; it becomes the active tab.
void NewPanelM(const QString &title, const QString &url);
// Makes a live tab the active one; nothing when it already is.
void ActivePanelM(int index);
// Closes a live web tab; the catalogue tab takes over when it was active.
void UnloadPanelM(int index);
// Places every live tab in the strip.
void SizePanelM();

// The menu's Help and Close tab commands.
void MenuHelp_Click();
void MenuClose_Click();
