#include "app/MainM.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    // The web engine reports its graphics set-up on every start; a desktop
    // program starts quietly. Its warnings still show, and QT_LOGGING_RULES
    // still overrides this.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelka online"));
    Main();
    return QApplication::exec();
}
