#pragma once

// Drives the real program in a real X server: starts it as a user would,
// finds its window, moves the pointer and presses keys with xdotool, and
// takes screenshots with ImageMagick's import. The test process itself runs
// offscreen; only the program under test talks to the X server.

#include "LoopbackServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace E2e {

inline QString binDir()
{
    return qEnvironmentVariable("MIRELKA_BIN_DIR");
}

// Runs a command to its end and returns what it printed.
inline QString run(const QString &program, const QStringList &args, int timeoutMs = 20000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

inline void xdo(const QStringList &args)
{
    run(QStringLiteral("xdotool"), args);
}

// Lets the real program catch up with input; the wait is for the other
// process, so there is no condition in this process to wait on.
inline void settle(int ms = 300)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Polls a condition for up to timeoutMs, serving events (the loopback
// server answers in this process) in between.
template <typename F>
bool waitFor(F condition, int timeoutMs = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

class Program
{
public:
    // Web addresses the program opens go through this server, which answers
    // for the made-up hosts compiled into the program.
    LoopbackServer server;

    // The program's folder: a copy of the built one when a test changes
    // what lies beside the executable, or the built one as it is.
    explicit Program(const QString &folder = binDir()) : m_folder(folder) { }

    ~Program() { stop(); }

    bool start(const QStringList &extraEnv = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                   QStringLiteral("--disable-gpu --disable-background-networking --proxy-server=http://127.0.0.1:%1")
                       .arg(server.serverPort()));
        env.remove(QStringLiteral("QT_FONT_DPI"));
        for (const QString &kv : extraEnv)
            env.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(m_folder + QStringLiteral("/mirelka"), {});
        if (!m_process.waitForStarted(10000))
            return false;
        const bool found = waitFor([this] {
            if (m_process.state() == QProcess::NotRunning)
                return true;
            m_window = run(QStringLiteral("xdotool"),
                           {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                            QStringLiteral("^Mirelka online$")})
                           .section(QLatin1Char('\n'), 0, 0);
            return !m_window.isEmpty();
        }, 40000);
        if (!found || m_window.isEmpty())
            qWarning() << "program window not found; state" << m_process.state() << "exit"
                       << m_process.exitCode() << m_process.exitStatus();
        return found && !m_window.isEmpty();
    }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    bool waitForExit(int ms = 10000) { return m_process.waitForFinished(ms); }
    int exitCode() const { return m_process.exitCode(); }

    QString window() const { return m_window; }

    // The whole top-level window as it is on screen.
    QImage grabWindow() const
    {
        const QString file = m_shots.filePath(QStringLiteral("window.png"));
        run(QStringLiteral("import"), {QStringLiteral("-window"), m_window, file});
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }

    // The whole screen.
    QImage grabScreen() const
    {
        const QString file = m_shots.filePath(QStringLiteral("screen.png"));
        run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }

    // The window's client area, under the menu bar, given its height.
    QImage grabClient(int clientHeight) const
    {
        const QImage w = grabWindow();
        return w.copy(0, w.height() - clientHeight, w.width(), clientHeight);
    }

    // Where the window's top left corner is on the screen.
    QPoint windowOrigin() const
    {
        const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), m_window});
        const QString pos = out.section(QStringLiteral("Position: "), 1).section(QLatin1Char(' '), 0, 0);
        return QPoint(pos.section(QLatin1Char(','), 0, 0).toInt(), pos.section(QLatin1Char(','), 1, 1).toInt());
    }

    QSize windowSize() const { return grabWindow().size(); }

    // A point of the client area on the screen.
    QPoint clientToScreen(QPoint p, int clientHeight) const
    {
        return windowOrigin() + QPoint(p.x(), windowSize().height() - clientHeight + p.y());
    }

    void moveTo(QPoint screen) const
    {
        xdo({QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y())});
    }

    void click(QPoint screen, int button = 1) const
    {
        moveTo(screen);
        settle(150);
        xdo({QStringLiteral("click"), QString::number(button)});
    }

    void key(const QString &keys) const
    {
        xdo({QStringLiteral("key"), QStringLiteral("--window"), m_window, keys});
    }

    void type(const QString &text) const
    {
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), text});
    }

    // Saves a screenshot for a person to look at after a failure.
    void keep(const QImage &image, const QString &name) const
    {
        const QString dir = qEnvironmentVariable("MIRELKA_E2E_SHOTS", QDir::tempPath() + QStringLiteral("/mirelka-e2e"));
        QDir().mkpath(dir);
        image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

private:
    QString m_folder;
    QProcess m_process;
    QString m_window;
    QTemporaryDir m_shots;
};

// Pixels alike, whatever the images' formats and resolutions say.
inline bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < x.height(); ++row)
        if (memcmp(x.constScanLine(row), y.constScanLine(row), size_t(x.width()) * 4) != 0)
            return false;
    return true;
}

inline bool isBlue(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 130 && qGreen(c) < 130;
}

} // namespace E2e
