#include "FakeBrowser.h"
#include "TestSupport.h"

#include "app/Declare.h"
#include "mainwindow/frmForma.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/VyborLinksM.h"
#include "search/SearchM.h"
#include "search/frmFound.h"
#include "web/Sites.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

// The catalogue every case searches. Section 2 is missing on purpose.
const QList<MultEntry> Section1 = {
    {QStringLiteral("a1"), QStringLiteral("Кот и ёлка"), QStringLiteral("Студия 1 1990")},
    {QStringLiteral("a2"), QStringLiteral("Ёжик в тумане"), QStringLiteral("Союзмультфильм 1975")},
    {QStringLiteral("a3"), QStringLiteral("Котёнок"), QStringLiteral("Кот-студия 1980")},
    {QStringLiteral("a4"), QStringLiteral("Елка"), QStringLiteral("Экран 1985")},
};
const QList<MultEntry> Section3 = {
    {QStringLiteral("c1"), QStringLiteral("ABC Mouse"), QStringLiteral("Pixar 2001")},
    {QStringLiteral("c2"), QStringLiteral("Винни-Пух"), QStringLiteral("СОЮЗМУЛЬТФИЛЬМ 1969")},
};
const QList<MultEntry> Section40 = {
    {QStringLiteral("z1"), QStringLiteral("Кот"), QStringLiteral("Studio")},
};

QString hits(const QList<FoundItem> &items)
{
    QStringList out;
    for (const FoundItem &item : items)
        out.append(QStringLiteral("%1.%2").arg(item.Section).arg(item.Entry));
    return out.join(QLatin1Char(' '));
}

QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// Types text key by key; Qt's key codes of letters are their capitals' codes.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        const auto key = Qt::Key(ch.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(ch), Qt::NoModifier);
    }
}

// What a message box showed; the box is answered with OK as soon as it is up.
struct SeenBox
{
    int count = 0;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_data;
    QList<QPair<QString, QString>> m_tabs;
    SeenBox m_box;
    QTimer *m_boxWatcher = nullptr;
    frmFound::TabOpener m_realOpener;

    frmFound *openWindow()
    {
        MenuFound_Click();
        frmFound *w = frmFound::existing();
        if (w)
            w->List1->clearSelection();
        return w;
    }

    void search(frmFound *w, const QString &text, int mode)
    {
        w->Text1->setText(text);
        w->selTypFonud->setCurrentIndex(mode);
        QTest::mouseClick(w->kFound, Qt::LeftButton);
    }

