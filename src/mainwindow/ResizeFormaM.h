#pragma once

// The window's layout in pixels of its client area: the advertising strip on
// top, the row of tabs under it, and below that the active tab's content.
inline constexpr int TabRowTop = 77;
inline constexpr int TabHeight = 25;
inline constexpr int ContentTop = 105;
// The catalogue's picture box has a sunken border this wide on every side.
inline constexpr int BoxBorder = 2;
// What the page gives up at its right for the scroll bar, and the bar's width.
inline constexpr int ScrollBarRoom = 21;
inline constexpr int ScrollBarWidth = 17;
// The scroll bar moves this far for each of its arrows.
inline constexpr int ScrollArrowStep = 96;

// Places the main window's controls for its client size and publishes
// FormWidth, PageWidth and PageHeight.
void ResizeFormaM();
