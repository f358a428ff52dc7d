#include "tabs/TabManager.h"

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "tabs/TabNotice.h"
#include "tabs/usrPanel.h"
#include "web/SaveFileUrlm.h"

#include <QTimer>

bool isLivePanel(int index)
{
    const auto &d = decl();
    return index >= 0 && index <= d.PanelCount && index < d.PanelClosed.size()
        && d.PanelClosed[index] == 0;
}

int NewPanelM(const QString &title, const QString &url, int *madeIndex)
{
    auto &d = decl();
    auto &f = frmForma::instance();

    // The new tab's index is kept here: events run during the activation
    // below may open further tabs and move PanelCount on.
    const int n = ++d.PanelCount;
    d.PanelClosed.resize(n + 1, 0);
    d.PanelLink.resize(n + 1, 0);
    ++d.OpenPanels;

    // The new tab stands where the catalogue tab stands until the strip is
    // laid out at the end.
    auto *tab = new usrPanel(f.client);
    if (usrPanel *tab0 = f.usrPanel1.value(0))
        tab->setGeometry(tab0->geometry());
    f.usrPanel1.insert(n, tab);
    tab->show();
    tab->MeIndex = n;
    tab->setToolTip(title);
    tab->NewText(title);

    WebBrowser *web = createBrowser(f.client);
    web->setVisible(false);
    if (WebBrowser *web0 = f.WebRazdel.value(0))
        web->setGeometry(web0->geometry());
    f.WebRazdel.insert(n, web);
    web->setSilent(true);
    web->setAccessibleName(title);
    // A link that asks for a window of its own opens in the default browser
    // when the user followed it; the page itself never gets a window.
    QObject::connect(web, &WebBrowser::newWindow2, web, [web](WebBrowser::NewWindowRequest *request) {
        request->cancel = true;
        if (!request->userInitiated || !IsHandOffAddress(request->url))
            return;
        // The hand-off lets events run: not inside the engine's callback.
        const QString address = QString::fromLatin1(request->url.toEncoded());
        QTimer::singleShot(0, web, [address] { SaveFileUrlm(address); });
    });
    // The player of the active tab's page may fill the screen.
    QObject::connect(web, &WebBrowser::fullScreenRequested, web, [web](bool on, bool *accept) {
        *accept = frmForma::instance().pageFullScreen(web, on);
    });
    // A tab left without its page says so in its own area.
    QObject::connect(web, &WebBrowser::pageLost, web, [web](WebBrowser::PageLoss why) { TabNotice::showOver(web, why); });
    // Loading goes on in the background; nothing waits for the page.
    web->navigate(url);

    if (madeIndex)
        *madeIndex = n;
    ActivePanelM(n);
    SizePanelM();
    return n;
}
