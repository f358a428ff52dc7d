#include "tabs/usrPanel.h"

#include <QLabel>

usrPanel::usrPanel(QWidget *parent) : QWidget(parent)
{
    resize(132, 24);
    m_label = new QLabel(QStringLiteral("Каталог"), this);
    m_label->move(4, 2);
    setAutoFillBackground(true);
    NewFon(QColor(224, 224, 224));
}

void usrPanel::NewFon(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

void usrPanel::NewText(const QString &caption)
{
    m_label->setText(caption);
    m_label->adjustSize();
}

void usrPanel::NoClose() { }
