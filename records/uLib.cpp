#include "records/uLib.h"

#include "records/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");
constexpr mode_t OwnerOnly = S_IRUSR | S_IWUSR;

FileError fileError(const QString& what, const QString& path, const QString& reason) {
    return FileError(
        QStringLiteral("%1: \"%2\"\n%3").arg(what, QDir::toNativeSeparators(path), reason));
}

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Closes a POSIX file descriptor when it leaves scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// What must come before an appended line so that it starts a line of its own: nothing after a
// line end, LF after a lone CR, CR LF after a cut-off last line.
QByteArray lineEndMissingAtEnd(int fd, off_t size) {
    char last = 0;
    if (size == 0 || ::pread(fd, &last, 1, size - 1) != 1 || last == '\n') {
        return {};
    }
    return last == '\r' ? QByteArray("\n") : LineEnd;
}

// Room for `size` bytes. On this kind of machine a large buffer in 4 KiB pages costs a page fault
// and many translation misses per page when it is filled and scanned, which dominated reading a
// decade of records; a buffer of 2 MiB pages costs a few dozen. So the 2 MiB-aligned span inside a
// large buffer asks for those pages before it is first touched.
QByteArray hugePageBuffer(qsizetype size) {
    constexpr quintptr HugePage = 2 * 1024 * 1024;
    QByteArray buffer(size, Qt::Uninitialized);
    const quintptr start = reinterpret_cast<quintptr>(buffer.data());
    const quintptr begin = (start + HugePage - 1) & ~(HugePage - 1);
    const quintptr end = (start + static_cast<quintptr>(size)) & ~(HugePage - 1);
    if (end > begin) {
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
    return buffer;
}

}  // namespace

QByteArray readRecordFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        throw fileError(QStringLiteral("ファイルを開けません"), path, file.errorString());
    }
    QByteArray content = hugePageBuffer(file.size());
    const qint64 taken = file.read(content.data(), content.size());
    if (taken >= 0) {
        content.resize(taken);
        content.append(file.readAll());  // whatever was added since the size was taken
    }
    if (taken < 0 || file.error() != QFileDevice::NoError) {
        throw fileError(QStringLiteral("ファイルを読み込めません"), path, file.errorString());
    }
    return content;
}

FileError::FileError(const QString& message) : std::runtime_error(message.toStdString()) {}

THonjitu::THonjitu(QObject* owner) : QObject(owner) {
    const QDateTime now = records::clock_source::now();
    Jikan = 1;
    Kijunbi = now;
    Youbi = weekdayNumber(now.date());
    WeekStart = now.addDays(-(Youbi - 1));
}

QString recordFilePath(const QString& appDir, const QString& fileName) {
    return appDir + QLatin1Char('/') + fileName;
}

int weekdayNumber(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

void WeekNow(THonjitu& honjitu) {
    const QDateTime now = records::clock_source::now();
    honjitu.Youbi = weekdayNumber(now.date());
    honjitu.Kijunbi = now;
    honjitu.Jikan = now.time().hour();
    honjitu.WeekStart = now.addDays(-(honjitu.Youbi - 1));
}

namespace {
void stepWeek(THonjitu& honjitu, int days) {
    honjitu.Kijunbi = honjitu.Kijunbi.addDays(days);
    honjitu.Jikan = honjitu.Kijunbi.time().hour();
    honjitu.WeekStart = honjitu.Kijunbi.addDays(-(honjitu.Youbi - 1));
}
}  // namespace

void WeekNext(THonjitu& honjitu) {
    stepWeek(honjitu, 7);
}
void WeekBack(THonjitu& honjitu) {
    stepWeek(honjitu, -7);
}

bool DataFileCheck(const QString& path) {
    if (QFileInfo(path).isFile()) {
        return true;
    }
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, OwnerOnly);
    if (fd >= 0) {
        ::close(fd);
    }
    return false;
}

void appendRecordLine(const QString& path, const QByteArray& line, QByteArrayList& list,
                      const QByteArray& unreadTail) {
    if (!unreadTail.isEmpty()) {
        QByteArrayList lines = list;
        lines.append(line);
        rewriteRecordFile(path, lines, unreadTail);
        list = std::move(lines);
        return;
    }
    // No O_CREAT: appending to a missing file is an error, and creates nothing.
    Descriptor file(::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CLOEXEC));
    if (file.get() < 0) {
        throw fileError(QStringLiteral("ファイルを開けません"), path, systemReason());
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw fileError(QStringLiteral("ファイルを読み込めません"), path, systemReason());
    }
    const QByteArray bytes = lineEndMissingAtEnd(file.get(), info.st_size) + line + LineEnd;
    if (!writeAll(file.get(), bytes) || ::fdatasync(file.get()) != 0) {
        const QString reason = systemReason();
        // Part of a line (a full disk stops a write midway) would read as a record of its own.
        if (::ftruncate(file.get(), info.st_size) != 0 || ::fdatasync(file.get()) != 0) {
            throw fileError(QStringLiteral("ファイルの末尾に書きかけの行が残りました"), path,
                            reason);
        }
        throw fileError(QStringLiteral("ファイルに書き込めません"), path, reason);
    }
    if (!file.close()) {
        throw fileError(QStringLiteral("ファイルを閉じられません"), path, systemReason());
    }
    list.append(line);
}

