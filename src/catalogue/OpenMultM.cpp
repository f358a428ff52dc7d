#include "catalogue/OpenMultM.h"

#include "app/RuntimeRandom.h"
#include "catalogue/Cp1251.h"

#include <QFile>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Splits the bytes into lines ending at CR or CR LF. A lone LF ends a line
// only in a file that holds no CR at all (a catalogue edited on Linux);
// inside a CR LF file it is a stray byte of its line, and taking it as a
// line end would shift every later entry. The last line ends at the end of
// the file, whether or not it has its line end.
class LineReader
{
public:
    explicit LineReader(QByteArrayView bytes) : m_bytes(bytes), m_lfEnds(!bytes.contains('\r')) { }

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    // The next line without its ending; false at the end of the bytes, and
    // at a line too long for any section file (the rest is damage).
    bool next(QByteArrayView *line)
    {
        if (atEnd() || m_tooLong)
            return false;
        const qsizetype start = m_pos;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != '\r' && !(m_lfEnds && m_bytes[m_pos] == '\n'))
            ++m_pos;
        if (m_pos - start > MaxSectionLineBytes) {
            m_tooLong = true;
            return false;
        }
        *line = m_bytes.sliced(start, m_pos - start);
        if (m_pos < m_bytes.size()) {
            if (m_bytes[m_pos] == '\r' && m_pos + 1 < m_bytes.size() && m_bytes[m_pos + 1] == '\n')
                ++m_pos;
            ++m_pos;
        }
        return true;
    }

private:
    QByteArrayView m_bytes;
    bool m_lfEnds;
    bool m_tooLong = false;
    qsizetype m_pos = 0;
};

// A decimal integer with optional blanks around it, within 32 bits.
bool readNumber(QByteArrayView line, int *value)
{
    const QByteArray trimmed = line.toByteArray().trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    const int v = trimmed.toInt(&ok, 10);
    if (!ok)
        return false;
    *value = v;
    return true;
}

} // namespace

DecodeTables BuildDecodeTable(int key)
{
    DecodeTables t;
    auto &rnd = RuntimeRandom::instance();
    rnd.reseed(-static_cast<float>(key));
    for (int i = 32; i <= 255; ++i) {
        int r;
        do {
            // The exact product of the single-precision draw and 224.
            r = static_cast<int>(std::floor(static_cast<double>(rnd.next()) * 224.0)) + 32;
        } while (t.DecodeUsed[r] != 0);
        t.DecodeUsed[r] = i;
        t.DecodeMap[i] = r;
    }
    return t;
}

QString DecodeText(QByteArrayView scrambled, const DecodeTables &tables)
{
    QString plain(scrambled.size(), Qt::Uninitialized);
    QChar *out = plain.data();
    for (char b : scrambled)
        *out++ = Cp1251::toChar(static_cast<uchar>(tables.DecodeMap[static_cast<uchar>(b)]));
    return plain;
}

SectionFile ParseSectionFile(QByteArrayView bytes)
{
    SectionFile file;
    LineReader reader(bytes);
    QByteArrayView line;

    if (!reader.next(&line) || line != "[mult]") {
        file.problem = QStringLiteral("the first line is not [mult]");
        return file;
    }
    file.header = true;

    if (!reader.next(&line) || !readNumber(line, &file.key)) {
        file.problem = QStringLiteral("the key is not a number");
        return file;
    }
    if (file.key <= 0) {
        file.problem = QStringLiteral("the key is not positive");
        return file;
    }
    file.keyOk = true;

    int count = 0;
    if (!reader.next(&line) || !readNumber(line, &count)) {
        file.problem = QStringLiteral("the entry count is not a number");
        return file;
    }
    if (count < 0) {
        file.problem = QStringLiteral("the entry count is negative");
        return file;
    }
    file.declaredCount = count;

    const DecodeTables tables = BuildDecodeTable(file.key);
    const int wanted = std::min(count, EntriesPerSection);
    file.entries.reserve(wanted);
    for (int k = 0; k < wanted; ++k) {
        QByteArrayView id, title, studioYear;
        if (!reader.next(&id) || !reader.next(&title) || !reader.next(&studioYear))
            break;
        file.entries.append(MultEntry{DecodeText(id, tables), Cp1251::toUnicode(title),
                                      Cp1251::toUnicode(studioYear)});
    }
    if (file.entries.isEmpty())
        file.problem = count == 0 ? QStringLiteral("the file declares no entries")
                                  : QStringLiteral("the file ends before its first entry is complete");
    return file;
}

QString SectionPath(int n)
{
    return decl().DataPath + QString::number(n) + QStringLiteral(".dat");
}

bool ReadSectionFile(const QString &path, QByteArray *bytes)
{
    bytes->clear();
    // Opening a pipe for reading would wait for a writer, and a device may
    // never end: open without waiting, then read only a regular file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // One byte past the bound tells whether the file goes on.
    bytes->resize(MaxSectionFileBytes + 1);
    qsizetype done = 0;
    while (done < bytes->size()) {
        const ssize_t got = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    ::close(fd);
    if (done > MaxSectionFileBytes) {
        // The line the bound cut through is not whole: it and the rest of
        // the file are left unread.
        done = MaxSectionFileBytes;
        while (done > 0 && bytes->at(done - 1) != '\r' && bytes->at(done - 1) != '\n')
            --done;
    }
    bytes->truncate(done);
    bytes->squeeze();
    return true;
}

void LoadSection(int n)
{
    if (n < 1 || n > SectionCount)
        return;
    QByteArray bytes;
    if (!ReadSectionFile(SectionPath(n), &bytes))
        return;

    const SectionFile parsed = ParseSectionFile(bytes);
    if (!parsed.loads())
        return;
    auto &d = decl();
    for (qsizetype k = 0; k < parsed.entries.size(); ++k) {
        const MultEntry &entry = parsed.entries[k];
        d.MultTable[n][k + 1] = entry;
        d.MultLower[n][k + 1] = MultFolded{entry.Title.toLower(), entry.StudioYear.toLower()};
    }
    d.MultCount[n] = int(parsed.entries.size());
}
