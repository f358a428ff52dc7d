#pragma once

// The search command: shows the search window modally.
void MenuFound_Click();
