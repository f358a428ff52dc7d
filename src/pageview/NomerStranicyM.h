#pragma once

#include <QString>

// The height of one line of the page, pixels: the pen's step from line to
// line, and the scroll bar's step for the arrow keys and the wheel.
inline constexpr int LineStep = 21;

// Clears the canvas and draws the page of a section (1..40), building the
// table of link boxes.
void NomerStranicyM(int section);

// Prints one line of an entry at the left margin and moves the pen down.
void PrintPageLine(const QString &text);
