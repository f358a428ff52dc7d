// The start-up anchor: a bare Qt Widgets program that draws the catalogue's
// first page at the same place as the program does: a window of the same
// size with a menu bar, a white sunken frame, and in it the heading, the row
// of section numbers and the entries in link blue, in the same fonts. It
// links nothing but Qt Widgets and reads what to draw from a description
// that bench_startup writes:
//
//   bare_widgets <description file>
//
// Lines of the description: "client W H", "frame X Y W H", "page X Y W H"
// (the page inside the frame), "section N", "heading TEXT", "entry TEXT".

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>

namespace {

struct Description
{
    QSize client;
    QRect frame;
    QRect page;
    int section = 1;
    QString heading;
    QStringList entries;
};

Description read(const QString &path)
{
    Description d;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return d;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        const QString key = line.section(QLatin1Char(' '), 0, 0);
        const QString rest = line.section(QLatin1Char(' '), 1);
        const QStringList n = rest.split(QLatin1Char(' '));
        auto rect = [&n] { return QRect(n.value(0).toInt(), n.value(1).toInt(), n.value(2).toInt(), n.value(3).toInt()); };
        if (key == QLatin1String("client"))
            d.client = QSize(n.value(0).toInt(), n.value(1).toInt());
        else if (key == QLatin1String("frame"))
            d.frame = rect();
        else if (key == QLatin1String("page"))
            d.page = rect();
        else if (key == QLatin1String("section"))
            d.section = rest.toInt();
        else if (key == QLatin1String("heading"))
            d.heading = rest;
        else if (key == QLatin1String("entry"))
            d.entries.append(rest);
    }
    return d;
}

// The page: the heading centred, the section numbers in a wrapping row, then
// one entry a paragraph, wrapped at the page's width.
class Page : public QWidget
{
public:
    Page(const Description &d, QWidget *parent) : QWidget(parent), m_d(d)
    {
        setAutoFillBackground(true);
        setPalette(QPalette(Qt::white));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QFont font(QStringLiteral("Times New Roman"));
        font.setStyleHint(QFont::Serif);
        const qreal scale = 96.0 / logicalDpiY();
        font.setPointSizeF(18 * scale);
        p.setFont(font);
        p.setPen(Qt::black);
        const int w = width();
        p.drawText(QRect(0, 10, w, 40), Qt::AlignHCenter | Qt::AlignTop, m_d.heading);

        font.setPointSizeF(14 * scale);
        p.setFont(font);
        const QFontMetrics fm(font);
        int x = 10;
        int y = 45;
        for (int n = 1; n <= 40; ++n) {
            const QString t = QString::number(n);
            const int tw = fm.horizontalAdvance(t);
            if (x + tw > w) {
                x = 10;
                y += 23;
            }
            p.setPen(n == m_d.section ? Qt::black : Qt::blue);
            p.drawText(x, y + fm.ascent(), t);
            x += tw + 5;
        }
        y += 30;
        p.setPen(Qt::blue);
        for (const QString &entry : m_d.entries) {
            if (y > height())
                break;
            const QRect used = p.boundingRect(QRect(10, y, w - 20, 1000), Qt::TextWordWrap, entry);
            p.drawText(QRect(10, y, w - 20, 1000), Qt::TextWordWrap, entry);
            y += std::max(21, used.height());
        }
    }

private:
    const Description &m_d;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const Description d = read(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("Меню"));
    auto *client = new QWidget(&window);
    client->setAutoFillBackground(true);
    client->setPalette(QPalette(QColor(224, 224, 224)));
    window.setCentralWidget(client);
    auto *frame = new QFrame(client);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);
    frame->setAutoFillBackground(true);
    frame->setPalette(QPalette(Qt::white));
    frame->setGeometry(d.frame);
    auto *page = new Page(d, frame);
    page->setGeometry(d.page);
    auto *bar = new QScrollBar(Qt::Vertical, frame);
    bar->setGeometry(d.frame.width() - 2 - bar->sizeHint().width(), 2, bar->sizeHint().width(), d.frame.height() - 4);
    window.layout()->activate();
    window.resize(d.client + (window.size() - client->size()));
    window.show();
    return QApplication::exec();
}
