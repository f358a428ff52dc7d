#pragma once

// Places the main window's controls for its client size and publishes
// FormWidth, PageWidth and PageHeight.
void ResizeFormaM();
