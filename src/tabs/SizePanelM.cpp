#include "tabs/TabManager.h"

#include "app/Declare.h"
#include "mainwindow/ResizeFormaM.h"
#include "mainwindow/frmForma.h"
#include "tabs/usrPanel.h"

#include <algorithm>

void SizePanelM()
{
    auto &d = decl();
    auto &f = frmForma::instance();

    // The live tabs share the window's width in equal slots, each tab two
    // pixels narrower than its slot; the remainder stays empty at the right.
    const int w = d.FormWidth / (d.OpenPanels + 1);
    // More tabs than the width can hold: every tab keeps one pixel and a
    // column of its own, in order, and those past the right edge are out of
    // sight until tabs are closed or the window grows.
    const int slot = std::max(w, 1);
    const int width = std::max(w - 2, 1);

    int x = 0;
    for (int i = 0; i <= d.PanelCount && i < d.PanelClosed.size(); ++i) {
        if (d.PanelClosed[i] == 1)
            continue;
        if (usrPanel *tab = f.usrPanel1.value(i))
            tab->setGeometry(x, TabRowTop, width, TabHeight);
        x += slot;
    }
}
