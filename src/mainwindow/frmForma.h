#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>

class PictureBox;
class QAction;
class QFrame;
class QMenu;
class QScrollBar;
class WebBrowser;
class usrPanel;
class usrReklamaX;

// The main window: the advertising strip, the tab strip, and below them the
// catalogue viewport or the active tab's web view. Positions are pixels of
// the client area under the menu bar.
class frmForma : public QMainWindow
{
    Q_OBJECT

public:
    // The one main window, created on first use.
    static frmForma &instance();
    static bool exists();
    // Destroys the main window (tests make a fresh one per case).
    static void destroyInstance();

    // The area every position of the window's controls is measured in.
    QWidget *client = nullptr;

    usrReklamaX *usrReklamaX1 = nullptr;
    // Browsers and tabs by tab index; element 0 belongs to the catalogue tab.
    QMap<int, QPointer<WebBrowser>> WebRazdel;
    QFrame *picBox = nullptr;
    // The viewport's inner area, inside the 2-pixel border of picBox.
    QWidget *picBoxInner = nullptr;
    QScrollBar *VScroll1 = nullptr;
    PictureBox *picText = nullptr;
    QMap<int, QPointer<usrPanel>> usrPanel1;

    QMenu *Menu = nullptr;
    QAction *MenuFound = nullptr;
    QAction *MenuClose = nullptr;
    QAction *MenuSep2 = nullptr;
    QAction *MenuHelp = nullptr;
    QAction *MenuAbout = nullptr;
    QAction *MenuExit = nullptr;

    // The client area's design size and the smallest it may be made.
    static constexpr QSize DesignSize{784, 487};
    static constexpr QSize MinimumSize{320, 240};

    // Load handler: shows the window, takes the catalogue tab's close button
    // away, blanks the hidden browser element 0 and starts the strip.
    void Form_Load();

    // Shows a tab's page alone over the whole screen (on), or gives the
    // window back as it was (off). Only the active tab's page may fill the
    // screen; returns whether it does.
    bool pageFullScreen(WebBrowser *page, bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    frmForma();
    ~frmForma() override;
    void createControls();
    void createMenu();
    // The keys that act on the active tab's page.
    void createPageKeys();
    void leavePageFullScreen();

    // The page filling the screen, and the window's state before it did.
    QPointer<WebBrowser> m_fullScreenPage;
    Qt::WindowStates m_stateBeforeFullScreen;
    QAction *m_leaveFullScreen = nullptr;
};
