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
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The address as it stands inside the single-quoted content attribute, so
// that the browser reads back exactly the address given. The characters that
// mean something in markup ('&' would start a character reference; a quote
// or '>' would end the attribute or the tag) are written as character
// references. Whitespace, control characters and every character beyond
// ASCII cannot stand in an address as they are and are percent-encoded, the
// latter as the bytes of their UTF-8 form: that is how an address names them
// on the wire, and a browser reading the page's code page would ask for
// other bytes.
QString attributeSafe(const QString &url)
{
    QString out;
    out.reserve(url.size());
    for (const char byte : url.toUtf8()) {
        const uchar u = uchar(byte);
        switch (u) {
        case '&': out += QStringLiteral("&amp;"); continue;
        case '\'': out += QStringLiteral("&#39;"); continue;
        case '"': out += QStringLiteral("&quot;"); continue;
        case '<': out += QStringLiteral("&lt;"); continue;
        case '>': out += QStringLiteral("&gt;"); continue;
        default: break;
        }
        if (u < 33 || u > 126)
            out += QStringLiteral("%%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QLatin1Char(byte);
    }
    return out;
}

// Writes the page into a regular file of that name, creating it or cutting it
// to empty, readable by its owner only. Whatever else stands there (a link
// planted to make us write elsewhere, a pipe that would block us until
// somebody reads it, a folder) counts as a file that cannot be opened, and
// so does a file of another user's, who could read every address written
// into it. A page that does not reach the disk whole (a full disk) is no
// page to open: the file is emptied and counts as busy.
bool writeRedirect(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st = {};
    // One name only: a hard link would carry the page into another file.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != ::geteuid()) {
        ::close(fd);
        return false;
    }
    // A file left from an earlier run may be readable by others.
    if ((st.st_mode & 077) != 0)
        (void)::fchmod(fd, 0600);
    qsizetype done = 0;
    if (::ftruncate(fd, 0) == 0) {
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
    }
    const bool whole = done == bytes.size();
    if (!whole)
        (void)::ftruncate(fd, 0);
    return ::close(fd) == 0 && whole;
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

// The user's cache folder as the desktop's base-directory rules name it:
// XDG_CACHE_HOME when it is an absolute path (a relative one is ignored),
// else .cache in the home folder. Without a home of the user's own (HOME
// unset or not absolute, and none in the user database, or the root folder)
// there is none.
QString cacheRoot()
{
    const QString xdg = QFile::decodeName(qgetenv("XDG_CACHE_HOME"));
    if (xdg.startsWith(QLatin1Char('/')))
        return xdg;
    QString home = QFile::decodeName(qgetenv("HOME"));
    if (!home.startsWith(QLatin1Char('/'))) {
        const struct passwd *pw = ::getpwuid(::geteuid());
        home = pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
    }
    if (!home.startsWith(QLatin1Char('/')) || QDir::cleanPath(home) == QLatin1String("/"))
        return {};
    return QDir::cleanPath(home) + QStringLiteral("/.cache");
}

// Makes a folder for nobody else's use where it is missing; true when what
// stands there is a folder of this user's and no link.
bool ownFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st = {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// A folder of the user's own for redirect pages when the catalogue folder
// takes none: the program's cache folder, then "redirect" in it, made for
// nobody else to read (0700). Each folder from the cache folder down must be
// the user's own and no link, or somebody else could read, or put, the pages
// handed off; else there is no such folder. Every hand-off numbers its files
// there as in the catalogue folder, so they do not pile up.
QString privateFolder()
{
    const QString root = cacheRoot();
    if (root.isEmpty())
        return {};
    // The cache folder itself may be a link (to another disk), but it must be
    // a folder of the user's or of the system's.
    const QByteArray rootName = QFile::encodeName(root);
    if (::mkdir(rootName.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st = {};
    if (::stat(rootName.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || (st.st_uid != ::geteuid() && st.st_uid != 0))
        return {};
    // The program's own part below it, as Qt names it (its organisation and
    // name), then "redirect".
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString own = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QStringList parts = own.startsWith(generic) ? own.mid(generic.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)
                                                : QStringList();
    parts.append(QStringLiteral("redirect"));
    QString folder = root;
    for (const QString &part : std::as_const(parts)) {
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return {};
        folder += QLatin1Char('/') + part;
        if (!ownFolder(QFile::encodeName(folder)))
            return {};
    }
    const QByteArray last = QFile::encodeName(folder);
    if (::lstat(last.constData(), &st) != 0 || ((st.st_mode & 077) != 0 && ::chmod(last.constData(), 0700) != 0))
        return {};
    return folder + QLatin1Char('/');
}

// A double click on a link asks twice at once: the same address within this
// time is handed off once.
constexpr qint64 RepeatedHandOffMs = 1000;

} // namespace

QString RedirectPage(const QString &url)
{
    return QStringLiteral("<html><head><meta http-equiv='refresh' content='0; url=") + attributeSafe(url)
           + QStringLiteral("'><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                            "<title>WWW</title></head><body></body></html>");
}

void SaveFileUrlm(const QString &url)
{
    auto &d = decl();
    if (url == d.HandOffUrl && d.HandOffTime.isValid() && d.HandOffTime.elapsed() < RepeatedHandOffMs)
        return;
    // The page is ASCII, so it reads the same in Windows-1251.
    const QByteArray bytes = RedirectPage(url).toLatin1() + "\r\n";

    // None is tried in a catalogue folder that is not there.
    QString path = QFileInfo(dataFolder()).isDir() ? writeNumbered(d.DataPath, bytes) : QString();
    if (path.isEmpty()) {
        const QString folder = privateFolder();
        if (!folder.isEmpty())
            path = writeNumbered(folder, bytes);
    }
    if (path.isEmpty())
        return;
    d.HandOffUrl = url;
    d.HandOffTime.start();

    // Waiting events run before the desktop is asked; one of them may start
    // another hand-off, which numbers its own files from 0.
    QCoreApplication::processEvents();
    OpURL(path);
}

bool IsHandOffAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

void OpURL(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
