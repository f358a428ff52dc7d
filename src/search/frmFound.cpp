#include "search/frmFound.h"

#include "app/Declare.h"
#include "app/DialogFont.h"
#include "mainwindow/frmForma.h"
#include "search/SearchM.h"
#include "tabs/TabManager.h"
#include "web/Sites.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

namespace {

// The window in use. The widgets come and go with loading and unloading; what
// must outlive them (the search state, EnterDown) is kept elsewhere.
QPointer<frmFound> g_found;

// Both Enter keys, the main one and the keypad's, are the one key code 13.
bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isHit(const FoundItem &item)
{
    return item.Section >= 1 && item.Section <= SectionCount && item.Entry >= 1
        && item.Entry <= EntriesPerSection;
}

QFont boldFont(const QString &family, qreal pointSize)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

} // namespace

void MenuFound_Click()
{
    frmFound::Show();
}

frmFound *frmFound::existing()
{
    return g_found;
}

frmFound *frmFound::Show()
{
    if (!g_found)
        g_found = new frmFound;
    frmFound *window = g_found;
    // Modal for the whole application rather than a nested event loop: the main
    // window takes no input while this one is shown, and the menu command that
    // shows it has nothing left to do afterwards.
    window->setWindowModality(Qt::ApplicationModal);
    // No widget owns the window; its platform window is only made transient for
    // the main window, which keeps it off the task bar and above the main window.
    if (frmForma::exists()) {
        window->winId();
        if (QWindow *main = frmForma::instance().windowHandle())
            window->windowHandle()->setTransientParent(main);
    }
    window->show();
    window->activateWindow();
    return window;
}

void frmFound::destroyInstance()
{
    delete g_found;
    g_found = nullptr;
}

frmFound::TabOpener &frmFound::openTab()
{
    static TabOpener opener = [](const QString &title, const QString &url) { return NewPanelM(title, url); };
    return opener;
}

// Created without a parent: the window has no owner. Loading is creating, so
// the constructor ends with the Load handler.
frmFound::frmFound()
{
    setWindowTitle(QStringLiteral("Поиск"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ClientSize);
    // "Текст:" fits its 54 pixels in any of the font's faces.
    setFont(DialogFont());
    setAutoFillBackground(true);
    // The grey is fixed, and so is the text on it: the desktop's text colour
    // may be a light one.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    createControls();
    Form_Load();
}

frmFound::~frmFound() = default;

void frmFound::createControls()
{
    // Created in tab order, so the focus chain runs Text1, kFound, selTypFonud,
    // (Label2 takes no focus), List1.
    Text1 = new QLineEdit(this);
    Text1->setGeometry(60, 4, 417, 28);

    kFound = new QPushButton(QStringLiteral("Найти"), this);
    kFound->setGeometry(484, 4, 89, 28);
    kFound->setEnabled(false);
    // Not a default button: Enter must act on its release, and only through
    // the handlers of Text1 and List1.
    kFound->setAutoDefault(false);
    kFound->setDefault(false);
    QPalette buttonPal = kFound->palette();
    buttonPal.setColor(QPalette::Button, QColor(192, 192, 192));
    buttonPal.setColor(QPalette::ButtonText, Qt::black);
    buttonPal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(72, 72, 72));
    kFound->setPalette(buttonPal);

    selTypFonud = new QComboBox(this);
    selTypFonud->setGeometry(4, 36, 569, 27);
    selTypFonud->setEditable(false);
    selTypFonud->setFont(boldFont(QStringLiteral("Times New Roman"), 12));
    selTypFonud->addItems({QStringLiteral("Искать везде"),
                           QStringLiteral("Искать в названии мультфильма"),
                           QStringLiteral("Искать в названии студии и в году выхода")});

    Label2 = new QLabel(QStringLiteral("Текст:"), this);
    Label2->setGeometry(4, 8, 54, 20);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label names the field for assistive technology.
    Label2->setBuddy(Text1);
    selTypFonud->setAccessibleName(QStringLiteral("Где искать"));

    List1 = new QListWidget(this);
    List1->setGeometry(4, 68, 569, 259);
    List1->setFont(boldFont(QStringLiteral("Times New Roman"), 11.25));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    List1->setUniformItemSizes(true);
    List1->setAccessibleName(QStringLiteral("Найденные мультфильмы"));

    setTabOrder(Text1, kFound);
    setTabOrder(kFound, selTypFonud);
    setTabOrder(selTypFonud, List1);

    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(kFound, &QPushButton::clicked, this, [this] { kFound_Click(); });
    // Connected after the items are in, so filling the list does not pick a mode.
    connect(selTypFonud, &QComboBox::currentIndexChanged, this, [](int index) {
        if (index >= 0)
            decl().FoundType = index;
    });
    Text1->installEventFilter(this);
    List1->installEventFilter(this);
    List1->viewport()->installEventFilter(this);
}

void frmFound::Form_Load()
{
    const auto &d = decl();
    Text1->setText(d.FoundText);
    Text1->selectAll();
    selTypFonud->setCurrentIndex(d.FoundType);
    if (d.FoundLast >= 0)
        ShowFound();
    // The window is not shown yet, so ShowFound left the focus alone; it opens
    // in Text1, with the restored text selected so that typing replaces it.
    Text1->setFocus();
}

