#include "app/MainM.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The web engine reports its graphics set-up on every start; a desktop
    // program starts quietly. Its warnings still show, and QT_LOGGING_RULES
    // still overrides this.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelka online"));
    // The program speaks Russian whatever the system's language: so do Qt's
    // own menus (a text field's, a scroll bar's) and the engine's texts.
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &name : {QStringLiteral("qtbase"), QStringLiteral("qtwebengine")}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QLocale(QLocale::Russian), name, QStringLiteral("_"), translations))
            QApplication::installTranslator(translator);
    }
    Main();
    return QApplication::exec();
}
