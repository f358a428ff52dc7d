#include "pageview/ProkrutkaM.h"

#include "app/Declare.h"
#include "mainwindow/frmForma.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"

#include <QGuiApplication>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>

namespace {

constexpr int PageKeyMargin = 10;
// One notch of an ordinary wheel, in the units wheel events count in.
constexpr int WheelNotch = 120;

QScrollBar *bar()
{
    return frmForma::exists() ? frmForma::instance().VScroll1 : nullptr;
}

} // namespace

void SetScrollValue(int value)
{
    if (QScrollBar *b = bar())
        b->setValue(value);
}

void ProkrutkaM()
{
    QScrollBar *b = bar();
    PictureBox *canvas = decl().PageCanvas;
    if (!b || !canvas)
        return;
    const int h = canvas->height();
    if (b->height() < h) {
        // setMaximum brings a value above the new maximum down to it, and the
        // canvas follows through the change handler.
        b->setMaximum(std::min(h - b->height(), ScrollLimit));
        b->setEnabled(true);
    } else {
        // The whole page fits. Bring it back to the top rather than leave it
        // scrolled out of sight with no bar to scroll it back.
        b->setEnabled(false);
        b->setValue(0);
        canvas->move(0, 0);
    }
}

void ScrollIntoView(int top, int bottom)
{
    QScrollBar *b = bar();
    if (!b || !b->isEnabled())
        return;
    const int view = b->height();
    int v = b->value();
    if (bottom >= v + view)
        v = bottom - view + 1;
    if (top < v)
        v = top;
    b->setValue(std::clamp(v, 0, b->maximum()));
}

void VScroll1_Change()
{
    QScrollBar *b = bar();
    PictureBox *canvas = decl().PageCanvas;
    if (b && canvas)
        canvas->move(0, -b->value());
}

void picText_KeyDown(int key)
{
    QScrollBar *b = bar();
    if (!b || !b->isEnabled())
        return;
    const int v = b->value();
    const int m = b->maximum();
    const int page = decl().PageHeight;
    switch (key) {
    case Qt::Key_PageUp:
        b->setValue(std::max(v - page - PageKeyMargin, 0));
        break;
    case Qt::Key_PageDown:
        b->setValue(std::min(v + page - PageKeyMargin, m));
        break;
    case Qt::Key_Up:
        b->setValue(std::max(v - LineStep, 0));
        break;
    case Qt::Key_Down:
        b->setValue(std::min(v + LineStep, m));
        break;
    default:
        break;
    }
}

void picText_KeyUp(int key)
{
    QScrollBar *b = bar();
    if (!b || !b->isEnabled())
        return;
    if (key == Qt::Key_Home)
        b->setValue(0);
    else if (key == Qt::Key_End)
        b->setValue(b->maximum());
}

void picText_Wheel(int angleDelta)
{
    // A notch scrolls the desktop's number of lines (three, usually) of the
    // page's own lines, as text views do: the bar's small step is much
    // larger. Fine-grained wheels send fractions of a notch, which add up.
    int &rest = decl().WheelRest;
    QScrollBar *b = bar();
    if (!b || !b->isEnabled())
        return;
    if ((rest < 0) != (angleDelta < 0))
        rest = 0;
    rest += angleDelta * QGuiApplication::styleHints()->wheelScrollLines() * LineStep;
    const int pixels = rest / WheelNotch;
    rest -= pixels * WheelNotch;
    if (pixels != 0)
        b->setValue(std::clamp(b->value() - pixels, 0, b->maximum()));
}
