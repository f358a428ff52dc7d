#include "pageview/NomerStranicyM.h"

#include "app/Declare.h"
#include "app/Rounding.h"
#include "catalogue/OpenMultM.h"
#include "pageview/PageAccessible.h"
#include "pageview/PictureBox.h"
#include "pageview/ProkrutkaM.h"

#include <QCoreApplication>

#include <utility>

namespace {

constexpr int HeadingTop = 10;
constexpr qreal HeadingPoints = 18;
constexpr qreal BodyPoints = 14;
constexpr int LeftMargin = 10;
constexpr int HeadingToRow = 35;
constexpr int NumberGap = 5;
constexpr int RowStep = 23;
constexpr int RowToEntries = 30;
constexpr int SectionBoxHeight = 21;
// The page's first links go to every section but its own; its entries follow.
constexpr int SectionLinks = SectionCount - 1;
constexpr int BottomMargin = 30;

const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);

// A page drawing yields to pending events once. Input handled then must not
// start a second drawing inside the first nor touch the link table: a page
// asked for meanwhile is remembered and drawn when the current one is done.
class PageGuard
{
public:
    explicit PageGuard(int section)
    {
        auto &d = decl();
        if (d.PageDrawing) {
            d.PendingSection = section;
            return;
        }
        d.PageDrawing = true;
        m_owner = true;
    }
    ~PageGuard()
    {
        if (m_owner) {
            decl().PageDrawing = false;
            decl().PendingSection = 0;
        }
    }
    bool owns() const { return m_owner; }
    int takePending() { return std::exchange(decl().PendingSection, 0); }

private:
    bool m_owner = false;
};

// Breaks a paragraph too wide for the page into lines. Characters are
// measured one at a time; a line ends after its last blank or hyphen once
// the running width passes the page width. A piece that passes the width
// before any blank or hyphen of its own breaks before the character that
// passed it, keeping at least one character, so the layout always finishes.
void printWrapped(PictureBox &canvas, const QString &text)
{
    auto &d = decl();
    const qsizetype length = text.size();
    qsizetype start = 0;      // first character of the current piece
    qsizetype breakAt = -1;   // index of the piece's last blank or hyphen
    int breakRight = 0;

    qsizetype i = start;
    while (i < length) {
        const QChar c = text[i];
        const int before = d.PenX;
        d.PenX = RoundHalfEven(d.PenX + canvas.charWidth(c));
        // A hyphen that itself passes the page's edge is no break: it would
        // stay on the upper line and be drawn past the edge. A blank may, as
        // it draws nothing.
        if (c == QLatin1Char(' ') || (c == QLatin1Char('-') && d.PenX <= d.PageWidth)) {
            breakAt = i;
            breakRight = d.PenX;
        }
        if (d.PenX > d.PageWidth) {
            qsizetype end;  // one past the last character printed
            if (breakAt >= 0) {
                end = breakAt + 1;
                d.LineRight = breakRight;
            } else if (i > start) {
                end = i;
                d.LineRight = before;
            } else {
                end = i + 1;
                d.LineRight = d.PenX;
            }
            PrintPageLine(text.mid(start, end - start));
            start = end;
            breakAt = -1;
            i = start;
            continue;
        }
        ++i;
    }
    if (start < length) {
        d.LineRight = d.PenX;
        PrintPageLine(text.mid(start));
    }
}

} // namespace

void PrintPageLine(const QString &text)
{
    auto &d = decl();
    PictureBox *canvas = d.PageCanvas;
    if (d.PenY + LineStep > d.CanvasHeight) {
        d.CanvasHeight = d.PenY + LineStep;
        // The canvas takes its height once the page is drawn; until then
        // only its image grows, as nothing can look at it in between.
        if (canvas)
            canvas->reserveHeight(d.CanvasHeight);
    }
    if (canvas)
        canvas->print(LeftMargin, d.PenY, text);
    if (d.LineRight > d.MaxRight)
        d.MaxRight = d.LineRight;
    d.PenX = LeftMargin;
    d.PenY += LineStep;
}

void NomerStranicyM(int s)
{
    auto &d = decl();
    PictureBox *canvas = d.PageCanvas;
    if (!canvas || s < 1 || s > SectionCount)
        return;

    PageGuard guard(s);
    if (!guard.owns())
        return;

    for (int section = s; section != 0; section = guard.takePending()) {
        d.CurrentSection = section;
        if (d.MultCount[section] == 0)
            LoadSection(section);

        d.CanvasHeight = d.PageHeight;
        // The new page starts with the keyboard before its first link.
        d.FocusLink = -1;
        canvas->clear();
        SetScrollValue(0);

        canvas->setFontSize(HeadingPoints);
        const QString heading = QStringLiteral("Mirelka online");
        const int headingWidth = RoundHalfEven(canvas->textWidth(heading));
        d.PenX = RoundHalfEven((d.PageWidth - headingWidth) * 0.5);
        d.PenY = HeadingTop;

        const int count = d.MultCount[section];
        d.LastLink = SectionLinks + count - 1;
        canvas->setGeometry(0, 0, d.PageWidth, d.PageHeight);

        canvas->setForeColor(Black);
        canvas->print(d.PenX, d.PenY, heading);
        canvas->setFontSize(BodyPoints);
        canvas->setForeColor(Blue);

        d.PenY += HeadingToRow;
        d.PenX = LeftMargin;
        QList<LinkBox> links(d.LastLink + 1);
        int next = 0;

        for (int n = 1; n <= SectionCount; ++n) {
            const QString t = QString::number(n);
            const int w = RoundHalfEven(canvas->textWidth(t));
            if (d.PenX + w > d.PageWidth) {
                d.PenX = LeftMargin;
                d.PenY += RowStep;
            }
            if (n == section) {
                canvas->setForeColor(Black);
                canvas->print(d.PenX, d.PenY, t);
                canvas->setForeColor(Blue);
            } else {
                canvas->print(d.PenX, d.PenY, t);
                links[next++] = LinkBox{d.PenX - 2, d.PenY, d.PenX + w + 1, d.PenY + SectionBoxHeight,
                                        QStringLiteral("list") + t};
            }
            d.PenX += w + NumberGap;
        }
        // The table is complete for the section row; the entries follow.
        d.LinkBoxes = links;

        // Let the heading and the section row appear before the entries are
        // measured.
        QCoreApplication::processEvents();

        d.PenY += RowToEntries;
        d.PenX = LeftMargin;
        for (int k = 1; k <= count; ++k) {
            const MultEntry &entry = d.MultTable[section][k];
            const QString text = QString::number((section - 1) * EntriesPerSection + k) + QStringLiteral(") ")
                                 + entry.Title + QLatin1Char(' ') + entry.StudioYear;
            d.PenX = LeftMargin;
            d.MaxRight = 0;
            LinkBox &box = d.LinkBoxes[next];
            box.X1 = LeftMargin - 2;
            box.Y1 = d.PenY;
            box.Target = QStringLiteral("mult") + QString::number(k);

            d.LineRight = RoundHalfEven(canvas->textWidth(text) + LeftMargin);
            if (d.LineRight < d.PageWidth)
                PrintPageLine(text);
            else
                printWrapped(*canvas, text);

            LinkBox &closed = d.LinkBoxes[next++];
            closed.X2 = d.MaxRight + 1;
            closed.Y2 = d.PenY;
        }

        if (d.CanvasHeight > d.PageHeight) {
            d.CanvasHeight += BottomMargin;
            canvas->setGeometry(0, 0, d.PageWidth, d.CanvasHeight);
        }
        ProkrutkaM();
        PageDrawn();
    }
}
