#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The search command: shows the search window modally.
void MenuFound_Click();

// The search window: finds catalogue entries whose title or studio-and-year
// line holds a text, lists them, and opens a chosen one in a new tab. It keeps
// nothing itself: the text, the mode and the hits live in the shared state
// (FoundText, FoundType, FoundLast, FoundList), so a new window shows the
// previous search as it was left.
class frmFound : public QDialog
{
    Q_OBJECT

public:
    // The window in use, or nullptr while none is loaded.
    static frmFound *existing();
    // Loads the window when none is loaded (restoring the last search), shows
    // it modally for the whole application and returns at once.
    static frmFound *Show();
    // Unloads the window at once, if there is one (tests start afresh).
    static void destroyInstance();

    // What opens a hit's tab and returns its index: NewPanelM unless replaced
    // (tests record calls).
    using TabOpener = std::function<int(const QString &title, const QString &url)>;
    static TabOpener &openTab();

    static constexpr QSize ClientSize{577, 331};

    QLabel *Label2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *kFound = nullptr;
    QComboBox *selTypFonud = nullptr;
    QListWidget *List1 = nullptr;

    // Fills List1 from FoundList and moves the focus there when it can.
    void ShowFound();
    // The search over every section by FoundType.
    void kFound_Click();
    // Opens the hit selected in List1 in a new tab, then unloads the window.
    void OpenSelectedHit();

    // True while a search runs (including its yields and its message box).
    bool searching() const { return m_searching; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    frmFound();
    ~frmFound() override;
    void createControls();
    void Form_Load();
    void Text1_Change();
    void Text1_KeyDown(int key);
    void Text1_KeyUp(int key);
    void List1_KeyDown(int key);
    void List1_KeyUp(int key);

    bool m_searching = false;
};
