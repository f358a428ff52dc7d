#pragma once

#include <QString>

// Clears the canvas and draws the page of a section (1..40), building the
// table of link boxes.
void NomerStranicyM(int section);

// Prints one line of an entry at the left margin and moves the pen down.
void PrintPageLine(const QString &text);
