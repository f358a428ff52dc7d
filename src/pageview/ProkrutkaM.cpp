#include "pageview/ProkrutkaM.h"

void ProkrutkaM() { }
void VScroll1_Change() { }
void picText_KeyDown(int) { }
void picText_KeyUp(int) { }
