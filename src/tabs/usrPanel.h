#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QLabel;

// One tab of the tab strip: a caption on a background colour, a click that
// asks to activate the tab, and a close button that asks to close it. The
// control knows only its own index; the tab manager decides everything else.
//
// Its contents stand at fixed places for a 132 x 24 tab and are not laid out
// again when the tab manager gives the control another size: a narrower tab
// cuts the close square off, a wider one shows more background to its right.
class usrPanel : public QWidget
{
    Q_OBJECT

public:
    explicit usrPanel(QWidget *parent = nullptr);

    // The tab's index, set by the tab manager; the catalogue tab keeps 0.
    int MeIndex = 0;

    // The size the contents are placed for.
    static constexpr QSize DesignSize{132, 24};

    // Background of the tab and of its close square.
    void NewFon(const QColor &color);
    void NewText(const QString &caption);
    // Takes the close square away for good (the catalogue tab).
    void NoClose();

    QColor backColor() const { return m_back; }
    QString caption() const;
    // 1 while a press on the close button waits for its release.
    int closePressed() const { return ClosePressed; }

    // The close button's picture: a black padlock on light red, 15 x 15.
    static QImage closePicture();

    // The child controls, by their design names.
    QLabel *Label1 = nullptr;
    QWidget *picFon = nullptr;
    QLabel *picClose = nullptr;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The release that ends a press on the close button.
    void picClose_MouseUp(QPoint at);

    QColor m_back;
    // 1 from a press on the close button until the next release on it.
    int ClosePressed = 0;
    // A press on the tab (outside the close button) waiting for its release.
    bool m_clickPressed = false;
};
