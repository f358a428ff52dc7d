#pragma once

// The rules that hold between any two tab operations, checked on the real
// main window: the tab arrays, the live tabs' controls, colours and
// contents, the open count and the close command.

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"

#include <QAction>
#include <QFrame>
#include <QtTest>

namespace TabInvariants {

// Every rule that must hold between tab operations; empty when all do.
inline QString broken()
{
    const auto &d = decl();
    auto &f = frmForma::instance();
    if (d.PanelClosed.size() != d.PanelCount + 1 || d.PanelLink.size() != d.PanelCount + 1)
        return QStringLiteral("tab arrays do not cover 0..PanelCount");
    if (!isLivePanel(d.ActivePanel))
        return QStringLiteral("active tab %1 is not live").arg(d.ActivePanel);
    if (f.WebRazdel.value(0)->isVisibleTo(f.client))
        return QStringLiteral("browser 0 is visible");
    int live = 0;
    for (int i = 0; i <= d.PanelCount; ++i) {
        const bool active = i == d.ActivePanel;
        if (!isLivePanel(i)) {
            if (f.usrPanel1.contains(i) || f.WebRazdel.contains(i))
                return QStringLiteral("closed tab %1 still in the arrays").arg(i);
            continue;
        }
        if (i > 0)
            ++live;
        usrPanel *t = f.usrPanel1.value(i);
        if (!t || !t->isVisibleTo(f.client))
            return QStringLiteral("live tab %1 has no visible control").arg(i);
        if (t->MeIndex != i)
            return QStringLiteral("tab %1 has MeIndex %2").arg(i).arg(t->MeIndex);
        const QColor want = active ? ActiveTabColor : InactiveTabColor;
        if (t->palette().color(QPalette::Window) != want
            || t->picFon->palette().color(QPalette::Window) != want)
            return QStringLiteral("tab %1 has the wrong colour").arg(i);
        QWidget *content = i == 0 ? static_cast<QWidget *>(f.picBox) : f.WebRazdel.value(i).data();
        if (!content)
            return QStringLiteral("live tab %1 has no content").arg(i);
        if (content->isVisibleTo(f.client) != active)
            return QStringLiteral("content of tab %1 visible: %2").arg(i).arg(!active);
    }
    if (live != d.OpenPanels)
        return QStringLiteral("OpenPanels %1, live web tabs %2").arg(d.OpenPanels).arg(live);
    if (f.MenuClose->isEnabled() != (d.ActivePanel > 0))
        return QStringLiteral("close command enabled with tab %1 active").arg(d.ActivePanel);
    return {};
}

} // namespace TabInvariants

#define CHECK_INVARIANTS()                                                                         \
    do {                                                                                           \
        const QString why = TabInvariants::broken();                                               \
        QVERIFY2(why.isEmpty(), qPrintable(why));                                                  \
    } while (false)
