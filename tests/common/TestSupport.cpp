#include "TestSupport.h"

#include "FakeBrowser.h"

#include "app/MainM.h"
#include "catalogue/CatalogueWriter.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest>

namespace TestSupport {

void writeSection(const QString &dataPath, int n, const QList<MultEntry> &entries, int key)
{
    QString error;
    const QByteArray bytes = CatalogueWriter::Pack(key > 0 ? key : 1000 + n * 17, entries, &error);
    QVERIFY2(!bytes.isEmpty(), qPrintable(error));
    QDir().mkpath(dataPath);
    QFile file(dataPath + QString::number(n) + QStringLiteral(".dat"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QList<MultEntry> makeEntries(int section, int count)
{
    QList<MultEntry> entries;
    for (int k = 1; k <= count; ++k) {
        entries.append(MultEntry{QStringLiteral("%1-%2").arg(section).arg(k),
                                 QStringLiteral("Мультфильм %1.%2").arg(section).arg(k),
                                 QStringLiteral("Студия %1").arg(1960 + k)});
    }
    return entries;
}

void resetState(const QString &dataPath)
{
    decl().reset();
    PrepareSharedState(dataPath);
}

void DesktopFixture::initTestCase()
{
    QVERIFY(root.isValid());
    QVERIFY(QDir().mkpath(root.path() + QStringLiteral("/Data")));
}

void DesktopFixture::init()
{
    resetState(root.path() + QStringLiteral("/Data/"));
    opener.opened.clear();
}

void setClientSize(QSize size)
{
    auto &f = frmForma::instance();
    const QSize extra = f.size() - f.client->size();
    f.resize(size + extra);
    QCoreApplication::processEvents();
    QTRY_COMPARE(f.client->size(), size);
}

void startProgram(const QString &dataPath, QSize client)
{
    frmForma::destroyInstance();
    FakeBrowser::install();
    decl().reset();
    StartWith(dataPath);
    if (client != frmForma::instance().client->size()) {
        setClientSize(client);
        NomerStranicyM(1);
    }
}

void loadWindow(const QString &dataPath)
{
    FakeBrowser::install();
    frmForma::destroyInstance();
    resetState(dataPath);
    auto &f = frmForma::instance();
    decl().PageCanvas = f.picText;
    f.Form_Load();
    QCoreApplication::processEvents();
}

int linkOf(const QString &target)
{
    const auto &boxes = decl().LinkBoxes;
    for (int i = 0; i < boxes.size(); ++i) {
        if (boxes[i].Target == target)
            return i;
    }
    return -1;
}

int entryLink(int k)
{
    return linkOf(QStringLiteral("mult%1").arg(k));
}

void clickTab(usrPanel *t, QPoint at)
{
    QWidget *target = t->childAt(at);
    if (!target)
        target = t;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(t, at));
}

void clickTab(int i, QPoint at)
{
    usrPanel *t = frmForma::instance().usrPanel1.value(i);
    clickTab(t, at.isNull() ? QPoint(qMin(20, t->width() / 2), 12) : at);
}

void closeGesture(int i, QPoint releaseAt)
{
    QLabel *button = frmForma::instance().usrPanel1.value(i)->picClose;
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(7, 7));
    QTest::mouseRelease(button, Qt::LeftButton, {}, releaseAt);
}

} // namespace TestSupport
