#pragma once

class QAccessibleInterface;
class QObject;

// A tab as assistive technology sees it: a page tab named by its caption,
// selected while it is the active tab, pressed to activate it; its close
// button "Закрыть вкладку", pressed to close it. nullptr for other objects.
QAccessibleInterface *TabAccessibleFor(QObject *object);
