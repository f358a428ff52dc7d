#include "mainwindow/frmForma.h"

#include "app/Declare.h"
#include "app/WebBrowser.h"
#include "mainwindow/ResizeFormaM.h"
#include "pageview/PictureBox.h"
#include "pageview/ProkrutkaM.h"
#include "pageview/VyborLinksM.h"
#include "search/frmFound.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"
#include "web/Sites.h"
#include "web/frmOprog.h"
#include "web/usrReklamaX.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QGuiApplication>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

namespace {
frmForma *g_forma = nullptr;
}

frmForma &frmForma::instance()
{
    if (!g_forma)
        g_forma = new frmForma;
    return *g_forma;
}

bool frmForma::exists()
{
    return g_forma != nullptr;
}

void frmForma::destroyInstance()
{
    delete g_forma;
    g_forma = nullptr;
}

frmForma::frmForma()
{
    setWindowTitle(QStringLiteral("Mirelka online"));
    setWindowIcon(QIcon(QStringLiteral(":/resources/mirelka.png")));
    setAttribute(Qt::WA_DeleteOnClose, false);
    createControls();
    createMenu();
    createPageKeys();
    // The design size is the client area's, under the menu bar.
    layout()->activate();
    resize(DesignSize + (size() - client->size()));
    layout()->activate();
}

frmForma::~frmForma()
{
    if (g_forma == this)
        g_forma = nullptr;
}

void frmForma::createControls()
{
    client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, QColor(224, 224, 224));
    client->setPalette(pal);
    client->setMinimumSize(MinimumSize);
    client->installEventFilter(this);
    setCentralWidget(client);

    usrReklamaX1 = new usrReklamaX(client, makerSite());
    usrReklamaX1->move(0, 0);

    WebBrowser *web0 = createBrowser(client);
    web0->setVisible(false);
    WebRazdel.insert(0, web0);

    picBox = new QFrame(client);
    picBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picBox->setLineWidth(2);
    picBox->setAutoFillBackground(true);
    pal = picBox->palette();
    pal.setColor(QPalette::Window, Qt::white);
    picBox->setPalette(pal);
    picBox->move(0, ContentTop);
    picBox->setFocusPolicy(Qt::NoFocus);
    picBoxInner = new QWidget(picBox);
    picBoxInner->move(2, 2);

    VScroll1 = new QScrollBar(Qt::Vertical, picBoxInner);
    // Clicking the bar leaves the keyboard on the page, so the keys keep scrolling.
    VScroll1->setFocusPolicy(Qt::NoFocus);
    VScroll1->setMinimum(0);
    VScroll1->setMaximum(0);
    VScroll1->setEnabled(false);
    VScroll1->setAccessibleName(QStringLiteral("Прокрутка страницы"));

    picText = new PictureBox(picBoxInner);
    picText->setObjectName(QStringLiteral("picText"));
    picText->move(0, 0);
    picText->setFocusPolicy(Qt::StrongFocus);
    QFont pageFont(QStringLiteral("Times New Roman"));
    pageFont.setStyleHint(QFont::Serif);
    picText->setDrawFont(pageFont);
    // The wheel over the page and over its bar scrolls by lines of the page.
    picText->installEventFilter(this);
    VScroll1->installEventFilter(this);
    VScroll1->raise();

    connect(VScroll1, &QScrollBar::valueChanged, this, [] { VScroll1_Change(); });
    connect(picText, &PictureBox::keyPressed, this, [](int key) { picText_KeyDown(key); });
    connect(picText, &PictureBox::keyReleased, this, [](int key) { picText_KeyUp(key); });
    connect(picText, &PictureBox::mouseMoved, this, [](QPointF at) { picText_MouseMove(at); });
    connect(picText, &PictureBox::mouseReleased, this,
            [](Qt::MouseButton, QPointF) { picText_MouseUp(); });

    auto *tab0 = new usrPanel(client);
    tab0->setToolTip(QStringLiteral("Каталог"));
    tab0->move(0, TabRowTop);
    usrPanel1.insert(0, tab0);
}

void frmForma::createMenu()
{
    // Alt+М opens the menu, as does F10 below.
    Menu = menuBar()->addMenu(QStringLiteral("&Меню"));
    MenuFound = Menu->addAction(QStringLiteral("Поиск"));
    MenuFound->setShortcut(QKeySequence(Qt::Key_F3));
    MenuClose = Menu->addAction(QStringLiteral("Закрыть раздел"));
    MenuClose->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)});
    MenuClose->setEnabled(false);
    MenuSep2 = Menu->addSeparator();
    MenuHelp = Menu->addAction(QStringLiteral("Вызов справки"));
    MenuHelp->setShortcut(QKeySequence(Qt::Key_F1));
    MenuAbout = Menu->addAction(QStringLiteral("О программе"));
    MenuExit = Menu->addAction(QStringLiteral("Выход"));

    connect(MenuFound, &QAction::triggered, this, [] { MenuFound_Click(); });
    connect(MenuClose, &QAction::triggered, this, [] { MenuClose_Click(); });
    connect(MenuHelp, &QAction::triggered, this, [] { MenuHelp_Click(); });
    // The about window runs a loop of its own until it is closed: queued, so
    // whatever pressed the item (the accessibility bus too) is answered first.
    connect(MenuAbout, &QAction::triggered, this, [] { MenuAbout_Click(); }, Qt::QueuedConnection);
    connect(MenuExit, &QAction::triggered, this, [this] { close(); });

    // F10 opens the menu, as on other desktops.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] { menuBar()->setActiveAction(Menu->menuAction()); });

    // Tabs by keyboard, wherever the focus is in the window: Ctrl+Tab and
    // Ctrl+PgDn the next tab, Ctrl+Shift+Tab and Ctrl+PgUp the previous.
    auto *next = new QShortcut(this);
    next->setKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
    connect(next, &QShortcut::activated, this, [] { NextPanelM(1); });
    auto *previous = new QShortcut(this);
    previous->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    connect(previous, &QShortcut::activated, this, [] { NextPanelM(-1); });
}

