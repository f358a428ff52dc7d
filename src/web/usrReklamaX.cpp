#include "web/usrReklamaX.h"

#include "app/RuntimeRandom.h"
#include "web/AdKey.h"
#include "web/SaveFileUrlm.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {

// How long after the user's press a navigation to the link pressed on is
// still the user's: the press reaches the page's process first and the
// navigation comes back from there, which on a busy machine takes a while.
constexpr qint64 ClickedLinkMs = 3000;

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
    WebBrowser1 = createBrowser(this, BrowserPurpose::AdStrip);
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
    connect(WebBrowser1, &WebBrowser::userPressed, this, [this] { WebBrowser1_UserPressed(); });
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
    m_statusText = text;
    if (isWebAddress(text))
        StatusUrl = text;
}

void usrReklamaX::WebBrowser1_UserPressed()
{
    // The link under the pointer as the button goes down; a press beside
    // every link chooses none.
    m_clickUrl = isWebAddress(m_statusText) ? StatusUrl : QString();
    m_clickTime.start();
}

QString usrReklamaX::takeClickedLink(const QUrl &url)
{
    if (m_clickUrl.isEmpty() || m_clickTime.elapsed() > ClickedLinkMs || QUrl(m_clickUrl) != url
        || !IsHandOffAddress(url))
        return {};
    return std::exchange(m_clickUrl, QString());
}

void usrReklamaX::WebBrowser1_TitleChange(const QString &text)
{
    // The placeholder's own flag, not whether the strip is on screen.
    if (!Picture1->isHidden() && text == TitleKey)
        Picture1->hide();
}

void usrReklamaX::WebBrowser1_BeforeNavigate2(WebBrowser::NavigateRequest *request)
{
    // The pages the program loads always go on: the last address pointed at
    // stays remembered for the whole run, and must not stop the next
    // advertisement or a retry from loading.
    if (request->kind == WebBrowser::NavigationKind::Program)
        return;
    // The link the user pressed on leaves for the default browser, once,
    // however the page reports going there (a page busy navigating as the
    // button goes down makes the engine report the link's own navigation as
    // the page's).
    const QString clicked = takeClickedLink(request->url);
    if (!clicked.isEmpty()) {
        request->cancel = true;
        handOff(clicked);
        return;
    }
    // Any other followed link never loads in the strip and goes nowhere: the
    // engine also reports a page's own navigations as followed links.
    if (request->kind == WebBrowser::NavigationKind::LinkClicked) {
        request->cancel = true;
        return;
    }
    // The page's frames load what they load.
    if (!request->mainFrame)
        return;
    // While an advertisement is being fetched its own redirects go on; once
    // it is shown, the strip stays on it whatever the page itself starts
    // (forms, scripts, reloads), and nothing is handed off for that.
    if (Picture1->isHidden())
        request->cancel = true;
}

void usrReklamaX::WebBrowser1_NewWindow2(WebBrowser::NewWindowRequest *request)
{
    // The advertisement never opens a window of its own; a window for the
    // link the user pressed on opens that address in the default browser.
    request->cancel = true;
    handOff(takeClickedLink(request->url));
}

void usrReklamaX::WebBrowser1_RendererEnded(bool *reload)
{
    // The advertisement is gone with its process: back to the blank strip
    // under the placeholder, whose button loads it again.
    *reload = false;
    Picture1->show();
    WebBrowser1->navigate(QString::fromLatin1(BlankPage), WebBrowser::NoReadFromCache);
}

void usrReklamaX::handOff(const QString &url)
{
    if (url.isEmpty())
        return;
    // The hand-off lets waiting events run; the engine's callback that asked
    // must not be re-entered, so the hand-off waits until it has returned.
    QTimer::singleShot(0, this, [url] { SaveFileUrlm(url); });
}
