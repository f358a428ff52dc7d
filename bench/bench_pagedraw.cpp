// Drawing the fullest sample section at 779 and at 300 pixels wide, side by
// side with QTextLayout laying out the same paragraphs at the same width.
// QTextLayout alone draws nothing, so a second anchor lays the paragraphs out
// and draws them into an image of the page's size, as the page drawing does.
//
//   QT_QPA_PLATFORM=offscreen bench/bench_pagedraw [repetitions]

#include "app/Declare.h"
#include "app/MainM.h"
#include "catalogue/OpenMultM.h"
#include "mainwindow/frmForma.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <cstdio>

namespace {

void setPageWidth(int pageWidth)
{
    auto &f = frmForma::instance();
    const QSize extra = f.size() - f.client->size();
    f.resize(QSize(pageWidth + 21, 600) + extra);
    QCoreApplication::processEvents();
}

double perRunMs(int reps, const std::function<void()> &work)
{
    work(); // warm caches
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < reps; ++i)
        work();
    return t.nsecsElapsed() / 1e6 / reps;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    StartWith(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Data/"));

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
    std::printf("%-10s %16s %16s %8s %22s %8s\n", "width", "page drawing ms", "QTextLayout ms", "ratio",
                "QTextLayout+draw ms", "ratio");
    for (int width : {779, 300}) {
        setPageWidth(width);
        const double page = perRunMs(reps, [&] { NomerStranicyM(fullest); });
        QFont font = frmForma::instance().picText->drawFont();
        font.setPointSizeF(14);
        auto layOut = [&](QPainter *painter) {
            qreal y = 0;
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
        const double layout = perRunMs(reps, [&] { layOut(nullptr); });
        // The same into an image as large as the drawn page, cleared first.
        QImage image(frmForma::instance().picText->size(), QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        const double drawn = perRunMs(reps, [&] {
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setPen(QColor(0, 0, 255));
            layOut(&painter);
        });
        std::printf("%-10d %16.3f %16.3f %8.2f %22.3f %8.2f\n", width, page, layout, page / layout, drawn,
                    page / drawn);
        std::printf("RESULT pagedraw_%d_ms %.3f\nRESULT textlayout_%d_ms %.3f\nRESULT textlayout_draw_%d_ms %.3f\n",
                    width, page, width, layout, width, drawn);
    }
    return 0;
}
