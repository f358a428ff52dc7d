#include "tabs/TabManager.h"

#include "app/Declare.h"

#include <QCoreApplication>

void MenuHelp_Click()
{
    auto &d = decl();
    if (d.HelpPanel != 0) {
        ActivePanelM(d.HelpPanel);
        return;
    }

    // The help tab is known before it is shown: a second Help pressed while
    // it is being activated then finds it instead of opening another, and a
    // tab clicked meanwhile is not taken for it. Closing it at any point
    // clears HelpPanel again.
    NewPanelM(QStringLiteral("Справка"),
              QCoreApplication::applicationDirPath() + QStringLiteral("/Справка.htm"), &d.HelpPanel);
    QCoreApplication::processEvents();
}

void MenuClose_Click()
{
    const auto &d = decl();
    if (d.ActivePanel < 1)
        return;
    UnloadPanelM(d.ActivePanel);
}

void NextPanelM(int step)
{
    const auto &d = decl();
    const int count = d.PanelCount + 1;
    for (int i = 1; i < count; ++i) {
        const int candidate = ((d.ActivePanel + step * i) % count + count) % count;
        if (isLivePanel(candidate)) {
            ActivePanelM(candidate);
            return;
        }
    }
}
