// Drawing the fullest sample section at 779 and at 300 pixels wide, side by
// side with QTextLayout laying out the same paragraphs at the same width.
// QTextLayout alone draws nothing, so a second anchor lays the paragraphs out
// and draws them into an image of the page's size, as the page drawing does.
// Both anchors lay out the heading and the section row too, in the page's
// own font (whole-pixel advances, no kerning), so they do the page's work.
//
//   QT_QPA_PLATFORM=offscreen bench/bench_pagedraw [repetitions]
//   QT_QPA_PLATFORM=offscreen bench/bench_pagedraw --dump
//
// --dump prints, for every sample section at several widths, a digest of the
// page's image, its canvas height and its link table: two builds that print
// the same lines draw the same pages.

#include "app/Declare.h"
#include "app/MainM.h"
#include "catalogue/OpenMultM.h"
#include "mainwindow/frmForma.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

void setPageWidth(int pageWidth)
{
    auto &f = frmForma::instance();
    const QSize extra = f.size() - f.client->size();
    f.resize(QSize(pageWidth + 21, 600) + extra);
    QCoreApplication::processEvents();
}

// The drawing thread's processor time: everything measured runs on it, and
// on a shared machine it leaves out the time spent waiting for a core.
double threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double perRunMs(int reps, const std::function<void()> &work)
{
    const double start = threadMs();
    for (int i = 0; i < reps; ++i)
        work();
    return (threadMs() - start) / reps;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

} // namespace

