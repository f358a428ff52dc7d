#include "web/usrReklamaX.h"

usrReklamaX::usrReklamaX(QWidget *parent, const QString &makerSite) : QWidget(parent)
{
    Q_UNUSED(makerSite);
    resize(543, 73);
}

void usrReklamaX::Start() { }
