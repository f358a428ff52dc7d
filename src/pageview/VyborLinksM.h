#pragma once

#include <QCursor>
#include <QPointF>

// Pointer moves over the page canvas: outline the link under it.
void picText_MouseMove(QPointF position);
// A button is released over the canvas: choose the outlined link.
void picText_MouseUp();
// Carries out the choice of link `index`.
void VyborLinksM(int index);

// The canvas's hand pointer.
QCursor HandCursor();