    void selectLine(frmFound *w, int row)
    {
        const QRect r = w->List1->visualRect(w->List1->model()->index(row, 0));
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, r.center());
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_data = m_dir.path() + QStringLiteral("/Data/");
        TestSupport::resetState(m_data);
        TestSupport::writeSection(m_data, 1, Section1);
        TestSupport::writeSection(m_data, 3, Section3);
        TestSupport::writeSection(m_data, 40, Section40);
        QFile::remove(m_data + QStringLiteral("2.dat"));
        FakeBrowser::install();
        frmForma::instance().show();
        m_tabs.clear();
        if (!m_realOpener)
            m_realOpener = frmFound::openTab();
        // Records the tabs asked for, with the bookkeeping the tab manager keeps.
        frmFound::openTab() = [this](const QString &title, const QString &url) {
            m_tabs.append({title, url});
            auto &d = decl();
            ++d.PanelCount;
            d.PanelClosed.append(0);
            d.PanelLink.append(0);
            return d.PanelCount;
        };
        m_box = SeenBox{};
        m_boxWatcher = new QTimer(this);
        m_boxWatcher->setInterval(5);
        connect(m_boxWatcher, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            ++m_box.count;
            m_box.text = box->text();
            m_box.title = box->windowTitle();
            m_box.icon = box->icon();
            m_box.buttons = box->standardButtons();
            box->button(QMessageBox::Ok)->click();
        });
        m_boxWatcher->start();
    }

    void cleanup()
    {
        delete m_boxWatcher;
        m_boxWatcher = nullptr;
        frmFound::destroyInstance();
        frmForma::destroyInstance();
        frmFound::openTab() = m_realOpener;
    }

    void matching_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");

        QTest::newRow("capitals fold, Cyrillic") << "КОТ" << 0 << "1.1 1.3 40.1";
        QTest::newRow("ё is not е") << "елка" << 0 << "1.4";
        QTest::newRow("ё finds ё") << "ЁЛКА" << 0 << "1.1";
        QTest::newRow("title only") << "кот" << 1 << "1.1 1.3 40.1";
        QTest::newRow("studio line only") << "кот" << 2 << "1.3";
        QTest::newRow("studio capitals") << "союзмультфильм" << 2 << "1.2 3.2";
        QTest::newRow("studio text in titles") << "союзмультфильм" << 1 << "";
        QTest::newRow("Latin") << "abc mOUSE" << 0 << "3.1";
        QTest::newRow("year, everywhere") << "1990" << 0 << "1.1";
        QTest::newRow("year, title only") << "1990" << 1 << "";
        QTest::newRow("space, everywhere") << " " << 0 << "1.1 1.2 1.3 1.4 3.1 3.2";
        QTest::newRow("space, titles") << " " << 1 << "1.1 1.2 3.1";
        QTest::newRow("space, studio lines") << " " << 2 << "1.1 1.2 1.3 1.4 3.1 3.2";
        QTest::newRow("hyphen") << "-" << 0 << "1.3 3.2";
        QTest::newRow("longer than every field") << "кот и ёлка и ёжик в тумане" << 0 << "";
    }

    void matching()
    {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(QString, expected);

        const QList<FoundItem> found = SearchM(text, mode);
        QCOMPARE(hits(found), expected);

        // Everywhere is the title or the studio line: what the two narrower
        // searches find, each entry once, in catalogue order.
        if (mode == SearchEverywhere) {
            QList<FoundItem> either = SearchM(text, SearchTitle) + SearchM(text, SearchStudioYear);
            auto order = [](const FoundItem &x) { return x.Section * 1000 + x.Entry; };
            std::sort(either.begin(), either.end(), [&](auto &x, auto &y) { return order(x) < order(y); });
            either.erase(std::unique(either.begin(), either.end(),
                                     [&](auto &x, auto &y) { return order(x) == order(y); }),
                         either.end());
            QCOMPARE(hits(found), hits(either));
        }
    }

    void windowLayout()
    {
        frmFound *w = openWindow();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Поиск"));
        QCOMPARE(w->size(), frmFound::ClientSize);
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(!(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!w->parentWidget());
        QCOMPARE(w->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), w);
        QCOMPARE(w->palette().color(QPalette::Window), QColor(192, 192, 192));

        QCOMPARE(w->Label2->geometry(), QRect(4, 8, 54, 20));
        QCOMPARE(w->Text1->geometry(), QRect(60, 4, 417, 28));
        QCOMPARE(w->kFound->geometry(), QRect(484, 4, 89, 28));
        QCOMPARE(w->selTypFonud->geometry(), QRect(4, 36, 569, 27));
        QCOMPARE(w->List1->geometry(), QRect(4, 68, 569, 259));
        QCOMPARE(w->Label2->text(), QStringLiteral("Текст:"));
        QCOMPARE(w->kFound->text(), QStringLiteral("Найти"));
        QCOMPARE(w->selTypFonud->count(), 3);
        QCOMPARE(w->selTypFonud->itemText(0), QStringLiteral("Искать везде"));
        QCOMPARE(w->selTypFonud->itemText(1), QStringLiteral("Искать в названии мультфильма"));
        QCOMPARE(w->selTypFonud->itemText(2), QStringLiteral("Искать в названии студии и в году выхода"));
        QCOMPARE(w->List1->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!w->List1->isSortingEnabled());

        QCOMPARE(w->Label2->font().pointSize(), 12);
        QVERIFY(w->Label2->font().bold());
        QCOMPARE(w->selTypFonud->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(w->List1->font().pointSizeF(), 11.25);
        QVERIFY(w->List1->font().bold());

        // Tab order: Text1, kFound, selTypFonud, List1 (Label2 takes no focus).
        QCOMPARE(w->Text1->nextInFocusChain(), w->kFound);
        QCOMPARE(w->kFound->nextInFocusChain(), w->selTypFonud);
        QWidget *next = w->selTypFonud->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QCOMPARE(next, w->List1);

        // Escape has no handler: the window stays.
        QTest::keyClick(w->Text1, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QCOMPARE(frmFound::existing(), w);
    }

    void emptyTextCannotSearch()
    {
        frmFound *w = openWindow();
        QVERIFY(!w->kFound->isEnabled());
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QTest::mouseClick(w->kFound, Qt::LeftButton);
        QCOMPARE(decl().MultCount[1], 0); // nothing was scanned
        QCOMPARE(decl().FoundLast, -1);
        QCOMPARE(m_box.count, 0);

        typeText(w->Text1, QStringLiteral("к"));
        QVERIFY(w->kFound->isEnabled());
        QTest::keyClick(w->Text1, Qt::Key_Backspace);
        QVERIFY(!w->kFound->isEnabled());
    }

    void hitsAreListedInCatalogueOrder_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("button") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }

    void hitsAreListedInCatalogueOrder()
    {
        QFETCH(int, key);
        frmFound *w = openWindow();
        typeText(w->Text1, QStringLiteral("КоТ"));
        if (key)
            QTest::keyClick(w->Text1, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        else
            QTest::mouseClick(w->kFound, Qt::LeftButton);

        QCOMPARE(lines(w->List1), QStringList({QStringLiteral("1) Кот и ёлка Студия 1 1990"),
                                               QStringLiteral("2) Котёнок Кот-студия 1980"),
                                               QStringLiteral("3) Кот Studio")}));
        QCOMPARE(decl().FoundText, QStringLiteral("КоТ"));
        QCOMPARE(decl().FoundLast, 2);
        QVERIFY(w->List1->selectedItems().isEmpty());
        QCOMPARE(w->focusWidget(), w->List1);
        QVERIFY(w->kFound->isEnabled());
        QCOMPARE(m_box.count, 0);
    }

    void noHitShowsTheMessage()
    {
        frmFound *w = openWindow();
        search(w, QStringLiteral("кот"), 0);
        QCOMPARE(w->List1->count(), 3);
        search(w, QStringLiteral("нет такого"), 0);
        QCOMPARE(m_box.count, 1);
        QCOMPARE(m_box.text, QStringLiteral("Совпадений не найдено."));
        QCOMPARE(m_box.title, QStringLiteral("Mirelka online"));
        QCOMPARE(m_box.icon, QMessageBox::Information);
        QCOMPARE(m_box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(w->List1->count(), 0);
        QCOMPARE(decl().FoundLast, -1);
        QVERIFY(w->kFound->isEnabled());

        // The next opening shows the text and an empty list.
        w->close();
        QCOMPARE(frmFound::existing(), nullptr);
        w = openWindow();
        QCOMPARE(w->Text1->text(), QStringLiteral("нет такого"));
        QCOMPARE(w->List1->count(), 0);
    }

    void reopeningRestoresTheSearch()
    {
        frmFound *w = openWindow();
        search(w, QStringLiteral("кот"), 1);
        const QStringList shown = lines(w->List1);
        QCOMPARE(shown.size(), 3);
        // A mode picked without searching is kept too.
        w->selTypFonud->setCurrentIndex(2);
        QCOMPARE(decl().FoundType, 2);
        QPointer<frmFound> old = w;
        w->close();
        QTRY_VERIFY(old.isNull());

        w = openWindow();
        QVERIFY(w != nullptr);
        QCOMPARE(w->Text1->text(), QStringLiteral("кот"));
        QCOMPARE(w->Text1->selectedText(), QStringLiteral("кот"));
        QCOMPARE(w->selTypFonud->currentIndex(), 2);
        QCOMPARE(lines(w->List1), shown);
        QVERIFY(w->kFound->isEnabled());
        QCOMPARE(w->focusWidget(), w->Text1);
        // Typing replaces the selected text.
        typeText(w->Text1, QStringLiteral("ёж"));
        QCOMPARE(w->Text1->text(), QStringLiteral("ёж"));
    }

    void openingNeedsASelectedLine()
    {
        frmFound *w = openWindow();
        search(w, QStringLiteral("кот"), 0);
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
        QTest::keyClick(w->List1, Qt::Key_Return);
        QVERIFY(m_tabs.isEmpty());
        QVERIFY(w->isVisible());
        QCOMPARE(frmFound::existing(), w);

        // A hit selected, then double-clicked with the right or middle button:
        // only the left button's double click opens it.
        selectLine(w, 2);
        const QRect r = w->List1->visualRect(w->List1->model()->index(2, 0));
        QTest::mouseDClick(w->List1->viewport(), Qt::RightButton, {}, r.center());
        QTest::mouseDClick(w->List1->viewport(), Qt::MiddleButton, {}, r.center());
        QVERIFY(m_tabs.isEmpty());
        QCOMPARE(frmFound::existing(), w);
    }

    void openingAHit_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("double click") << "dblclick";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("arrow, then Enter") << "arrow";
    }

    void openingAHit()
    {
        QFETCH(QString, how);
        for (int round = 1; round <= 2; ++round) {
            frmFound *w = openWindow();
            QPointer<frmFound> guard = w;
            search(w, QStringLiteral("ЁЛКА"), 0);
            search(w, QStringLiteral("кот"), 0);
            if (how == QLatin1String("dblclick")) {
                // The first click of a double click selects the line.
                selectLine(w, 2);
                const QRect r = w->List1->visualRect(w->List1->model()->index(2, 0));
                QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, r.center());
            } else if (how == QLatin1String("enter")) {
                selectLine(w, 2);
                QTest::keyClick(w->List1, Qt::Key_Return);
            } else {
                // Nothing is current after a search: the first arrow takes the first hit,
                // two more the third.
                for (int i = 0; i < 3; ++i)
                    QTest::keyClick(w->List1, Qt::Key_Down);
                QTest::keyClick(w->List1, Qt::Key_Return);
            }
            QCOMPARE(m_tabs.size(), round);
            QCOMPARE(m_tabs.last().first, QStringLiteral("Кот"));
            QCOMPARE(m_tabs.last().second, cartoonSite() + QStringLiteral("/mults/?id=z1"));
            QCOMPARE(decl().PanelCount, round);
            QCOMPARE(decl().PanelLink.value(round), EntryRecord(40, 1));
            QCOMPARE(frmFound::existing(), nullptr);
            QTRY_VERIFY(guard.isNull());
        }
        QCOMPARE(decl().PanelLink.value(0), 0);
    }

    void hitsOpenTabsOfTheirOwn()
    {
        TestSupport::startProgram(m_data);
        frmFound::openTab() = m_realOpener;
        const QString url = cartoonSite() + QStringLiteral("/mults/?id=z1");
        for (int round = 1; round <= 2; ++round) {
            frmFound *w = openWindow();
            search(w, QStringLiteral("кот"), 0);
            selectLine(w, 2);
            QTest::keyClick(w->List1, Qt::Key_Return);
            QCOMPARE(decl().PanelCount, round);
            QCOMPARE(decl().ActivePanel, round);
            QCOMPARE(decl().PanelLink.value(round), EntryRecord(40, 1));
            QCOMPARE(FakeBrowser::all().last()->navigations.value(0).first, url);
        }

        // The entry's link on its page finds the first of those tabs; the same
        // place in another section is another entry.
        auto choose = [](int section, int entry) {
            NomerStranicyM(section);
            const int link = TestSupport::entryLink(entry);
            QVERIFY2(link >= 0, "no such link");
            VyborLinksM(link);
        };
        choose(40, 1);
        QCOMPARE(decl().PanelCount, 2);
        QCOMPARE(decl().ActivePanel, 1);
        choose(1, 1);
        QCOMPARE(decl().PanelCount, 3);
        QCOMPARE(decl().PanelLink.value(3), EntryRecord(1, 1));
    }

    void enterPressedElsewhereDoesNothing()
    {
        decl().FoundText = QStringLiteral("кот");
        frmFound *w = openWindow();
        QVERIFY(w->kFound->isEnabled());
        // Only the release of the Enter that chose the command reaches the window.
        QTest::keyRelease(w->Text1, Qt::Key_Return);
        QCOMPARE(decl().MultCount[1], 0);
        QCOMPARE(w->List1->count(), 0);

        // Also after a hit was opened with Enter from the list.
        search(w, QStringLiteral("кот"), 0);
        selectLine(w, 0);
        QTest::keyClick(w->List1, Qt::Key_Return);
        QCOMPARE(m_tabs.size(), 1);
        TestSupport::writeSection(m_data, 2, TestSupport::makeEntries(2, 3));
        w = openWindow();
        QTest::keyRelease(w->Text1, Qt::Key_Return);
        QCOMPARE(decl().MultCount[2], 0); // no search ran
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(decl().MultCount[2], 3);
    }

    void missingSectionsAreTriedAgain()
    {
        frmFound *w = openWindow();
        search(w, QStringLiteral("студия"), 0);
        QCOMPARE(hits(decl().FoundList), QStringLiteral("1.1 1.3"));
        QCOMPARE(decl().MultCount[2], 0);

        TestSupport::writeSection(m_data, 2, TestSupport::makeEntries(2, 2));
        search(w, QStringLiteral("студия"), 0);
        QCOMPARE(hits(decl().FoundList), QStringLiteral("1.1 1.3 2.1 2.2"));
        QCOMPARE(lines(w->List1).value(3), QStringLiteral("4) Мультфильм 2.2 Студия 1962"));
    }

    void noSearchStartsDuringTheYield()
    {
        frmFound *w = openWindow();
        w->Text1->setText(QStringLiteral("кот"));
        bool ranDuringYield = false;
        // Runs in the yield of the search, before the scan.
        QMetaObject::invokeMethod(this, [&] {
            ranDuringYield = true;
            QVERIFY(w->searching());
            QVERIFY(!w->kFound->isEnabled());
            QTest::mouseClick(w->kFound, Qt::LeftButton);
            QTest::keyClick(w->Text1, Qt::Key_Return);
            QTest::keyClick(w->Text1, Qt::Key_Space); // typing does not enable the button
            QVERIFY(!w->kFound->isEnabled());
            QTest::mouseClick(w->kFound, Qt::LeftButton);
            QTest::keyClick(w->Text1, Qt::Key_Return);
            QCOMPARE(decl().FoundText, QString()); // no other search has begun
            QCOMPARE(decl().MultCount[1], 0);
        }, Qt::QueuedConnection);
        w->kFound->click();
        QVERIFY(ranDuringYield);
        // The search reads the text after the yield.
        QCOMPARE(decl().FoundText, QStringLiteral("кот "));
        QCOMPARE(hits(decl().FoundList), QStringLiteral("1.1"));
        QCOMPARE(w->List1->count(), 1);
        QVERIFY(w->kFound->isEnabled());
    }

    void closingDuringTheYieldDropsTheSearch()
    {
        frmFound *w = openWindow();
        w->Text1->setText(QStringLiteral("кот"));
        QMetaObject::invokeMethod(this, [w] { w->close(); }, Qt::QueuedConnection);
        w->kFound->click();
        QCOMPARE(decl().FoundText, QString());
        QCOMPARE(decl().FoundLast, -1);
        QCOMPARE(m_box.count, 0);
        QCOMPARE(frmFound::existing(), nullptr);
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
