#include "web/frmOprog.h"

void MenuAbout_Click() { }