void frmFound::Text1_Change()
{
    // Stays disabled while a search runs: typing during its yield must not
    // open the way to a second search inside the first.
    kFound->setEnabled(!m_searching && !Text1->text().isEmpty());
}

void frmFound::ShowFound()
{
    const auto &d = decl();
    const qsizetype last = std::min<qsizetype>(d.FoundLast, d.FoundList.size() - 1);
    QStringList lines;
    lines.reserve(last + 1);
    for (qsizetype k = 0; k <= last; ++k) {
        const FoundItem &item = d.FoundList[k];
        QString line = QString::number(k + 1) + QStringLiteral(") ");
        if (isHit(item)) {
            const MultEntry &entry = d.MultTable[item.Section][item.Entry];
            line += entry.Title + QLatin1Char(' ') + entry.StudioYear;
        }
        // A line for every hit, so that a line's index is the hit's index.
        lines.append(line);
    }
    List1->addItems(lines);
    // No line is selected, and none is current either, so the first arrow key
    // selects the first hit.
    List1->setCurrentIndex(QModelIndex());
    // While the window is not shown (during Load) the focus stays where it is.
    if (isVisible())
        List1->setFocus();
}

void frmFound::kFound_Click()
{
    if (m_searching || g_found != this)
        return;
    m_searching = true;
    kFound->setEnabled(false);
    // Let the disabled button be drawn before the scan holds the thread.
    QPointer<frmFound> self(this);
    QCoreApplication::processEvents();
    // Closed or unloaded during the yield: there is no window left to search in.
    if (!self || g_found != self)
        return;

    auto &d = decl();
    const QString text = Text1->text();
    if (text.isEmpty()) {
        // Emptied during the yield; an empty text would list the whole catalogue.
        m_searching = false;
        Text1_Change();
        return;
    }
    d.FoundText = text;
    d.FoundLast = -1;
    d.FoundList.clear();
    List1->clear();

    d.FoundList = SearchM(text, d.FoundType);
    d.FoundLast = int(d.FoundList.size()) - 1;

    if (d.FoundLast < 0) {
        QPointer<QMessageBox> box = new QMessageBox(QMessageBox::Information,
                                                    QStringLiteral("Mirelka online"),
                                                    QStringLiteral("Совпадений не найдено."),
                                                    QMessageBox::Ok, this);
        box->exec();
        delete box;
        if (!self)
            return;
    } else {
        ShowFound();
    }
    m_searching = false;
    Text1_Change();
}

void frmFound::OpenSelectedHit()
{
    // A window already on its way out opens nothing more.
    if (g_found != this)
        return;
    const QModelIndexList selected = List1->selectionModel()->selectedRows();
    const int k = selected.isEmpty() ? -1 : selected.first().row();
    if (k < 0)
        return;
    auto &d = decl();
    if (k > d.FoundLast || k >= d.FoundList.size() || !isHit(d.FoundList[k]))
        return;
    const FoundItem hit = d.FoundList[k];

    // From here the window is on its way out: a search command that arrives
    // during the yield below loads a fresh window instead of this one.
    if (g_found == this)
        g_found = nullptr;
    hide();
    QCoreApplication::processEvents();

    const MultEntry entry = d.MultTable[hit.Section][hit.Entry];
    // The record goes to the tab that was made, whatever tabs were opened
    // while it was being activated.
    const int tab = openTab()(entry.Title, CartoonPageUrl(entry));
    if (tab > 0 && tab < d.PanelLink.size())
        d.PanelLink[tab] = EntryRecord(hit.Section, hit.Entry);
    deleteLater();
}

void frmFound::Text1_KeyDown(int key)
{
    if (isEnter(key))
        decl().EnterDown = 1;
}

void frmFound::Text1_KeyUp(int key)
{
    if (decl().EnterDown == 1 && isEnter(key) && kFound->isEnabled())
        kFound_Click();
    decl().EnterDown = 0;
}

void frmFound::List1_KeyDown(int key)
{
    if (isEnter(key))
        decl().EnterDown = 1;
}

void frmFound::List1_KeyUp(int key)
{
    if (decl().EnterDown == 1 && isEnter(key)) {
        // The release ends the press that was seen here. Left set, it would let
        // the next Enter released in a freshly opened window act although its
        // key-down happened elsewhere (the Enter that chose the search command).
        decl().EnterDown = 0;
        OpenSelectedHit();
    }
}

bool frmFound::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && (watched == Text1 || watched == List1)) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        const int key = keyEvent->key();
        if (type == QEvent::KeyPress) {
            if (watched == Text1)
                Text1_KeyDown(key);
            else
                List1_KeyDown(key);
        } else if (!keyEvent->isAutoRepeat()) {
            // A held key repeats its key-down only; the releases some platforms
            // send between the repeats are not the key coming up.
            if (watched == Text1)
                Text1_KeyUp(key);
            else
                List1_KeyUp(key);
        }
    } else if (type == QEvent::MouseButtonDblClick && watched == List1->viewport()
               && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // Acts on the line the first click selected, wherever the second lands.
        OpenSelectedHit();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmFound::keyPressEvent(QKeyEvent *event)
{
    // No key acts on the window as a whole: Escape does not close it and Enter
    // presses no default button.
    event->ignore();
}

void frmFound::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window; the search state stays as the events
    // left it.
    event->accept();
    if (g_found == this)
        g_found = nullptr;
    deleteLater();
}
