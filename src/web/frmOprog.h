#pragma once

// The about command: shows the about window modally.
void MenuAbout_Click();
