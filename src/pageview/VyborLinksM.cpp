#include "pageview/VyborLinksM.h"

void picText_MouseMove(QPointF) { }
void picText_MouseUp() { }
void VyborLinksM(int) { }
QCursor HandCursor() { return QCursor(Qt::PointingHandCursor); }
