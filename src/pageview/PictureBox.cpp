#include "pageview/PictureBox.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

QImage blankImage(QSize size, const QColor &back)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMetre96);
    image.setDotsPerMeterY(DotsPerMetre96);
    image.fill(back);
    return image;
}
} // namespace

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_image = blankImage(size(), m_back);
    m_font = wholePixelFont(m_font);
    fontChanged();
}

void PictureBox::fontChanged()
{
    m_metrics = QFontMetricsF(m_font, &m_image);
    m_currentWidths = &m_charWidths[m_font.key()];
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

qreal PictureBox::textWidth(const QString &text) const
{
    if (text.size() == 1) {
        const char16_t c = text.front().unicode();
        auto it = m_currentWidths->constFind(c);
        if (it != m_currentWidths->constEnd())
            return *it;
        return *m_currentWidths->insert(c, m_metrics.horizontalAdvance(text));
    }
    return m_metrics.horizontalAdvance(text);
}

void PictureBox::print(int x, int y, const QString &text)
{
    QPainter &p = painter();
    p.setFont(m_font);
    p.setPen(m_fore);
    p.drawText(QPointF(x, y + m_metrics.ascent()), text);
    // The strip to the right edge: measuring the text again only to narrow
    // the repainted area would shape every line a second time.
    update(QRect(x, y, std::max(width() - x, 0), qCeil(m_metrics.height()) + 1));
}

void PictureBox::drawBox(int x1, int y1, int x2, int y2, const QColor &color)
{
    QPainter &p = painter();
    p.setPen(QPen(color, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
    update(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, const QColor &color)
{
    painter().fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), color);
    update(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void PictureBox::clear()
{
    endPainting();
    m_image.fill(m_back);
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), m_back);
    p.drawImage(event->rect().topLeft(), m_image, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    // What is drawn stays until the box is cleared, whatever sizes the box
    // takes meanwhile: narrowing the window and widening it again shows the
    // page as it was. So the image keeps the largest size the box has had.
    // A page grows line by line, so the image grows in steps ahead of the box
    // rather than being copied at every line.
    const QSize now = size();
    if (now.width() > m_image.width() || now.height() > m_image.height()) {
        const QSize room(std::max(now.width(), m_image.width()),
                         std::max(now.height(), std::min(m_image.height() * 2, now.height() + 4096)));
        endPainting();
        QImage grown = blankImage(room, m_back);
        QPainter p(&grown);
        p.drawImage(QPoint(0, 0), m_image);
        p.end();
        m_image = grown;
        fontChanged();
    }
    QWidget::resizeEvent(event);
}

QImage PictureBox::image() const
{
    return m_image.copy(QRect(QPoint(0, 0), size()));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position());
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(event->button(), event->position());
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
