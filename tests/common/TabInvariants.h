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
QString broken();

} // namespace TabInvariants

#define CHECK_INVARIANTS()                                                                         \
    do {                                                                                           \
        const QString why = TabInvariants::broken();                                               \
        QVERIFY2(why.isEmpty(), qPrintable(why));                                                  \
    } while (false)
