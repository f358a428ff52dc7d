#include "pageview/PictureBox.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// 96 dots per inch, in dots per metre.
constexpr int DotsPerMetre96 = 3780;

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
    fontChanged();
}

void PictureBox::fontChanged()
{
    m_metrics = QFontMetricsF(m_font, &m_image);
    m_currentWidths = &m_charWidths[m_font.key()];
}

void PictureBox::setBackColor(const QColor &color)
{
    m_back = color;
}

void PictureBox::setDrawFont(const QFont &font)
{
    m_font = font;
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
    QPainter p(&m_image);
    p.setFont(m_font);
    p.setPen(m_fore);
    p.drawText(QPointF(x, y + m_metrics.ascent()), text);
    update(QRect(x, y, qCeil(m_metrics.horizontalAdvance(text)) + 2, qCeil(m_metrics.height()) + 1));
}

void PictureBox::drawBox(int x1, int y1, int x2, int y2, const QColor &color)
{
    QPainter p(&m_image);
    p.setPen(QPen(color, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
    update(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, const QColor &color)
{
    QPainter p(&m_image);
    p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), color);
    update(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void PictureBox::clear()
{
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
    // Growing or shrinking keeps what is drawn where it is.
    if (m_image.size() != size()) {
        QImage grown = blankImage(size(), m_back);
        QPainter p(&grown);
        p.drawImage(0, 0, m_image);
        p.end();
        m_image = grown;
        fontChanged();
    }
    QWidget::resizeEvent(event);
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
