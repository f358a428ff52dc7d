#include "web/usrReklamaX.h"

#include "app/RuntimeRandom.h"
#include "web/AdKey.h"
#include "web/SaveFileUrlm.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// An empty page without scroll bars.
constexpr const char *BlankPage = "about:<html><body scroll=no></body></html>";

// A link address as the browser reports it; "HTTP" in capitals is not one.
bool isWebAddress(const QString &text)
{
    return text.left(4) == QLatin1String("http");
}

QLabel *makeLabel(QWidget *parent, const QRect &place, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

} // namespace

usrReklamaX::usrReklamaX(QWidget *parent, const QString &makerSite) : QWidget(parent), m_makerSite(makerSite)
{
    // The dialog font of the strip's design; where it is missing, the family
    // with Arial's metrics keeps the placeholder's lines inside their boxes.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSize(8);
    setFont(font);

    setAccessibleName(QStringLiteral("Реклама"));
    WebBrowser1 = createBrowser(this);
    WebBrowser1->setAccessibleName(QStringLiteral("Реклама"));
    WebBrowser1->setGeometry(0, 0, DesignSize.width(), DesignSize.height());

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    panel->setGeometry(112, 2, 369, 41);
    Picture1 = panel;
    Label1 = makeLabel(Picture1, {8, 8, 223, 13}, QStringLiteral("Подключитесь к сети и нажмите эту кнопку"));
    Label2 = makeLabel(Picture1, {8, 24, 313, 13},
                       QStringLiteral("Или купите все мои программы за 100 рублей, их больше 30."));
    kObnovit = new QPushButton(QStringLiteral("Загрузить рекламу"), Picture1);
    kObnovit->setGeometry(240, 2, 113, 21);
    // The placeholder lies above the browser.
    Picture1->raise();

    connect(kObnovit, &QPushButton::clicked, this, [this] { Start(); });
    connect(WebBrowser1, &WebBrowser::statusTextChange, this,
            [this](const QString &text) { WebBrowser1_StatusTextChange(text); });
    connect(WebBrowser1, &WebBrowser::titleChange, this,
            [this](const QString &text) { WebBrowser1_TitleChange(text); });
    connect(WebBrowser1, &WebBrowser::beforeNavigate2, this,
            [this](WebBrowser::NavigateRequest *request) { WebBrowser1_BeforeNavigate2(request); });
    connect(WebBrowser1, &WebBrowser::newWindow2, this,
            [this](WebBrowser::NewWindowRequest *request) { WebBrowser1_NewWindow2(request); });
    connect(WebBrowser1, &WebBrowser::rendererEnded, this,
            [this](bool *reload) { WebBrowser1_RendererEnded(reload); });

    resize(DesignSize);
    UserControl_Initialize();
}

void usrReklamaX::UserControl_Initialize()
{
    WebBrowser1->setSilent(true);
    // A blank page without scroll bars, so the strip shows an empty area, not
    // an error, while nothing is loaded.
    WebBrowser1->navigate(QString::fromLatin1(BlankPage), WebBrowser::NoReadFromCache);

    auto &rnd = RuntimeRandom::instance();
    rnd.randomize();
    const int n = qBound(0, int(double(rnd.next()) * 10.0), AdPageCount - 1);
    TitleKey.clear();
    AdNumber = QString::number(n);
    TitleKey = TitleKeyFor(n);
}

void usrReklamaX::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void usrReklamaX::UserControl_Resize()
{
    // Only the browser follows the strip's size; the placeholder keeps its place.
    WebBrowser1->setGeometry(0, 0, width(), height());
}

void usrReklamaX::Start()
{
    Picture1->show();
    WebBrowser1->navigate(m_makerSite + QStringLiteral("/reklama/") + AdNumber + QStringLiteral(".html"),
                          WebBrowser::NoReadFromCache);
}

void usrReklamaX::WebBrowser1_StatusTextChange(const QString &text)
{
    if (isWebAddress(text))
        StatusUrl = text;
}

void usrReklamaX::WebBrowser1_TitleChange(const QString &text)
{
    // The placeholder's own flag, not whether the strip is on screen.
    if (!Picture1->isHidden() && text == TitleKey)
        Picture1->hide();
}

void usrReklamaX::WebBrowser1_BeforeNavigate2(WebBrowser::NavigateRequest *request)
{
    // The user's click on a link leaves the strip for the default browser.
    if (request->kind == WebBrowser::NavigationKind::LinkClicked && isWebAddress(StatusUrl)) {
        request->cancel = true;
        handOffStatusUrl();
        return;
    }
    // The pages the program loads and the page's frames always go on: the
    // last address pointed at stays remembered for the whole run, and must
    // not stop the next advertisement or a retry from loading.
    if (request->kind == WebBrowser::NavigationKind::Program || !request->mainFrame)
        return;
    // While an advertisement is being fetched its own redirects go on; once
    // it is shown, the strip stays on it whatever the page itself starts
    // (forms, scripts, reloads), and nothing is handed off for that.
    if (Picture1->isHidden())
        request->cancel = true;
}

void usrReklamaX::WebBrowser1_NewWindow2(WebBrowser::NewWindowRequest *request)
{
    // The advertisement never opens a window of its own; a window the user
    // asked for by clicking opens the link's address in the default browser.
    request->cancel = true;
    if (request->userInitiated && isWebAddress(StatusUrl))
        handOffStatusUrl();
}

void usrReklamaX::WebBrowser1_RendererEnded(bool *reload)
{
    // The advertisement is gone with its process: back to the blank strip
    // under the placeholder, whose button loads it again.
    *reload = false;
    Picture1->show();
    WebBrowser1->navigate(QString::fromLatin1(BlankPage), WebBrowser::NoReadFromCache);
}

void usrReklamaX::handOffStatusUrl()
{
    // The hand-off lets waiting events run; the engine's callback that asked
    // must not be re-entered, so the hand-off waits until it has returned.
    QTimer::singleShot(0, this, [url = StatusUrl] { SaveFileUrlm(url); });
}
