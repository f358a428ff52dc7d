#pragma once

#include "web/Sites.h"

#include <QDialog>

class PictureBox;
class QFrame;
class QLabel;
class QPushButton;

// The about window: version, dates, author, e-mail, a link to the maker's
// site, a picture and a small striped flag. Shown modally, without an owner.
class frmOprog : public QDialog
{
    Q_OBJECT

public:
    // The window's inner size.
    static constexpr QSize ClientSize{343, 211};
    // The picture of Image1.
    static constexpr char PicturePath[] = ":/resources/oprog.png";
    static constexpr QColor LinkColor{0, 0, 192};

    explicit frmOprog(const QString &makerSite = QString::fromLatin1(DefaultMakerSite));

    // The one about window, created on first use.
    static frmOprog &instance();
    // Destroys it (tests make a fresh one per case).
    static void destroyInstance();

    // What each showing starts with: the flag drawn afresh into Picture1.
    void Form_Load();

    // The address the link hands to the default browser.
    QString siteUrl() const { return m_makerSite + QStringLiteral("/site/"); }

    QLabel *Image1 = nullptr;
    // Elements 0 and 3 to 7; the others are unused.
    QLabel *Label2[8] = {};
    QLabel *Label1 = nullptr;
    QFrame *Line1 = nullptr;
    QFrame *Line2 = nullptr;
    PictureBox *Picture1 = nullptr;
    QPushButton *OK = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Label1_Click();
    void OK_Click();

    QString m_makerSite;
    bool m_linkPressed = false;
};

// The about command: shows the about window modally, loaded afresh.
void MenuAbout_Click();
