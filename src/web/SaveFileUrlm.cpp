#include "web/SaveFileUrlm.h"

#include "app/Declare.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The address as it may stand inside the single-quoted content attribute: a
// quote or '>' would end the attribute or the tag and let the rest of the
// address become markup, so those, '<', whitespace and control characters
// are percent-encoded. So is every character beyond ASCII, as the bytes of
// its UTF-8 form: that is how an address names it on the wire, and a browser
// reading the page's code page would ask for other bytes.
QString attributeSafe(const QString &url)
{
    QString out;
    out.reserve(url.size());
    for (const char byte : url.toUtf8()) {
        const uchar u = uchar(byte);
        const bool unsafe = u < 33 || u > 126 || u == '\'' || u == '"' || u == '<' || u == '>';
        if (unsafe)
            out += QStringLiteral("%%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QLatin1Char(byte);
    }
    return out;
}

// Writes the page into a regular file of that name, creating it or cutting it
// to empty, readable by its owner only. Whatever else stands there (a link
// planted to make us write elsewhere, a pipe that would block us until
// somebody reads it, a folder) counts as a file that cannot be opened. A
// failed write is not looked at, since the file is opened all the same.
bool writeRedirect(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st = {};
    // One name only: a hard link would carry the page into another file.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        return false;
    }
    // A file left from an earlier run may be readable by others.
    if ((st.st_mode & 077) != 0)
        (void)::fchmod(fd, 0600);
    if (::ftruncate(fd, 0) == 0) {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
    }
    ::close(fd);
    return true;
}

// Tries 0.html, 1.html, ... in a folder (given with its closing separator);
// a file that cannot be opened moves on to the next number. The tries are
// bounded, so a folder that takes no file ends the search instead of counting
// forever.
QString writeNumbered(const QString &folder, const QByteArray &bytes)
{
    for (int n = 0; n < RedirectFileTries; ++n) {
        const QString path = folder + QString::number(n) + QStringLiteral(".html");
        if (writeRedirect(path, bytes))
            return path;
    }
    return {};
}

// The catalogue folder: DataPath without its closing separator.
QString dataFolder()
{
    QString folder = decl().DataPath;
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

// A folder of the user's own for redirect pages when the catalogue folder
// takes none: made for nobody else to read (0700), and refused when what
// stands there is not a folder of this user's, such as a link to elsewhere.
// Every hand-off numbers its files there as in the catalogue folder, so they
// do not pile up.
QString privateFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (base.isEmpty() || !QDir().mkpath(base))
        return {};
    const QByteArray folder = QFile::encodeName(base + QStringLiteral("/redirect"));
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st = {};
    if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return {};
    if ((st.st_mode & 077) != 0 && ::chmod(folder.constData(), 0700) != 0)
        return {};
    return QFile::decodeName(folder) + QLatin1Char('/');
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
    // The page is ASCII, so it reads the same in Windows-1251.
    const QByteArray bytes = RedirectPage(url).toLatin1() + "\r\n";

    // None is tried in a catalogue folder that is not there.
    QString path = QFileInfo(dataFolder()).isDir() ? writeNumbered(decl().DataPath, bytes) : QString();
    if (path.isEmpty()) {
        const QString folder = privateFolder();
        if (!folder.isEmpty())
            path = writeNumbered(folder, bytes);
    }
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
