#include "pageview/VyborLinksM.h"

#include "app/Declare.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PageAccessible.h"
#include "pageview/PictureBox.h"
#include "pageview/ProkrutkaM.h"
#include "tabs/TabManager.h"
#include "web/Sites.h"

#include <QBitmap>
#include <QImage>

namespace {

const QColor OutlineShown(0, 0, 255);
const QColor OutlineRemoved(255, 255, 255);

bool onLink(const LinkBox &box, QPointF p)
{
    return box.X1 < p.x() && p.x() < box.X2 && box.Y1 < p.y() && p.y() < box.Y2;
}

// The last valid link index: LastLink, within the table actually built.
int lastLink()
{
    const auto &d = decl();
    return std::min(d.LastLink, int(d.LinkBoxes.size()) - 1);
}

void outline(int index, const QColor &color)
{
    auto &d = decl();
    if (!d.PageCanvas || index < 0 || index >= d.LinkBoxes.size())
        return;
    const LinkBox &box = d.LinkBoxes[index];
    d.PageCanvas->drawBox(box.X1, box.Y1, box.X2, box.Y2, color);
}

// Takes the pointer's outline off a link. The link with the keyboard keeps
// its own outline, drawn again on the same pixels, so neither outline leaves
// a mark behind the other.
void removeOutline(int index)
{
    outline(index, OutlineRemoved);
    const auto &d = decl();
    if (index == d.FocusLink && d.PageCanvas && index <= lastLink()) {
        const LinkBox &box = d.LinkBoxes[index];
        d.PageCanvas->drawBox(box.X1, box.Y1, box.X2, box.Y2, OutlineShown, true);
    }
}

// Carries out the choice of a link, once: a choice asked for while another
// is carried out is dropped.
void choose(int index)
{
    auto &d = decl();
    if (d.ChoosingLink)
        return;
    d.ChoosingLink = true;
    VyborLinksM(index);
    d.ChoosingLink = false;
}

// The hand, 32 x 32: '#' black outline, '.' white, blank transparent. The
// forefinger points up at the hot spot in the top left corner.
constexpr const char *HandPicture[] = {
    " ##                             ",
    "#..#                            ",
    "#..#                            ",
    "#..#                            ",
    "#..#                            ",
    "#..###                          ",
    "#..#..##                        ",
    "#..#..#.###                     ",
    "#..#..#..#.#                    ",
    "#........#..#                   ",
    "#...........#                   ",
    "#...........#                   ",
    "#...........#                   ",
    " #..........#                   ",
    " #.........#                    ",
    "  #........#                    ",
    "  #........#                    ",
    "   ########                     ",
};

} // namespace

QCursor HandCursor()
{
    static const QCursor cursor = [] {
        // A new mono image's colour table is (black, white), which the bitmap
        // takes the other way round: index 1 must be black, the bitmap's set
        // bit, or the hand comes out as a black square with a hand-shaped hole.
        const QList<QRgb> bitColours{qRgb(255, 255, 255), qRgb(0, 0, 0)};
        QImage shape(32, 32, QImage::Format_Mono);
        QImage mask(32, 32, QImage::Format_Mono);
        shape.setColorTable(bitColours);
        mask.setColorTable(bitColours);
        shape.fill(0);
        mask.fill(0);
        int y = 0;
        for (const char *row : HandPicture) {
            for (int x = 0; x < 32 && row[x]; ++x) {
                if (row[x] == '#') {
                    shape.setPixel(x, y, 1);
                    mask.setPixel(x, y, 1);
                } else if (row[x] == '.') {
                    mask.setPixel(x, y, 1);
                }
            }
            ++y;
        }
        return QCursor(QBitmap::fromImage(shape), QBitmap::fromImage(mask), 0, 0);
    }();
    return cursor;
}

void picText_MouseMove(QPointF position)
{
    auto &d = decl();
    if (d.LastLink == -1)
        return;
    if (d.HoverLink > d.LastLink) {
        d.HoverLink = -1;
        return;
    }
    if (d.HoverLink >= 0 && d.HoverLink < d.LinkBoxes.size() && onLink(d.LinkBoxes[d.HoverLink], position))
        return;

    int found = -1;
    const int last = lastLink();
    for (int i = 0; i <= last; ++i) {
        if (onLink(d.LinkBoxes[i], position)) {
            found = i;
            break;
        }
    }

    if (d.PageCanvas) {
        if (found >= 0)
            d.PageCanvas->setCursor(HandCursor());
        else
            d.PageCanvas->unsetCursor();
    }

    if (found != d.HoverLink) {
        const int old = d.HoverLink;
        d.HoverLink = found;
        if (old >= 0)
            removeOutline(old);
        if (found >= 0)
            outline(found, OutlineShown);
    }
}

