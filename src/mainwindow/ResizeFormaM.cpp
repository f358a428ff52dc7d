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

    for (int i = 0; i <= d.PanelCount && i < d.PanelClosed.size(); ++i) {
        if (d.PanelClosed[i] != 0)
            continue;
        if (WebBrowser *web = f.WebRazdel.value(i))
            web->setGeometry(0, 105, W, H - 109);
    }

    f.picBox->setGeometry(0, 105, W, H - 105);
    f.picBoxInner->setGeometry(2, 2, W - 4, H - 109);
    f.picText->resize(W - 21, f.picText->height());
    f.usrReklamaX1->resize(W, f.usrReklamaX1->height());

    d.PageWidth = W - 21;
    d.PageHeight = H - 109;

    f.VScroll1->setGeometry(W - 21, 0, 17, d.PageHeight);
    f.VScroll1->setPageStep(std::min(d.PageHeight, 32767));
    f.VScroll1->setSingleStep(96);

    ProkrutkaM();
    SizePanelM();
}
