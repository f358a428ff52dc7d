#include "app/MainM.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelka online"));
    Main();
    return QApplication::exec();
}
