#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <memory>

// A picture box that keeps what is drawn on it: every drawing goes into a
// retained image, and painting only copies that image to the screen. Text is
// measured and drawn at 96 dots per inch whatever the screen, so a page lays
// out the same everywhere.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    void setBackColor(const QColor &color);
    QColor backColor() const { return m_back; }

    void setForeColor(const QColor &color) { m_fore = color; }
    QColor foreColor() const { return m_fore; }

    // The drawing font: its family and weight stay, its size changes. Text
    // is measured and drawn in whole pixels whatever the font asks for.
    void setDrawFont(const QFont &font);
    void setFontSize(qreal points);
    QFont drawFont() const { return m_font; }

    // Width of a text in the current font, in pixels.
    qreal textWidth(const QString &text) const;
    // Width of one character, the same as textWidth of it alone.
    qreal charWidth(QChar c) const;

    // Prints a text with the top left of its cell at (x, y), in the current
    // font and colour.
    void print(int x, int y, const QString &text);

    // Makes room for drawing down to the given height without resizing the
    // box: a page grows line by line and takes its final size once.
    void reserveHeight(int height);

    // Outline of the box from (x1, y1) to (x2, y2), both corners included;
    // dotted, it sets every other pixel along the edges and leaves the rest.
    void drawBox(int x1, int y1, int x2, int y2, const QColor &color, bool dotted = false);
    // The same box, filled.
    void fillBox(int x1, int y1, int x2, int y2, const QColor &color);

    // Clears the whole image to the background colour.
    void clear();

    // What the box shows: the retained image at the box's size, in the
    // screen's pixels.
    QImage image() const;

signals:
    void mouseMoved(QPointF position);
    void mouseReleased(Qt::MouseButton button, QPointF position);
    void keyPressed(int key);
    void keyReleased(int key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void fontChanged();
    // The painter that draws on the image: opened on first use and kept open
    // across drawings until the image is cleared or replaced, so a page of
    // lines does not set one up per line.
    QPainter &painter();
    void endPainting();

    // Grows the image to at least this size, keeping what is drawn.
    void growImage(QSize size);
    // Notes a part of the image drawn on, for clear().
    void drawnOn(const QRect &area) { m_drawn |= area; }

    // A character of the current font: its width as measured alone and its
    // glyph in the font itself (0 when another font has to supply it).
    struct Glyph
    {
        quint32 index = 0;
        qreal advance = -1; // not measured yet
    };
    struct FontGlyphs;
    const Glyph &glyph(char16_t c) const;

    QImage m_image;
    // The image's size in pixels of the layout.
    QSize m_area;
    QPainter m_painter;
    QColor m_back = Qt::white;
    QColor m_fore = Qt::black;
    QFont m_font;
    // Metrics of the current font at 96 dots per inch, and its characters
    // measured so far: a page measures and draws the same few dozen
    // characters thousands of times.
    QFontMetricsF m_metrics{QFont()};
    QHash<QString, std::shared_ptr<FontGlyphs>> m_fonts;
    FontGlyphs *m_glyphs = nullptr;
    // Everything drawn since the last clear lies inside this rectangle.
    QRect m_drawn;
};
