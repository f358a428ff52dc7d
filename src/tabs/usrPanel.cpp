#include "tabs/usrPanel.h"

#include "tabs/TabManager.h"

#include <QAccessible>
#include <QLabel>
#include <QMouseEvent>

#include <array>

namespace {

const QColor PadlockField(255, 147, 147);

// Black columns (1-based, inclusive ranges) of each row of the padlock, top
// row first. Rows with no range are all field colour.
struct Span
{
    int from;
    int to;
};
using RowSpans = std::array<Span, 2>;
constexpr Span None{0, -1};
constexpr std::array<RowSpans, 15> PadlockRows{{
    {None, None},          // 1
    {None, None},          // 2
    {{{7, 9}, None}},      // 3
    {{{5, 11}, None}},     // 4: the top of the shackle
    {{{4, 6}, {10, 12}}},  // 5
    {{{3, 4}, {12, 13}}},  // 6: the shackle's sides
    {{{3, 4}, {12, 13}}},  // 7
    {{{3, 13}, None}},     // 8: the body
    {{{3, 13}, None}},     // 9
    {{{3, 7}, {9, 13}}},   // 10: the keyhole
    {{{3, 6}, {10, 13}}},  // 11
    {{{3, 6}, {10, 13}}},  // 12
    {{{3, 13}, None}},     // 13
    {None, None},          // 14
    {None, None},          // 15
}};

void setBackground(QWidget *widget, const QColor &color)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, color);
    widget->setPalette(pal);
}

} // namespace

QImage usrPanel::closePicture()
{
    QImage image(15, 15, QImage::Format_RGB32);
    image.fill(PadlockField);
    for (int row = 0; row < 15; ++row) {
        for (const Span &span : PadlockRows[row]) {
            for (int column = span.from; column <= span.to; ++column)
                image.setPixelColor(column - 1, row, Qt::black);
        }
    }
    return image;
}

usrPanel::usrPanel(QWidget *parent) : QWidget(parent)
{
    resize(DesignSize);
    setAutoFillBackground(true);

    // The caption is part of the tab's surface: it has no background and takes
    // no mouse input of its own, so a click on it is a click on the tab.
    Label1 = new QLabel(QStringLiteral("Каталог"), this);
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSize(12);
    font.setBold(true);
    // Qt text is Unicode, so the Cyrillic caption needs no character set of its own.
    Label1->setFont(font);
    // The tab's greys are fixed, so its caption's colour is too: the
    // desktop's text colour may be a light one.
    QPalette captionPal = Label1->palette();
    captionPal.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(captionPal);
    Label1->setAutoFillBackground(false);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label1->move(4, 2);
    Label1->adjustSize();

    // The close square lies above the caption: a long caption disappears
    // under it and shows again to its right when the tab is wide enough.
    picFon = new QWidget(this);
    picFon->setAutoFillBackground(true);
    picFon->setGeometry(108, 0, 24, 24);

    picClose = new QLabel(picFon);
    picClose->setObjectName(QStringLiteral("picClose"));
    picClose->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The padlock's pixels as squares of the screen's pixels, never blurred
    // by scaling.
    const qreal scale = devicePixelRatioF();
    QImage padlock = closePicture();
    if (scale != 1) {
        padlock = padlock.scaled(QSize(qRound(15 * scale), qRound(15 * scale)), Qt::IgnoreAspectRatio,
                                 Qt::FastTransformation);
        padlock.setDevicePixelRatio(scale);
    }
    picClose->setPixmap(QPixmap::fromImage(padlock));
    picClose->setGeometry(5, 4, 15, 15);
    picClose->installEventFilter(this);

    NewFon(ActiveTabColor);
}

void usrPanel::NewFon(const QColor &color)
{
    m_back = color;
    setBackground(this, color);
    setBackground(picFon, color);
    // The active tab's colour is what makes it the selected tab.
    if (QAccessible::isActive()) {
        QAccessibleEvent selection(this, QAccessible::Selection);
        QAccessible::updateAccessibility(&selection);
    }
}

void usrPanel::NewText(const QString &caption)
{
    Label1->setText(caption);
    Label1->adjustSize();
    if (QAccessible::isActive()) {
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
}

QString usrPanel::caption() const
{
    return Label1->text();
}

void usrPanel::NoClose()
{
    picFon->hide();
}

// A click is a press and a release of the left button on the tab, outside
// the close button: the tab is activated on the release, and only when the
// pointer is still over the tab then, so a press dragged off the tab and
// released elsewhere activates nothing. Presses on the caption and on the
// close square around the button reach this handler too (neither handles
// the mouse itself).
void usrPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_clickPressed = true;
    event->accept();
}

void usrPanel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_clickPressed)
        return;
    m_clickPressed = false;
    if (rect().contains(event->position().toPoint()))
        ActivePanelM(MeIndex);
    // ActivePanelM may have let other events run; nothing of this control is
    // touched after it.
}

bool usrPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != picClose)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Any button arms the close; the button pressed is not looked at.
        ClosePressed = 1;
        return true;
    case QEvent::MouseButtonRelease:
        // The button keeps the pointer from its press, so the release comes
        // here even when the pointer has left it, at a position outside 0..14.
        picClose_MouseUp(static_cast<QMouseEvent *>(event)->position().toPoint());
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void usrPanel::picClose_MouseUp(QPoint at)
{
    if (ClosePressed == 0)
        return;
    ClosePressed = 0;
    if (at.x() > -1 && at.x() < 15 && at.y() > -1 && at.y() < 15) {
        // Closing takes this control out of the strip and deletes it later,
        // once this handler has returned; nothing of it is touched afterwards.
        UnloadPanelM(MeIndex);
    }
}
