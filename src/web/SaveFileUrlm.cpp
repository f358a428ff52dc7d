#include "web/SaveFileUrlm.h"

#include "app/Declare.h"
#include "catalogue/Cp1251.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

namespace {

// The address as it may stand inside the single-quoted content attribute: a
// quote or '>' would end the attribute or the tag and let the rest of the
// address become markup, so those, '<', whitespace and control characters
// are percent-encoded. So are characters the page's code page cannot hold,
// which would otherwise turn into '?' and change the address.
QString attributeSafe(const QString &url)
{
    QString out;
    out.reserve(url.size());
    for (qsizetype i = 0; i < url.size(); ++i) {
        const QChar c = url.at(i);
        const char16_t u = c.unicode();
        const bool unsafe = u < 33 || u == 127 || u == '\'' || u == '"' || u == '<' || u == '>';
        if (!unsafe && Cp1251::toCode(c) >= 0) {
            out += c;
            continue;
        }
        // A surrogate pair is one character: encode both halves together.
        QString piece(c);
        if (c.isHighSurrogate() && i + 1 < url.size() && url.at(i + 1).isLowSurrogate())
            piece += url.at(++i);
        const QByteArray utf8 = piece.toUtf8();
        for (const char byte : utf8)
            out += QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// Writes the page into a file, creating it or cutting it to empty. False when
// the file cannot be opened; a failed write is not looked at, since the file
// is opened in the browser all the same.
bool writeRedirect(QFile &file, const QByteArray &bytes)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(bytes);
    file.close();
    return true;
}

// The catalogue folder: DataPath without its closing separator.
QString dataFolder()
{
    QString folder = decl().DataPath;
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

// Tries 0.html, 1.html, ... in the catalogue folder; a file that cannot be
// opened (held open by another program) moves on to the next number. The
// tries are bounded, and none is made when the folder is not there, so a
// missing or read-only folder ends the search instead of counting forever.
QString writeInDataFolder(const QByteArray &bytes)
{
    if (!QFileInfo(dataFolder()).isDir())
        return {};
    for (int n = 0; n < RedirectFileTries; ++n) {
        QFile file(decl().DataPath + QString::number(n) + QStringLiteral(".html"));
        if (writeRedirect(file, bytes))
            return file.fileName();
    }
    return {};
}

// The user's temporary folder is shared with other programs and users: a new
// file with a name of its own is made there, never an existing one reused.
// It is kept, since the browser reads it after we return.
QString writeInTempFolder(const QByteArray &bytes)
{
    // The temporary folder's path is empty when the folder named for it does
    // not exist; the file must not go to the root instead.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    QTemporaryFile file(folder + QStringLiteral("/mirelka-XXXXXX.html"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    file.write(bytes);
    file.close();
    return file.fileName();
}

} // namespace

QString RedirectPage(const QString &url)
{
    return QStringLiteral("<html><head><meta http-equiv='refresh' content='0; url=") + attributeSafe(url)
           + QStringLiteral("'><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                            "<title>WWW</title></head><body></body></html>");
}

void SaveFileUrlm(const QString &url)
{
    const QByteArray bytes = Cp1251::fromUnicode(RedirectPage(url)) + "\r\n";

    QString path = writeInDataFolder(bytes);
    if (path.isEmpty())
        path = writeInTempFolder(bytes);
    if (path.isEmpty())
        return;

    // Waiting events run before the desktop is asked; one of them may start
    // another hand-off, which numbers its own files from 0.
    QCoreApplication::processEvents();
    OpURL(path);
}

void OpURL(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
