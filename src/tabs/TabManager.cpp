#include "tabs/TabManager.h"

void NewPanelM(const QString &, const QString &) { }
void ActivePanelM(int) { }
void UnloadPanelM(int) { }
void SizePanelM() { }
void MenuHelp_Click() { }
void MenuClose_Click() { }