namespace {

QByteArray recordFileContent(const QByteArrayList& lines, const QByteArray& unreadTail) {
    qsizetype total = unreadTail.size();
    for (const QByteArray& line : lines) {
        total += line.size() + LineEnd.size();
    }
    QByteArray content;
    content.reserve(total);
    for (const QByteArray& line : lines) {
        content.append(line).append(LineEnd);
    }
    return content.append(unreadTail);
}

// The file a rewrite replaces: the target of a symbolic link, so that the link stays.
QString replacedFile(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
}

// A rewrite is written beside the file under one fixed hidden name and then renamed over it, so
// the file is always the old or the new content. A rewrite cut off by a crash leaves at most
// this one file, which the next rewrite reuses; the loaders never read it.
QString rewriteScratchFile(const QString& file) {
    const QFileInfo info(file);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".saving");
}

}  // namespace

bool syncFolder(const QString& folder) {
    Descriptor dir(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

void rewriteRecordFile(const QString& path, const QByteArrayList& lines,
                       const QByteArray& unreadTail) {
    replaceRecordFile(path, recordFileContent(lines, unreadTail));
}

void replaceRecordFile(const QString& path, const QByteArray& content) {
    const QString file = replacedFile(path);
    const QByteArray fileName = QFile::encodeName(file);
    struct stat existing {};
    const bool existed = ::stat(fileName.constData(), &existing) == 0;
    if (existed && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        throw fileError(QStringLiteral("ファイルを開けません"), path, systemReason());
    }
    // Renaming would replace a file the user made read-only; it stays as it is instead.
    if (existed && ::access(fileName.constData(), W_OK) != 0) {
        throw fileError(QStringLiteral("ファイルを開けません"), path, systemReason());
    }
    const QByteArray scratch = QFile::encodeName(rewriteScratchFile(file));
    Descriptor out(::open(scratch.constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, OwnerOnly));
    if (out.get() < 0) {
        throw fileError(QStringLiteral("ファイルを開けません"), path, systemReason());
    }
    const mode_t mode = existed ? existing.st_mode & 07777 : OwnerOnly;
    if (::fchmod(out.get(), mode) != 0 || !writeAll(out.get(), content) ||
        ::fsync(out.get()) != 0 || !out.close() ||
        ::rename(scratch.constData(), fileName.constData()) != 0) {
        const QString reason = systemReason();
        ::unlink(scratch.constData());
        throw fileError(QStringLiteral("ファイルに書き込めません"), path, reason);
    }
    syncFolder(QFileInfo(file).path());
}

namespace {

// One line of the content, with bytes of its own.
QByteArray sharedLine(const QByteArray& content, qsizetype from, qsizetype length) {
    return QByteArray(content.constData() + from, length);
}

// Where the text a reader takes ends: at the first `endMark`, or at the end of the content.
qsizetype endOfText(const QByteArray& content, char endMark) {
    const qsizetype at = content.indexOf(endMark);
    return at < 0 ? content.size() : at;
}

// Hands every line of the reservation file's content before `end` to `take`, in file order.
template <typename Take>
void forEachReservationLine(const QByteArray& content, qsizetype end, Take take) {
    const char* data = content.constData();
    // The next CR and the next LF are each found with a vectorised search; a line ends at the
    // nearer one.
    const auto next = [data, end](char byte, qsizetype from) {
        const void* found = std::memchr(data + from, byte, end - from);
        return found == nullptr ? end : static_cast<const char*>(found) - data;
    };
    qsizetype nextCr = next('\r', 0);
    qsizetype nextLf = next('\n', 0);
    qsizetype start = 0;
    while (start < end) {
        const qsizetype lineEnd = std::min(nextCr, nextLf);
        if (lineEnd == end) {
            take(sharedLine(content, start, end - start));
            break;
        }
        take(sharedLine(content, start, lineEnd - start));
        const bool crLf = lineEnd == nextCr && nextLf == lineEnd + 1 && nextLf < end;
        start = lineEnd + (crLf ? 2 : 1);
        if (nextCr < start) {
            nextCr = next('\r', start);
        }
        if (nextLf < start) {
            nextLf = next('\n', start);
        }
    }
}

QByteArrayList reservationLines(const QByteArray& content, qsizetype end,
                                const std::function<void(const QByteArray&)>& eachLine) {
    QByteArrayList lines;
    forEachReservationLine(content, end, [&lines, &eachLine](QByteArray line) {
        // Handed over while the line's bytes are still in the cache from finding its end.
        if (eachLine) {
            eachLine(line);
        }
        lines.append(std::move(line));
    });
    return lines;
}

QByteArrayList customerLines(const QByteArray& content, qsizetype end) {
    QByteArrayList lines;
    qsizetype start = 0;
    while (start < end) {
        qsizetype lineEnd = content.indexOf('\n', start);
        if (lineEnd < 0 || lineEnd > end) {
            lineEnd = end;
        }
        // Most lines end in CR LF: leaving that CR out of the slice keeps the line shared.
        qsizetype length = lineEnd - start;
        if (length > 0 && content.at(start + length - 1) == '\r') {
            --length;
        }
        QByteArray line = sharedLine(content, start, length);
        if (line.contains('\r')) {
            line.replace('\r', QByteArray());
        }
        lines.append(line);
        start = lineEnd + 1;
    }
    return lines;
}

}  // namespace

QByteArrayList splitReservationFile(const QByteArray& content,
                                    const std::function<void(const QByteArray&)>& eachLine) {
    return reservationLines(content, endOfText(content, '\0'), eachLine);
}

QByteArrayList splitCustomerFile(const QByteArray& content) {
    return customerLines(content, endOfText(content, '\x1A'));
}

RecordFileRead readReservationFile(const QByteArray& content,
                                   const std::function<void(const QByteArray&)>& eachLine) {
    const qsizetype end = endOfText(content, '\0');
    return {reservationLines(content, end, eachLine), content.sliced(end)};
}

RecordFileRead readCustomerFile(const QByteArray& content) {
    const qsizetype end = endOfText(content, '\x1A');
    return {customerLines(content, end), content.sliced(end)};
}
