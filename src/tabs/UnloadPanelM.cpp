#include "tabs/TabManager.h"

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "tabs/usrPanel.h"

#include <QCoreApplication>

void UnloadPanelM(int i)
{
    auto &d = decl();
    auto &f = frmForma::instance();

    // The catalogue tab is never closed, and a tab is closed only once (a
    // second close gesture may be queued behind the first).
    if (i < 1 || !isLivePanel(i))
        return;

    // The tab control may be closing itself from its own mouse handler: it
    // leaves the strip at once but is deleted only after that handler has
    // returned. Its browser goes with it.
    if (QPointer<usrPanel> tab = f.usrPanel1.take(i)) {
        tab->hide();
        tab->deleteLater();
    }
    if (QPointer<WebBrowser> web = f.WebRazdel.take(i)) {
        web->hide();
        web->deleteLater();
    }
    d.PanelClosed[i] = 1;
    --d.OpenPanels;

    // HelpPanel is cleared before the activation below lets waiting events
    // run: a Help command among them must open a new help tab, not look for
    // this one.
    if (i == d.HelpPanel)
        d.HelpPanel = 0;
    if (i == d.ActivePanel)
        ActivePanelM(0);

    QCoreApplication::processEvents();
    SizePanelM();
}
