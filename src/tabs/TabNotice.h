#pragma once

#include "app/WebBrowser.h"

#include <QWidget>

// A short notice in a tab's page area, in place of a page the tab is left
// without, with a button to load the page again where that can help. It
// covers the tab's browser until the button is pressed.
class TabNotice : public QWidget
{
    Q_OBJECT

public:
    // Shows the notice over `web` (one at most per browser).
    static void showOver(WebBrowser *web, WebBrowser::PageLoss why);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TabNotice(WebBrowser *web, WebBrowser::PageLoss why);
};
