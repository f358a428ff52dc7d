#pragma once

// The scroll range is 16-bit, as the bar's value and maximum are.
inline constexpr int ScrollLimit = 32767;

// Fits the scroll bar's range to the page canvas.
void ProkrutkaM();

// Sets the scroll bar's value; the canvas follows.
void SetScrollValue(int value);

// Scrolls the least that shows the page's rows top..bottom (both included),
// the top when they are higher than the view.
void ScrollIntoView(int top, int bottom);

// The scroll bar's value changed: the canvas follows.
void VScroll1_Change();

// Keyboard scrolling on the page canvas, by Qt key.
void picText_KeyDown(int key);
void picText_KeyUp(int key);

// The mouse wheel over the page or its bar; angleDelta as wheel events give it.
void picText_Wheel(int angleDelta);