void frmForma::createPageKeys()
{
    using Command = WebBrowser::PageCommand;
    const std::pair<Command, QList<QKeySequence>> keys[] = {
        {Command::Back, {QKeySequence(Qt::ALT | Qt::Key_Left)}},
        {Command::Forward, {QKeySequence(Qt::ALT | Qt::Key_Right)}},
        {Command::Reload, {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}},
        {Command::ZoomIn, {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}},
        {Command::ZoomOut, {QKeySequence(Qt::CTRL | Qt::Key_Minus)}},
        {Command::ZoomReset, {QKeySequence(Qt::CTRL | Qt::Key_0)}},
    };
    for (const auto &[command, shortcuts] : keys) {
        auto *action = new QAction(this);
        action->setShortcuts(shortcuts);
        addAction(action);
        // In the catalogue tab these keys do nothing.
        connect(action, &QAction::triggered, this, [this, command] {
            if (const int a = decl().ActivePanel; a > 0) {
                if (WebBrowser *web = WebRazdel.value(a))
                    web->pageCommand(command);
            }
        });
    }
    // The menu's keys work while a page fills the screen and the menu bar is
    // hidden: they belong to the window too.
    addActions({MenuFound, MenuClose, MenuHelp});
    // The engine does not leave full screen on Escape by itself.
    m_leaveFullScreen = new QAction(this);
    m_leaveFullScreen->setShortcut(QKeySequence(Qt::Key_Escape));
    m_leaveFullScreen->setEnabled(false);
    addAction(m_leaveFullScreen);
    connect(m_leaveFullScreen, &QAction::triggered, this, [this] { leavePageFullScreen(); });
}

bool frmForma::pageFullScreen(WebBrowser *page, bool on)
{
    if (!on) {
        if (page && page == m_fullScreenPage)
            leavePageFullScreen();
        return true;
    }
    if (m_fullScreenPage)
        return page == m_fullScreenPage;
    const int a = decl().ActivePanel;
    if (!page || a < 1 || WebRazdel.value(a) != page || !page->isVisible() || isMinimized())
        return false;
    // The layout stays as it is while the page fills the window (a resize
    // now would move the catalogue's scroll position): it is laid out again
    // for the size the window comes back with.
    m_fullScreenPage = page;
    m_stateBeforeFullScreen = windowState() & ~Qt::WindowActive;
    menuBar()->hide();
    usrReklamaX1->hide();
    for (const QPointer<usrPanel> &tab : std::as_const(usrPanel1)) {
        if (tab)
            tab->hide();
    }
    page->setGeometry(client->rect());
    page->raise();
    // Hidden means its tab is left or closed: the window comes back first.
    page->installEventFilter(this);
    m_leaveFullScreen->setEnabled(true);
    setWindowState(m_stateBeforeFullScreen | Qt::WindowFullScreen);
    return true;
}

void frmForma::leavePageFullScreen()
{
    const QPointer<WebBrowser> page = std::exchange(m_fullScreenPage, nullptr);
    if (!page && !m_leaveFullScreen->isEnabled())
        return;
    m_leaveFullScreen->setEnabled(false);
    if (page)
        page->removeEventFilter(this);
    menuBar()->show();
    usrReklamaX1->show();
    for (const QPointer<usrPanel> &tab : std::as_const(usrPanel1)) {
        if (tab)
            tab->show();
    }
    setWindowState(m_stateBeforeFullScreen);
    ResizeFormaM();
    if (page) {
        // The page learns it no longer fills the screen, and keeps the keyboard.
        page->pageCommand(WebBrowser::PageCommand::LeaveFullScreen);
        if (page->isVisible()) {
            activateWindow();
            page->setFocus();
        }
    }
}

void frmForma::Form_Load()
{
    show();
    usrPanel1.value(0)->NoClose();
    WebBrowser *web0 = WebRazdel.value(0);
    web0->setSilent(true);
    web0->navigate(QStringLiteral("about:<html><body></body></html>"));
    usrReklamaX1->Start();
}

bool frmForma::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client && event->type() == QEvent::Resize && !isMinimized()) {
        if (m_fullScreenPage)
            m_fullScreenPage->setGeometry(client->rect());
        else
            ResizeFormaM();
    }
    if (watched == m_fullScreenPage && event->type() == QEvent::Hide)
        leavePageFullScreen();
    if (watched == picText) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                break;
            // Tab and Shift+Tab step through the page's links before the
            // keyboard leaves the page.
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                return picText_TabKey(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            if (!key->isAutoRepeat()
                && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space))
                picText_ChooseKey();
            break;
        }
        case QEvent::FocusIn:
            picText_GotFocus(static_cast<QFocusEvent *>(event)->reason());
            break;
        case QEvent::FocusOut:
            picText_LostFocus(static_cast<QFocusEvent *>(event)->reason());
            break;
        default:
            break;
        }
    }
    if ((watched == picText || watched == VScroll1) && event->type() == QEvent::Wheel) {
        picText_Wheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmForma::changeEvent(QEvent *event)
{
    // A minimised window is not laid out, and it may be resized or maximised
    // meanwhile without a resize arriving once it is restored: lay it out
    // for the size it comes back with.
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && !m_fullScreenPage
        && (static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized))
        ResizeFormaM();
    QMainWindow::changeEvent(event);
}

void frmForma::closeEvent(QCloseEvent *event)
{
    // Unload: release the page canvas; nothing is saved.
    decl().PageCanvas = nullptr;
    event->accept();
}
