#include "app/MainM.h"

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PageAccessible.h"
#include "pageview/PictureBox.h"
#include "tabs/TabManager.h"

#include <QApplication>
#include <QIcon>

QString DataPathFor(const QString &applicationFolder)
{
    QString path = applicationFolder;
    const QChar separator = path.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/');
    if (!path.endsWith(separator))
        path += separator;
    path += QStringLiteral("Data");
    path += separator;
    return path;
}

void Main()
{
    StartWith(DataPathFor(QCoreApplication::applicationDirPath()));
}

void PrepareSharedState(const QString &dataPath)
{
    auto &d = decl();
    d.DataPath = dataPath;
    d.PanelClosed = {0};
    d.PanelLink = {0};
    d.LastLink = -1;
    d.HoverLink = -1;
    d.FoundLast = -1;
}

void StartWith(const QString &dataPath)
{
    auto &d = decl();
    PrepareSharedState(dataPath);
    // Every window of the program, dialogs and message boxes too, carries
    // its icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/mirelka.png")));
    InstallAccessibility();

    // The window and its canvas exist before the first layout reads them.
    auto &forma = frmForma::instance();
    d.PageCanvas = forma.picText;
    forma.Form_Load();

    QCoreApplication::processEvents();
    ActivePanelM(0);
    // The strip's button is the window's first control and would take the
    // keyboard; the keys belong to the page as soon as it is shown.
    if (d.PageCanvas)
        d.PageCanvas->setFocus();
    NomerStranicyM(1);
    loadBrowserEngineAfterFirstFrame(&forma);
}
