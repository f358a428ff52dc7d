// Time from process start to the first catalogue page on screen, side by side
// with a bare Qt Widgets program that shows one line of text.
//
//   xvfb-run -a bench/bench_startup [runs]
//
// The launcher starts a child in each mode; the child prints the wall-clock
// time of its first painted frame and quits. The bare program is
// bare_widgets, built beside this one and linked with Qt Widgets alone; this
// program's own bare mode, linked with the engine like the program, is
// printed beside it to show what loading the engine costs.

#include "app/Declare.h"
#include "app/MainM.h"
#include "pageview/PictureBox.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Prints the time once the watched widget has painted, then quits.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(std::function<bool()> ready) : m_ready(std::move(ready)) { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done && m_ready()) {
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
    std::function<bool()> m_ready;
    bool m_done = false;
};

int child(int argc, char *argv[], const QString &mode)
{
    QApplication app(argc, argv);
    if (mode == QLatin1String("bare")) {
        QLabel label(QStringLiteral("Mirelka online"));
        FirstPaint watch([] { return true; });
        label.installEventFilter(&watch);
        label.show();
        return QApplication::exec();
    }
    FirstPaint watch([] { return decl().LastLink >= 0; });
    app.installEventFilter(&watch);
    StartWith(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Data/"));
    return QApplication::exec();
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLatin1(argv[2]));

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QHash<QString, QList<double>> times;
    for (int i = 0; i < runs; ++i) {
        for (const QString &mode : {QStringLiteral("bare"), QStringLiteral("linked"), QStringLiteral("program")}) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
            p.setProcessEnvironment(env);
            const qint64 start = QDateTime::currentMSecsSinceEpoch();
            if (mode == QLatin1String("bare"))
                p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/bare_widgets"), {});
            else
                p.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--child"), mode == QLatin1String("linked") ? QStringLiteral("bare") : mode});
            p.waitForFinished(60000);
            const qint64 painted = p.readAllStandardOutput().trimmed().toLongLong();
            if (painted > 0)
                times[mode].append(double(painted - start));
        }
    }
    const double bare = median(times.value(QStringLiteral("bare")));
    const double linked = median(times.value(QStringLiteral("linked")));
    const double program = median(times.value(QStringLiteral("program")));
    std::printf("%-44s %10s\n", "figure (median of runs)", "ms");
    std::printf("%-44s %10.0f\n", "bare Qt Widgets program, one line", bare);
    std::printf("%-44s %10.0f\n", "the same linked with the web engine", linked);
    std::printf("%-44s %10.0f\n", "Mirelka online, first catalogue page", program);
    std::printf("%-44s %10.2f\n", "ratio (target <= 2)", bare > 0 ? program / bare : 0.0);
    std::printf("RESULT startup_bare_ms %.1f\nRESULT startup_linked_ms %.1f\nRESULT startup_program_ms %.1f\n", bare,
                linked, program);
    return 0;
}
