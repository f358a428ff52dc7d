#include "pageview/PictureBox.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>

#include <vector>

namespace {
// 96 dots per inch, in dots per metre.
constexpr int DotsPerMetre96 = 3780;

// Text on the box is measured and drawn in whole pixels, glyph by glyph:
// full hinting rounds each glyph's advance, and without kerning or shaping
// the width of a text is the sum of its characters' widths. Otherwise the
// page's wrapping, which adds up characters, and the drawing, which places a
// whole line, disagree by a few pixels, and wrapped lines end past the edge.
QFont wholePixelFont(QFont font)
{
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

// An image of a size in pixels of the layout, with as many of the screen's
// pixels as the screen has for them: drawing on it is placed in layout
// pixels and comes out at the screen's resolution. Its fonts stay at 96 dots
// per inch of layout pixels, so text measures the same at every scale.
QImage blankImage(QSize size, const QColor &back, qreal scale)
{
    const QSize area = size.expandedTo(QSize(1, 1));
    QImage image(qCeil(area.width() * scale), qCeil(area.height() * scale), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.setDotsPerMeterX(DotsPerMetre96);
    image.setDotsPerMeterY(DotsPerMetre96);
    image.fill(back);
    return image;
}
// Characters below this code (Latin, Cyrillic) are looked up in a table.
constexpr char16_t TableSize = 0x500;
} // namespace

struct PictureBox::FontGlyphs
{
    QRawFont raw;
    std::vector<Glyph> table = std::vector<Glyph>(TableSize);
    QHash<char16_t, Glyph> others;
    // Scratch for one line, kept to spare allocations.
    QList<quint32> indexes;
    QList<QPointF> positions;
};

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_area = size().expandedTo(QSize(1, 1));
    m_image = blankImage(m_area, m_back, 1);
    m_font = wholePixelFont(m_font);
    fontChanged();
}

void PictureBox::fontChanged()
{
    m_metrics = QFontMetricsF(m_font, &m_image);
    std::shared_ptr<FontGlyphs> &glyphs = m_fonts[m_font.key()];
    if (!glyphs) {
        glyphs = std::make_shared<FontGlyphs>();
        // The font as the image resolves it: at the image's 96 dots per inch.
        glyphs->raw = QRawFont::fromFont(QFont(m_font, &m_image));
    }
    m_glyphs = glyphs.get();
}

const PictureBox::Glyph &PictureBox::glyph(char16_t c) const
{
    Glyph &g = c < TableSize ? m_glyphs->table[c] : m_glyphs->others[c];
    if (g.advance < 0) {
        const QString alone(1, QChar(c));
        g.advance = m_metrics.horizontalAdvance(alone);
        // Controls, invisible format characters and combining marks are
        // left to the text engine, which places them by rules of its own.
        const QChar ch(c);
        const bool plain = ch.isPrint() && !ch.isMark();
        const QList<quint32> indexes = m_glyphs->raw.glyphIndexesForString(alone);
        g.index = plain && indexes.size() == 1 ? indexes.front() : 0;
    }
    return g;
}

QPainter &PictureBox::painter()
{
    if (!m_painter.isActive())
        m_painter.begin(&m_image);
    return m_painter;
}

void PictureBox::endPainting()
{
    if (m_painter.isActive())
        m_painter.end();
}

void PictureBox::setBackColor(const QColor &color)
{
    m_back = color;
}

void PictureBox::setDrawFont(const QFont &font)
{
    m_font = wholePixelFont(font);
    fontChanged();
}

void PictureBox::setFontSize(qreal points)
{
    if (m_font.pointSizeF() == points)
        return;
    m_font.setPointSizeF(points);
    fontChanged();
}

qreal PictureBox::charWidth(QChar c) const
{
    return glyph(c.unicode()).advance;
}

qreal PictureBox::textWidth(const QString &text) const
{
    // Whole-pixel advances without kerning: a text is as wide as its
    // characters together, unless another font supplies some of them.
    qreal width = 0;
    for (QChar c : text) {
        const Glyph &g = glyph(c.unicode());
        if (g.index == 0)
            return text.size() == 1 ? g.advance : m_metrics.horizontalAdvance(text);
        width += g.advance;
    }
    return width;
}

void PictureBox::print(int x, int y, const QString &text)
{
    QPainter &p = painter();
    p.setPen(m_fore);
    const qreal baseline = y + m_metrics.ascent();
    const int lineHeight = qCeil(m_metrics.height()) + 1;
    // The glyphs where drawing the text would put them, without shaping the
    // text again for every line.
    FontGlyphs &f = *m_glyphs;
    f.indexes.resize(text.size());
    f.positions.resize(text.size());
    qreal pen = x;
    bool own = true;
    for (qsizetype i = 0; i < text.size() && own; ++i) {
        const Glyph &g = glyph(text[i].unicode());
        own = g.index != 0;
        f.indexes[i] = g.index;
        f.positions[i] = QPointF(pen, baseline);
        pen += g.advance;
    }
    if (own) {
        QGlyphRun run;
        run.setRawFont(f.raw);
        run.setGlyphIndexes(f.indexes);
        run.setPositions(f.positions);
        p.drawGlyphRun(QPointF(0, 0), run);
    } else {
        p.setFont(m_font);
        p.drawText(QPointF(x, baseline), text);
        pen = m_area.width();
    }
    // Glyphs may reach a little outside their cells.
    drawnOn(QRect(x - lineHeight, y - lineHeight / 2, int(pen) - x + 2 * lineHeight, 2 * lineHeight));
    // The strip to the right edge: measuring the text again only to narrow
    // the repainted area would cost more than it saves.
    update(QRect(x, y, std::max(width() - x, 0), lineHeight));
}

void PictureBox::drawBox(int x1, int y1, int x2, int y2, const QColor &color, bool dotted)
{
    QPainter &p = painter();
    // Edges as filled pixels, so a box covers the same whole pixels of the
    // page at every screen resolution.
    if (!dotted) {
        p.fillRect(QRect(x1, y1, x2 - x1 + 1, 1), color);
        p.fillRect(QRect(x1, y2, x2 - x1 + 1, 1), color);
        p.fillRect(QRect(x1, y1, 1, y2 - y1 + 1), color);
        p.fillRect(QRect(x2, y1, 1, y2 - y1 + 1), color);
    } else {
        for (int x = x1; x <= x2; ++x) {
            if ((x + y1) % 2 == 0)
                p.fillRect(QRect(x, y1, 1, 1), color);
            if ((x + y2) % 2 == 0)
                p.fillRect(QRect(x, y2, 1, 1), color);
        }
        for (int y = y1 + 1; y < y2; ++y) {
            if ((x1 + y) % 2 == 0)
                p.fillRect(QRect(x1, y, 1, 1), color);
            if ((x2 + y) % 2 == 0)
                p.fillRect(QRect(x2, y, 1, 1), color);
        }
    }
    drawnOn(QRect(QPoint(x1, y1), QPoint(x2, y2)));
    update(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, const QColor &color)
{
    painter().fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), color);
    drawnOn(QRect(QPoint(x1, y1), QPoint(x2, y2)));
    update(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void PictureBox::clear()
{
    // Only what was drawn since the last clear: the image keeps the largest
    // size the box has had, and a page seldom fills all of it.
    const QRect drawn = m_drawn & QRect(QPoint(0, 0), m_area);
    if (!drawn.isEmpty())
        painter().fillRect(drawn, m_back);
    endPainting();
    m_drawn = QRect();
    update();
}

void PictureBox::reserveHeight(int height)
{
    if (height > m_area.height())
        growImage(QSize(m_area.width(), height));
}

void PictureBox::growImage(QSize size)
{
    // In steps ahead of what is asked, so a page growing line by line
    // copies the image a few times, not at every line.
    const QSize room(std::max(size.width(), m_area.width()),
                     size.height() > m_area.height()
                         ? std::max(size.height(), std::min(m_area.height() * 2, size.height() + 4096))
                         : m_area.height());
    endPainting();
    QImage grown = blankImage(room, m_back, devicePixelRatioF());
    QPainter p(&grown);
    p.drawImage(QPoint(0, 0), m_image);
    p.end();
    m_image = grown;
    m_area = room;
    fontChanged();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    // The image grows with the box, so it covers what is painted: filling
    // the background first would write every pixel twice.
    if (!QRect(QPoint(0, 0), m_area).contains(event->rect()))
        p.fillRect(event->rect(), m_back);
    if (m_image.devicePixelRatio() == 1) {
        p.drawImage(event->rect().topLeft(), m_image, event->rect());
    } else {
        // Pixel for pixel at the screen's scale: the whole image, clipped to
        // what is painted, as a part of it may not start on a whole pixel.
        p.setClipRegion(event->region());
        p.drawImage(QPoint(0, 0), m_image);
    }
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    // What is drawn stays until the box is cleared, whatever sizes the box
    // takes meanwhile: narrowing the window and widening it again shows the
    // page as it was. So the image keeps the largest size the box has had.
    const QSize now = size();
    if (now.width() > m_area.width() || now.height() > m_area.height())
        growImage(now);
    QWidget::resizeEvent(event);
}

QImage PictureBox::image() const
{
    const qreal scale = m_image.devicePixelRatio();
    return m_image.copy(QRect(0, 0, qCeil(width() * scale), qCeil(height() * scale)));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position());
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    // A press does nothing on the page until its release, and stays the
    // box's own rather than going on to the box's parent.
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(event->button(), event->position());
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    emit keyPressed(event->key());
}

void PictureBox::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit keyReleased(event->key());
}
