#include "tabs/TabNotice.h"

#include "app/WebBrowser.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void TabNotice::showOver(WebBrowser *web, WebBrowser::PageLoss why)
{
    if (web->findChild<TabNotice *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *notice = new TabNotice(web, why);
    notice->show();
    notice->raise();
}

TabNotice::TabNotice(WebBrowser *web, WebBrowser::PageLoss why) : QWidget(web)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    QString said;
    switch (why) {
    case WebBrowser::PageLoss::EndedAgain:
        said = QStringLiteral("Страница не показана: она снова и снова прерывала свою работу.");
        break;
    case WebBrowser::PageLoss::NotAnswering:
        said = QStringLiteral("Страница не отвечает: она остановлена, чтобы не мешать другим вкладкам.");
        break;
    case WebBrowser::PageLoss::NoEngine:
        said = QStringLiteral("Веб-страницы не показываются: не удалось загрузить модуль веб-браузера. "
                              "Переустановите программу.");
        break;
    }
    auto *text = new QLabel(said, this);
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    layout->addWidget(text);
    if (why != WebBrowser::PageLoss::NoEngine) {
        auto *again = new QPushButton(QStringLiteral("Загрузить снова"), this);
        layout->addWidget(again, 0, Qt::AlignHCenter);
        connect(again, &QPushButton::clicked, this, [this, web] {
            // Out of the way first: the page may come back at once.
            hide();
            deleteLater();
            web->reloadPage();
        });
    }
    layout->addStretch();

    setGeometry(web->rect());
    web->installEventFilter(this);
}

bool TabNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == parent())
        setGeometry(static_cast<QWidget *>(watched)->rect());
    return QWidget::eventFilter(watched, event);
}
