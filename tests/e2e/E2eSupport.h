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
    explicit Program(const QString &folder = binDir()) : m_folder(folder)
    {
        // A stand-in for the default browser: records what it is asked to open.
        QFile opener(m_opener.filePath(QStringLiteral("xdg-open")));
        opener.open(QIODevice::WriteOnly);
        opener.write("#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/opened.txt\"\n");
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                              | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    }

    QString openerDir() const { return m_opener.path(); }
    qint64 pid() const { return m_process.processId(); }
    // What the program has written on stderr so far.
    QByteArray errors() const { return m_errors; }

    // Runs the program as the user "nobody" (the test runs as root), for whom
    // the program's folder is read-only.
    void runAsNobody()
    {
        m_asNobody = true;
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                          | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QFile::setPermissions(m_opener.path(), open | QFile::WriteGroup | QFile::WriteOther);
        QFile::setPermissions(m_folder, open);
    }

    // What the stand-in browser was asked to open, in order.
    QStringList opened() const
    {
        QFile f(m_opener.filePath(QStringLiteral("opened.txt")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // A copy of the built program's folder (program, Data, help page) in a
    // scratch folder, so what a test writes beside it stays there.
    static QString copyOfBuiltFolder(const QTemporaryDir &into, bool withData = true)
    {
        const QString to = into.path();
        QFile::copy(binDir() + QStringLiteral("/mirelka"), to + QStringLiteral("/mirelka"));
        QFile::copy(binDir() + QStringLiteral("/mirelka-engine.so"), to + QStringLiteral("/mirelka-engine.so"));
        QFile::copy(binDir() + QStringLiteral("/Справка.htm"), to + QStringLiteral("/Справка.htm"));
        if (withData) {
            QDir().mkpath(to + QStringLiteral("/Data"));
            const QDir data(binDir() + QStringLiteral("/Data"));
            for (const QString &name : data.entryList({QStringLiteral("*.dat")}, QDir::Files))
                QFile::copy(data.filePath(name), to + QStringLiteral("/Data/") + name);
        }
        return to;
    }

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
        // xdg-open, the desktop's way to open a file, is our recorder.
        env.insert(QStringLiteral("PATH"), m_opener.path() + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        for (const QString &kv : extraEnv)
            env.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        m_process.setProcessEnvironment(env);
        // What the program says on stderr is kept for the test and passed on.
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &server, [this] {
            const QByteArray said = m_process.readAllStandardError();
            m_errors += said;
            fwrite(said.constData(), 1, size_t(said.size()), stderr);
        });
        if (m_asNobody) {
            // The X server's key, readable by that user too.
            const QString key = m_opener.filePath(QStringLiteral("xauthority"));
            QFile::remove(key);
            QFile::copy(env.value(QStringLiteral("XAUTHORITY")), key);
            QFile::setPermissions(key, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            env.insert(QStringLiteral("XAUTHORITY"), key);
            env.insert(QStringLiteral("HOME"), m_opener.path());
            m_process.setProcessEnvironment(env);
            m_process.start(QStringLiteral("setpriv"),
                            {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                             QStringLiteral("--clear-groups"), m_folder + QStringLiteral("/mirelka")});
        } else {
            m_process.start(m_folder + QStringLiteral("/mirelka"), {});
        }
        if (!m_process.waitForStarted(10000))
            return false;
        const bool found = waitFor([this] {
            return m_process.state() == QProcess::NotRunning || !findWindow().isEmpty();
        }, 40000);
        if (!found || m_window.isEmpty())
            qWarning() << "program window not found; state" << m_process.state() << "exit"
                       << m_process.exitCode() << m_process.exitStatus();
        return found && !m_window.isEmpty();
    }

    // The program's main window. Qt makes the window anew when the web
    // engine first shows a page, so it is looked up again every time: the
    // visible window of that name with the largest area.
    QString findWindow() const
    {
        const QStringList ids = run(QStringLiteral("xdotool"),
                                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                     QStringLiteral("^Mirelka online$")})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QString best;
        int bestArea = 0;
        for (const QString &id : ids) {
            const QRect g = geometryOf(id);
            if (g.width() * g.height() > bestArea) {
                bestArea = g.width() * g.height();
                best = id;
            }
        }
        if (!best.isEmpty())
            m_window = best;
        return best;
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

    QString window() const { return findWindow(); }

    // The whole top-level window as it is on screen, cut from a picture of
    // the screen: once the web engine makes child widgets native, a picture
    // of the window alone may miss what they show.
    QImage grabWindow() const { return grabScreen().copy(windowGeometry()); }

    // The window's place and size on the screen.
    QRect windowGeometry() const { return geometryOf(findWindow()); }

    // As the X server gives it: xdotool's own figure is off by the frame
    // once a window manager has reparented the window.
    static QRect geometryOf(const QString &id)
    {
        if (id.isEmpty())
            return {};
        const QString out = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
        QHash<QString, int> v;
        for (const QString &line : out.split(QLatin1Char('\n')))
            v.insert(line.section(QLatin1Char(':'), 0, 0).trimmed(), line.section(QLatin1Char(':'), 1).trimmed().toInt());
        return QRect(v.value(QStringLiteral("Absolute upper-left X")), v.value(QStringLiteral("Absolute upper-left Y")),
                     v.value(QStringLiteral("Width")), v.value(QStringLiteral("Height")));
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

    QPoint windowOrigin() const { return windowGeometry().topLeft(); }
    QSize windowSize() const { return windowGeometry().size(); }

    // A point of the client area on the screen.
    QPoint clientToScreen(QPoint p, int clientHeight) const
    {
        return windowOrigin() + QPoint(p.x(), windowSize().height() - clientHeight + p.y());
    }

    void moveTo(QPoint screen) const
    {
        xdo({QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y())});
    }

    // The visible window with this exact name, or empty.
    static QString windowNamed(const QString &name)
    {
        return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                               QStringLiteral("--name"), QLatin1Char('^') + name + QLatin1Char('$')})
            .section(QLatin1Char('\n'), 0, 0);
    }

    // Opens the about window from the menu (the item above Exit) and
    // returns where it stands on the screen, or an empty box.
    QRect openAbout(int clientHeight) const
    {
        click(clientToScreen(QPoint(25, -10), clientHeight));
        settle(400);
        key(QStringLiteral("Up"));
        key(QStringLiteral("Up"));
        key(QStringLiteral("Return"));
        QString about;
        waitFor([&] { return !(about = windowNamed(QStringLiteral("О программе"))).isEmpty(); }, 10000);
        // Clicks right after it appears may land before it takes input.
        settle(500);
        return about.isEmpty() ? QRect() : geometryOf(about);
    }

    void click(QPoint screen, int button = 1) const
    {
        moveTo(screen);
        settle(150);
        xdo({QStringLiteral("click"), QString::number(button)});
    }

    void key(const QString &keys) const
    {
        // Real key events through the X server, to whatever has the focus.
        xdo({QStringLiteral("key"), keys});
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
    QTemporaryDir m_opener;
    bool m_asNobody = false;
    QProcess m_process;
    QByteArray m_errors;
    mutable QString m_window;
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

// True when the X window carries an icon of its own (_NET_WM_ICON).
inline bool hasIcon(const QString &window)
{
    // The first icon's width, as a number.
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("-f"), QStringLiteral("_NET_WM_ICON"),
                                         QStringLiteral("32c"), QStringLiteral(" = $0\n"), QStringLiteral("_NET_WM_ICON")})
               .section(QLatin1String(" = "), 1).toInt() > 0;
}

inline bool isBlue(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 130 && qGreen(c) < 130;
}

} // namespace E2e
