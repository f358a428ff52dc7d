#pragma once

#include "web/Sites.h"

#include <QWidget>

// The advertising strip at the top of the main window.
class usrReklamaX : public QWidget
{
    Q_OBJECT

public:
    explicit usrReklamaX(QWidget *parent = nullptr,
                         const QString &makerSite = QString::fromLatin1(DefaultMakerSite));

    // Shows the placeholder and loads the chosen advertising page.
    void Start();
};