void dumpPages()
{
    auto &d = decl();
    for (int width : {299, 300, 451, 620, 779, 1003, 1259}) {
        setPageWidth(width);
        for (int s = 1; s <= SectionCount; ++s) {
            NomerStranicyM(s);
            const QImage image = frmForma::instance().picText->image().convertToFormat(QImage::Format_RGB32);
            QCryptographicHash pixels(QCryptographicHash::Sha1);
            for (int y = 0; y < image.height(); ++y)
                pixels.addData(QByteArrayView(reinterpret_cast<const char *>(image.constScanLine(y)),
                                              qsizetype(image.width()) * 4));
            QCryptographicHash links(QCryptographicHash::Sha1);
            for (const LinkBox &b : d.LinkBoxes)
                links.addData(QStringLiteral("%1 %2 %3 %4 %5;").arg(b.X1).arg(b.Y1).arg(b.X2).arg(b.Y2).arg(b.Target)
                                  .toUtf8());
            std::printf("width %d section %d size %dx%d canvas %d links %d/%lld %s image %s\n", width, s,
                        image.width(), image.height(), d.CanvasHeight, d.LastLink, (long long)d.LinkBoxes.size(),
                        links.result().toHex().left(16).constData(), pixels.result().toHex().left(16).constData());
        }
    }
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool dump = argc > 1 && qstrcmp(argv[1], "--dump") == 0;
    const int reps = argc > 1 && !dump ? std::max(1, atoi(argv[1])) : 50;
    StartWith(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Data/"));
    if (dump) {
        dumpPages();
        return 0;
    }

    auto &d = decl();
    int fullest = 1;
    for (int s = 1; s <= SectionCount; ++s) {
        if (d.MultCount[s] == 0)
            LoadSection(s);
        if (d.MultCount[s] > d.MultCount[fullest])
            fullest = s;
    }
    QStringList paragraphs;
    for (int k = 1; k <= d.MultCount[fullest]; ++k)
        paragraphs << QString::number((fullest - 1) * 100 + k) + QStringLiteral(") ") + d.MultTable[fullest][k].Title
                          + QLatin1Char(' ') + d.MultTable[fullest][k].StudioYear;

    std::printf("section %d, %d entries\n", fullest, d.MultCount[fullest]);
    std::printf("processor time of the drawing thread, median of rounds\n");
    std::printf("%-10s %16s %16s %8s %22s %8s\n", "width", "page drawing ms", "QTextLayout ms", "ratio",
                "QTextLayout+draw ms", "ratio");
    for (int width : {779, 300}) {
        setPageWidth(width);
        NomerStranicyM(fullest); // warms the caches and gives the page's size
        QFont font = frmForma::instance().picText->drawFont();
        font.setPointSizeF(14);
        // The same page as QTextLayout lays it out: the heading, the section
        // row as one wrapped paragraph of numbers, then the entries.
        QFont headingFont = font;
        headingFont.setPointSizeF(18);
        QString row;
        for (int n = 1; n <= SectionCount; ++n)
            row += QString::number(n) + QLatin1Char(' ');
        auto layOut = [&](QPainter *painter) {
            QTextLayout heading(QStringLiteral("Mirelka online"), headingFont, frmForma::instance().picText);
            heading.beginLayout();
            QTextLine headingLine = heading.createLine();
            headingLine.setLineWidth(width);
            heading.endLayout();
            const qreal headingLeft = (width - headingLine.naturalTextWidth()) / 2;
            QTextLayout numbers(row, font, frmForma::instance().picText);
            numbers.beginLayout();
            qreal y = 45;
            for (QTextLine line = numbers.createLine(); line.isValid(); line = numbers.createLine()) {
                line.setLineWidth(width - 10);
                line.setPosition(QPointF(10, y));
                y += 23;
            }
            numbers.endLayout();
            y += 7;
            if (painter) {
                painter->setPen(QColor(0, 0, 0));
                heading.draw(painter, QPointF(headingLeft, 10));
                painter->setPen(QColor(0, 0, 255));
                numbers.draw(painter, QPointF(0, 0));
            }
            for (const QString &p : paragraphs) {
                QTextLayout tl(p, font, frmForma::instance().picText);
                tl.beginLayout();
                const qreal top = y;
                for (QTextLine line = tl.createLine(); line.isValid(); line = tl.createLine()) {
                    line.setLineWidth(width - 10);
                    line.setPosition(QPointF(10, y - top));
                    y += 21;
                }
                tl.endLayout();
                if (painter)
                    tl.draw(painter, QPointF(0, top));
            }
        };
        // The same into an image as large as the drawn page, cleared first.
        QImage image(frmForma::instance().picText->size(), QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        const auto layOutAndDraw = [&] {
            image.fill(Qt::white);
            QPainter painter(&image);
            layOut(&painter);
        };
        layOut(nullptr);
        layOutAndDraw();
        // The machine may be shared: the page and its anchors take turns in
        // short rounds, and each figure is the median of its rounds.
        constexpr int Batch = 10;
        QList<double> pages, layouts, drawns, layoutRatios, drawnRatios;
        for (int round = 0; round < std::max(5, reps / Batch); ++round) {
            pages << perRunMs(Batch, [&] { NomerStranicyM(fullest); });
            layouts << perRunMs(Batch, [&] { layOut(nullptr); });
            drawns << perRunMs(Batch, layOutAndDraw);
            layoutRatios << pages.last() / layouts.last();
            drawnRatios << pages.last() / drawns.last();
        }
        const double page = median(pages);
        const double layout = median(layouts);
        const double drawn = median(drawns);
        std::printf("%-10d %16.3f %16.3f %8.2f %22.3f %8.2f   (rounds: ratio %.2f-%.2f, %.2f-%.2f)\n", width, page,
                    layout, page / layout, drawn, page / drawn,
                    *std::min_element(layoutRatios.cbegin(), layoutRatios.cend()),
                    *std::max_element(layoutRatios.cbegin(), layoutRatios.cend()),
                    *std::min_element(drawnRatios.cbegin(), drawnRatios.cend()),
                    *std::max_element(drawnRatios.cbegin(), drawnRatios.cend()));
        std::printf("RESULT pagedraw_%d_ms %.3f\nRESULT textlayout_%d_ms %.3f\nRESULT textlayout_draw_%d_ms %.3f\n",
                    width, page, width, layout, width, drawn);
    }
    return 0;
}
