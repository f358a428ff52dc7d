// The start-up anchor: a bare Qt Widgets program that shows one line and
// links nothing but Qt Widgets. Started by bench_startup, which reads the
// time of its first painted frame from its output.

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace {

class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("%lld\n", QDateTime::currentMSecsSinceEpoch());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Mirelka online"));
    FirstPaint watch(&app);
    label.installEventFilter(&watch);
    label.show();
    return QApplication::exec();
}
