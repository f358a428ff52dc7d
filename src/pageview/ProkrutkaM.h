#pragma once

// Fits the scroll bar's range to the page canvas.
void ProkrutkaM();

// The scroll bar's value changed: the canvas follows.
void VScroll1_Change();

// Keyboard scrolling on the page canvas, by Qt key.
void picText_KeyDown(int key);
void picText_KeyUp(int key);
