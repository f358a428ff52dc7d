#include "tabs/TabManager.h"

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "pageview/PictureBox.h"
#include "tabs/usrPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>

void ActivePanelM(int a)
{
    auto &d = decl();
    auto &f = frmForma::instance();

    if (a == d.ActivePanel)
        return;
    // A click queued for a tab that has been closed since may still arrive;
    // only live tabs can be activated.
    if (!isLivePanel(a))
        return;

    // The previous tab may be gone already when its own closing hands over
    // to the catalogue tab.
    const int o = d.ActivePanel;
    if (isLivePanel(o)) {
        if (usrPanel *old = f.usrPanel1.value(o))
            old->NewFon(InactiveTabColor);
    }
    if (o == 0) {
        f.picBox->hide();
    } else if (isLivePanel(o)) {
        if (WebBrowser *web = f.WebRazdel.value(o))
            web->hide();
    }

    d.ActivePanel = a;
    if (usrPanel *tab = f.usrPanel1.value(a))
        tab->NewFon(ActiveTabColor);
    if (a == 0) {
        f.picBox->show();
    } else if (WebBrowser *web = f.WebRazdel.value(a)) {
        web->show();
    }

    // The switch is complete: colours, visibility and ActivePanel agree, so
    // whatever runs now sees a consistent strip.
    QCoreApplication::processEvents();

    // Another activation that ran meanwhile (a click on another tab, the
    // closing of this one) has set the focus and the close command for its
    // own tab already.
    if (d.ActivePanel != a)
        return;
    // The keys go to what the tab shows: Page Down and the arrows scroll
    // the catalogue or the web page at once.
    if (a == 0 && d.PageCanvas)
        d.PageCanvas->setFocus();
    else if (WebBrowser *web = f.WebRazdel.value(a); a > 0 && web)
        web->setFocus();
    f.MenuClose->setEnabled(a > 0);
}
