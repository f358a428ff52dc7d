#include "web/frmOprog.h"

#include "app/DialogFont.h"
#include "pageview/PictureBox.h"
#include "web/SaveFileUrlm.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QUrl>

#include <functional>

namespace {

QPointer<frmOprog> g_oprog;

constexpr QColor WindowGrey{192, 192, 192};

// The site link: a label the keyboard reaches by Tab, with the desktop's
// focus frame while it has the keyboard; Enter or Space follows it.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString &text, QWidget *parent, std::function<void()> follow)
        : QLabel(text, parent), m_follow(std::move(follow))
    {
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter p(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        const int key = event->key();
        if (!event->isAutoRepeat() && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            event->accept();
            m_follow();
            return;
        }
        QLabel::keyPressEvent(event);
    }

private:
    std::function<void()> m_follow;
};

// A one-pixel line of the etched separator. The line from x1 to x2 covers x1
// up to, not including, x2, as a drawn line does.
QFrame *makeLine(QWidget *parent, int x1, int x2, int y, const QColor &color)
{
    auto *line = new QFrame(parent);
    line->setGeometry(x1, y, x2 - x1, 1);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, color);
    line->setPalette(pal);
    return line;
}

} // namespace

frmOprog &frmOprog::instance()
{
    if (!g_oprog) {
        g_oprog = new frmOprog(makerSite());
        // A window without an owner is not deleted with the others; it goes
        // when the program ends, while the application still exists.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { frmOprog::destroyInstance(); });
    }
    return *g_oprog;
}

void frmOprog::destroyInstance()
{
    delete g_oprog.data();
}

frmOprog::frmOprog(const QString &makerSite) : QDialog(nullptr), m_makerSite(makerSite)
{
    // A fixed dialog frame with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(ClientSize);

    // The separator's colours are the system's, read before the window's own
    // grey replaces the background.
    const QPalette system = QApplication::palette();
    const QColor menuText = QApplication::palette("QMenu").color(QPalette::WindowText);
    const QColor windowBack = system.color(QPalette::Base);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowGrey);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    // The window's font is every label's and the button's.
    setFont(DialogFont());

    // The button comes first so it is first in the tab order and has the
    // focus when the window opens.
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setGeometry(248, 164, 89, 33);
    OK->setDefault(true);
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });

    Image1 = new QLabel(this);
    Image1->setGeometry(16, 8, 71, 126);
    Image1->setPixmap(QPixmap(QString::fromLatin1(PicturePath)));

    auto label = [this](const QRect &place, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setGeometry(place);
        l->setAutoFillBackground(true);
        return l;
    };
    Label2[3] = label({104, 8, 220, 20}, QStringLiteral("Автор: Ефим Сказочкин"));
    Label2[4] = label({104, 32, 179, 20}, QStringLiteral("E-mail: ef@mi.example"));
    Label2[5] = label({104, 56, 48, 20}, QStringLiteral("Сайт:"));
    Label1 = new LinkLabel(QStringLiteral("Мир мультиков"), this, [this] { Label1_Click(); });
    Label1->setGeometry(152, 56, 183, 20);
    Label1->setAutoFillBackground(true);
    Label2[6] = label({104, 80, 104, 20}, QStringLiteral("Версия: v2.1"));
    Label2[7] = label({104, 104, 219, 20}, QStringLiteral("Дата: 21 ноября 2008 год"));
    Label2[0] = label({156, 128, 149, 20}, QStringLiteral("29 июля 2015 год"));

    QFont linkFont = font();
    linkFont.setUnderline(true);
    Label1->setFont(linkFont);
    QPalette linkPal = Label1->palette();
    linkPal.setColor(QPalette::WindowText, LinkColor);
    Label1->setPalette(linkPal);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    Line1 = makeLine(this, 8, 336, 152, menuText);
    Line2 = makeLine(this, 8, 336, 153, windowBack);

    Picture1 = new PictureBox(this);
    Picture1->setBackColor(Qt::white);
    Picture1->setGeometry(8, 160, 80, 45);
    Picture1->setFocusPolicy(Qt::NoFocus);

    OK->setFocus();
}

void frmOprog::Form_Load()
{
    // A box that has not been shown yet still waits for its first resize, and
    // until then its retained image is too small to take the flag.
    if (Picture1->testAttribute(Qt::WA_PendingResizeEvent)) {
        QResizeEvent resize(Picture1->size(), QSize());
        QCoreApplication::sendEvent(Picture1, &resize);
    }
    Picture1->clear();
    Picture1->fillBox(0, 15, 79, 30, QColor(0, 0, 255));
    Picture1->fillBox(0, 31, 79, 45, QColor(255, 0, 0));
    OK->setFocus();
}

bool frmOprog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label1) {
        // A click is a press and a release of the left button over the link.
        if (event->type() == QEvent::MouseButtonPress) {
            m_linkPressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const bool click = m_linkPressed && mouse->button() == Qt::LeftButton
                               && Label1->rect().contains(mouse->position().toPoint());
            m_linkPressed = false;
            if (click)
                Label1_Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOprog::keyPressEvent(QKeyEvent *event)
{
    // The window closes by its OK button or its close box only; Escape, which
    // a dialog would take for "cancel", does nothing here.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmOprog::Label1_Click()
{
    if (IsHandOffAddress(QUrl(siteUrl())))
        SaveFileUrlm(siteUrl());
}

void frmOprog::OK_Click()
{
    accept();
}

void MenuAbout_Click()
{
    auto &about = frmOprog::instance();
    about.Form_Load();
    about.exec();
}
