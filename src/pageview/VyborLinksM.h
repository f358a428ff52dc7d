#pragma once

#include <Qt>
#include <QCursor>
#include <QPointF>

// Pointer moves over the page canvas: outline the link under it.
void picText_MouseMove(QPointF position);
// A button is released over the canvas: choose the outlined link.
void picText_MouseUp();
// Carries out the choice of link `index`.
void VyborLinksM(int index);

// The keyboard on the page: FocusLink is outlined with dots and scrolled
// into view; -1 takes the keyboard off every link.
void SetFocusLink(int index);
// Tab (forward) or Shift+Tab on the canvas: the next or previous link in
// reading order. False once the keyboard has passed either end of the page.
bool picText_TabKey(bool forward);
void picText_GotFocus(Qt::FocusReason reason);
void picText_LostFocus(Qt::FocusReason reason);
// Enter or Space on the canvas: chooses the link with the keyboard.
void picText_ChooseKey();
// Chooses a link of the page as a click on it does.
void ChooseLink(int index);

// The canvas's hand pointer.
QCursor HandCursor();
