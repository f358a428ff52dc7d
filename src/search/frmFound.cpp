#include "search/frmFound.h"

void MenuFound_Click() { }
