#include "mainwindow/ResizeFormaM.h"

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "pageview/PictureBox.h"
#include "pageview/ProkrutkaM.h"
#include "tabs/TabManager.h"
#include "web/usrReklamaX.h"

#include <QFrame>
#include <QScrollBar>

void ResizeFormaM()
{
    auto &d = decl();
    auto &f = frmForma::instance();

    // The client area never gets below its minimum size, so every width and
    // height below stays positive.
    const int W = f.client->width();
    const int H = f.client->height();
    d.FormWidth = W;

    // The page is the picture box's inside; a web tab's browser is as high
    // as the page and as wide as the window.
    const int pageHeight = H - ContentTop - 2 * BoxBorder;
    for (int i = 0; i <= d.PanelCount && i < d.PanelClosed.size(); ++i) {
        if (d.PanelClosed[i] != 0)
            continue;
        if (WebBrowser *web = f.WebRazdel.value(i))
            web->setGeometry(0, ContentTop, W, pageHeight);
    }

    f.picBox->setGeometry(0, ContentTop, W, H - ContentTop);
    f.picBoxInner->setGeometry(BoxBorder, BoxBorder, W - 2 * BoxBorder, pageHeight);
    f.picText->resize(W - ScrollBarRoom, f.picText->height());
    f.usrReklamaX1->resize(W, f.usrReklamaX1->height());

    d.PageWidth = W - ScrollBarRoom;
    d.PageHeight = pageHeight;

    f.VScroll1->setGeometry(W - ScrollBarRoom, 0, ScrollBarWidth, d.PageHeight);
    f.VScroll1->setPageStep(std::min(d.PageHeight, ScrollLimit));
    f.VScroll1->setSingleStep(ScrollArrowStep);

    ProkrutkaM();
    SizePanelM();
}
