#pragma once

#include "app/WebBrowser.h"
#include "web/Sites.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QPushButton;

// The advertising strip at the top of the main window: one of the maker's ten
// advertising pages, chosen at random when the strip is made. A placeholder
// asking the user to connect covers the page until a page carrying the
// expected title has arrived. Links followed in the page open in the user's
// default browser, never inside the strip.
class usrReklamaX : public QWidget
{
    Q_OBJECT

public:
    // The strip's design size.
    static constexpr QSize DesignSize{543, 73};

    explicit usrReklamaX(QWidget *parent = nullptr,
                         const QString &makerSite = QString::fromLatin1(DefaultMakerSite));

    // Shows the placeholder and loads the chosen advertising page, bypassing
    // the cache. Also the placeholder button's action, so it retries.
    void Start();

    // Fills the whole strip.
    WebBrowser *WebBrowser1 = nullptr;
    // The placeholder panel above the browser, with its two lines and button.
    QWidget *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *kObnovit = nullptr;

    // The address of the link last pointed at: the latest status text that
    // begins with "http".
    QString StatusUrl;
    // The title the chosen page carries: TitleKeyFor(AdNumber).
    QString TitleKey;
    // The chosen page's number, "0" to "9".
    QString AdNumber;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void UserControl_Initialize();
    void UserControl_Resize();
    void WebBrowser1_StatusTextChange(const QString &text);
    void WebBrowser1_UserPressed();
    void WebBrowser1_TitleChange(const QString &text);
    void WebBrowser1_BeforeNavigate2(WebBrowser::NavigateRequest *request);
    void WebBrowser1_NewWindow2(WebBrowser::NewWindowRequest *request);
    void WebBrowser1_RendererEnded(bool *reload);
    // Hands an address to the default browser once the browser's own event
    // has returned.
    void handOff(const QString &url);
    // The address the user pressed on when a followed link is that one (and
    // http or https), else "". Used up either way.
    QString takeClickedLink(const QUrl &url);

    QString m_makerSite;
    // The latest status text, "" while the pointer is over no link.
    QString m_statusText;
    // StatusUrl when the user last pressed with the pointer on that link: the
    // only address the user can have chosen. Empty once used.
    QString m_clickUrl;
    QElapsedTimer m_clickTime;
};
