#include "EngineProgram.h"

namespace EngineProgram {

void closeTheNetwork()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --proxy-server=http://127.0.0.1:9";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

// Where the program looks for the engine module, this test's build folder's
// program folder among them (the module lies beside the program).
static void findEngineBesideProgram()
{
    QCoreApplication::addLibraryPath(qEnvironmentVariable("MIRELKA_BIN_DIR"));
}

bool loadEngine()
{
    findEngineBesideProgram();
    setBrowserFactory({});
    return loadBrowserEngine();
}

void start(const QString &dataPath, const QString &site)
{
    findEngineBesideProgram();
    frmForma::destroyInstance();
    setBrowserFactory({});
    // The sites are part of the shared state: set after its reset.
    decl().reset();
    setCartoonSite(site);
    setMakerSite(site);
    StartWith(dataPath);
}

QList<QWidget *> strayWindows()
{
    QList<QWidget *> shown;
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *w : widgets) {
        if (WindowWatch::stray(w))
            shown.append(w);
    }
    return shown;
}

} // namespace EngineProgram

WindowWatch::WindowWatch(QObject *parent, Kind kind) : QObject(parent)
{
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, kind] {
        const auto widgets = QApplication::topLevelWidgets();
        for (QWidget *w : widgets) {
            if (!kind(w))
                continue;
            seen.append(QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->windowTitle());
            w->close();
        }
    });
    timer->start(50);
}

bool WindowWatch::stray(QWidget *window)
{
    return window->isVisible() && !(frmForma::exists() && window == &frmForma::instance());
}

bool WindowWatch::dialog(QWidget *window)
{
    return window->isVisible() && (window->windowType() == Qt::Dialog || window->inherits("QDialog"));
}

TickGap::TickGap(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] { longest = std::max(longest, m_clock.restart()); });
}

void TickGap::start()
{
    longest = 0;
    m_clock.start();
    m_timer.start();
}

qint64 TickGap::stop()
{
    m_timer.stop();
    longest = std::max(longest, m_clock.elapsed());
    return longest;
}
