#include "pageview/NomerStranicyM.h"

void NomerStranicyM(int) { }
void PrintPageLine(const QString &) { }