void picText_MouseUp()
{
    auto &d = decl();
    // While a choice is carried out, a release handled during its yields
    // must neither choose again nor open a second tab.
    if (d.ChoosingLink)
        return;
    if (d.HoverLink > d.LastLink) {
        d.HoverLink = -1;
        return;
    }
    if (d.HoverLink == -1)
        return;

    const int chosen = d.HoverLink;
    removeOutline(chosen);
    choose(chosen);

    // A pointer move during the choice may have outlined another link; its
    // outline goes with the marker, so no stray box stays on the page.
    const int moved = d.HoverLink;
    d.HoverLink = -1;
    if (moved != chosen && moved >= 0 && moved <= lastLink())
        removeOutline(moved);
}

void SetFocusLink(int index)
{
    auto &d = decl();
    const int last = lastLink();
    // Entries still being laid out (the drawing's yield) have no box yet.
    if (index < 0 || index > last || d.LinkBoxes[index].Target.isEmpty())
        index = -1;
    const int old = d.FocusLink;
    d.FocusLink = index;
    if (old == index)
        return;
    // The pointer's outline, where there is one, stays on top.
    if (old >= 0 && old <= last && old != d.HoverLink)
        outline(old, OutlineRemoved);
    if (index >= 0) {
        const LinkBox &box = d.LinkBoxes[index];
        if (index != d.HoverLink && d.PageCanvas)
            d.PageCanvas->drawBox(box.X1, box.Y1, box.X2, box.Y2, OutlineShown, true);
        ScrollIntoView(box.Y1, box.Y2);
    }
    PageFocusMoved();
}

bool picText_TabKey(bool forward)
{
    const auto &d = decl();
    const int last = lastLink();
    if (last < 0)
        return false;
    int next;
    if (d.FocusLink < 0)
        next = forward ? 0 : last;
    else
        next = d.FocusLink + (forward ? 1 : -1);
    // Past either end the keyboard leaves the page.
    SetFocusLink(next);
    return decl().FocusLink >= 0;
}

void picText_GotFocus(Qt::FocusReason reason)
{
    // Reached by Tab, the page starts at its first link; by Shift+Tab, at
    // its last.
    if (reason == Qt::TabFocusReason)
        SetFocusLink(0);
    else if (reason == Qt::BacktabFocusReason)
        SetFocusLink(lastLink());
    else
        PageFocusMoved();
}

void picText_LostFocus(Qt::FocusReason reason)
{
    // Left by Tab or a click elsewhere, the page lets go of its link; a menu,
    // a dialog or another tab in front of it only hides the page for a while
    // (hidden, the page hands the keyboard on as Tab would).
    const PictureBox *canvas = decl().PageCanvas;
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
        && canvas && canvas->isVisible())
        SetFocusLink(-1);
}

void picText_ChooseKey()
{
    const auto &d = decl();
    if (d.FocusLink >= 0 && d.FocusLink <= lastLink())
        choose(d.FocusLink);
}

void ChooseLink(int index)
{
    if (index >= 0 && index <= lastLink())
        choose(index);
}

void VyborLinksM(int index)
{
    auto &d = decl();
    if (index < 0 || index >= d.LinkBoxes.size())
        return;
    const QString target = d.LinkBoxes[index].Target;
    const QString kind = target.left(4);
    bool ok = false;
    const int number = target.mid(4).toInt(&ok);
    if (!ok)
        return;

    if (kind == QLatin1String("mult")) {
        const int section = d.CurrentSection;
        if (section < 1 || section > SectionCount || number < 1 || number > d.MultCount[section])
            return;
        const qint32 record = EntryRecord(section, number);
        for (int i = 1; i <= d.PanelCount && i < d.PanelClosed.size() && i < d.PanelLink.size(); ++i) {
            if (d.PanelClosed[i] == 0 && d.PanelLink[i] == record) {
                ActivePanelM(i);
                return;
            }
        }
        // The record goes to the tab NewPanelM made, whatever tabs events
        // run during its activation have opened since.
        const MultEntry &entry = d.MultTable[section][number];
        const int tab = NewPanelM(entry.Title, CartoonPageUrl(entry));
        if (tab > 0 && tab < d.PanelLink.size())
            d.PanelLink[tab] = record;
    } else if (kind == QLatin1String("list")) {
        if (number >= 1 && number <= SectionCount)
            NomerStranicyM(number);
    }
}
