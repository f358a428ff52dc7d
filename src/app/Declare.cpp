#include "app/Declare.h"

Declare &Declare::instance()
{
    static Declare state;
    return state;
}

void Declare::reset()
{
    DataPath.clear();
    for (auto &section : MultTable)
        for (auto &entry : section)
            entry = MultEntry{};
    for (auto &section : MultLower)
        for (auto &entry : section)
            entry = MultFolded{};
    std::fill(std::begin(MultCount), std::end(MultCount), 0);
    CurrentSection = 0;
    FoundType = 0;
    FoundText.clear();
    FoundLast = 0;
    FoundList.clear();
    ActivePanel = 0;
    HelpPanel = 0;
    OpenPanels = 0;
    PanelCount = 0;
    PanelClosed.clear();
    PanelLink.clear();
    FormWidth = 0;
    PageWidth = 0;
    PageHeight = 0;
    CanvasHeight = 0;
    LinkBoxes.clear();
    LastLink = 0;
    HoverLink = 0;
    FocusLink = -1;
    PenX = PenY = LineRight = MaxRight = 0;
    PageCanvas = nullptr;
    HandOffUrl.clear();
    HandOffTime.invalidate();
}
