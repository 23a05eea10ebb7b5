#include "records/uLib.h"

#include "records/Clock.h"
#include "records/FileChecks.h"
#include "records/FolderAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

FileError fileError(const QString& what, const QString& path, const QString& reason) {
    return FileError(
        QStringLiteral("%1: \"%2\"\n%3").arg(what, QDir::toNativeSeparators(path), reason));
}

QString writeReason() {
    return records::japaneseReason(errno, true);
}

QString readReason() {
    return records::japaneseReason(errno, false);
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

namespace {

// A file saved as "Unicode text" (UTF-16) by a spreadsheet: a byte-order mark, or a start in
// which NULs stand mostly on one side of the byte pairs. Every TAB, digit and line end of a
// record in UTF-16 brings one (on the odd side in little-endian order) and few Japanese letters
// do, so a tenth of the pairs is ample. Shift-JIS text holds no NUL but a stray one, and a run
// of them (a file cut off by a crash) fills both sides alike.
bool looksLikeUtf16(const QByteArray& content) {
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF")) {
        return true;
    }
    constexpr qsizetype Looked = 4096;
    constexpr qsizetype LeastNuls = 8;
    const qsizetype pairs = std::min(content.size(), Looked) / 2;
    qsizetype nuls[2] = {0, 0};
    for (qsizetype at = 0; at < pairs * 2; ++at) {
        nuls[at % 2] += content.at(at) == '\0' ? 1 : 0;
    }
    const qsizetype more = std::max(nuls[0], nuls[1]);
    const qsizetype fewer = std::min(nuls[0], nuls[1]);
    return more >= LeastNuls && more * 10 >= pairs && fewer * 2 <= more;
}

}  // namespace

QByteArray readRecordFile(const QString& path) {
    Descriptor file(records::openRegularFile(path, O_RDONLY, false));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw fileError(QStringLiteral("ファイルを読み込めません"), path, readReason());
    }
    const auto tooLarge = [&path] {
        return fileError(QStringLiteral("ファイルが大きすぎるため読み込みません"), path,
                         QStringLiteral("記録ファイルは 512 MiB までです"));
    };
    if (info.st_size > records::LargestRecordFile) {
        throw tooLarge();
    }
    // One byte to spare, so that the read which finds the end needs no larger buffer: growing
    // would copy the whole file.
    QByteArray content = hugePageBuffer(info.st_size + 1);
    qsizetype taken = 0;
    // Whatever was added since the size was taken is read as well, up to the limit.
    for (;;) {
        if (taken == content.size()) {
            if (content.size() >= records::LargestRecordFile) {
                throw tooLarge();
            }
            content.resize(content.size() + 65536);
        }
        const ssize_t got =
            ::read(file.get(), content.data() + taken, static_cast<size_t>(content.size() - taken));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw fileError(QStringLiteral("ファイルを読み込めません"), path, readReason());
        }
        if (got == 0) {
            break;
        }
        taken += got;
    }
    content.resize(taken);
    if (looksLikeUtf16(content)) {
        throw fileError(QStringLiteral("Shift-JIS のテキストではないため読み込みません"), path,
                        QStringLiteral("Unicode (UTF-16) のファイルです。Shift-JIS "
                                       "のテキストとして保存し直してください"));
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
    // Anything but a folder counts as there: a FIFO or a device is refused when it is read, and
    // never opened here, where a write-only open of a FIFO would wait for a reader for ever.
    struct stat existing {};
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0) {
        return !S_ISDIR(existing.st_mode);
    }
    // O_EXCL: a file another copy of the program made meanwhile (and may have written) stays.
    const records::FolderAccess access = records::FolderAccess::of(QFileInfo(path).path());
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, access.fileMode);
    if (fd >= 0) {
        access.applyTo(fd);
        ::close(fd);
    }
    return false;
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

// The file a replacement replaces: the target of a symbolic link, so that the link stays.
QString replacedFile(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
}

// A replacement is written beside the file under a hidden name of its own and then renamed over
// it, so the file is always the old or the new content. The name holds the process and a random
// part, so that two writers (two accounts on one folder, say) never write into one scratch file.
// One cut off by a crash is left behind until the next write under the folder's lock clears it;
// the loaders never read it.
const QString ScratchSuffix = QStringLiteral(".saving");

QString scratchPrefix(const QFileInfo& file) {
    return QStringLiteral(".") + file.fileName() + QLatin1Char('.');
}

QString rewriteScratchFile(const QString& file) {
    const QFileInfo info(file);
    return info.path() + QLatin1Char('/') + scratchPrefix(info) +
           QStringLiteral("%1-%2")
               .arg(::getpid())
               .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')) +
           ScratchSuffix;
}

}  // namespace

void clearLeftoverScratchFiles(const QString& file) {
    const QFileInfo info(replacedFile(file));
    QDir folder(info.path());
    folder.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    // The second is the one fixed name that versions before unique names used.
    folder.setNameFilters({scratchPrefix(info) + QLatin1Char('*') + ScratchSuffix,
                           QLatin1Char('.') + info.fileName() + ScratchSuffix});
    for (const QString& name : folder.entryList()) {
        struct stat entry {};
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        // Only what a write left: anything else planted under such a name is not touched.
        if (::lstat(path.constData(), &entry) == 0 && S_ISREG(entry.st_mode)) {
            ::unlink(path.constData());
        }
    }
}

bool syncFolder(const QString& folder) {
    Descriptor dir(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

namespace {

// A record file about to be replaced by its scratch file. Only a regular file (or nothing) is
// ever replaced: renaming over a link's device target would put a plain file in its place.
class Replacement {
public:
    Replacement(const QString& path, const std::optional<records::FolderAccess>& forNewFile)
        : path_(path), file_(replacedFile(path)), fileName_(QFile::encodeName(file_)) {
        records::refuseUnlessRegularOrMissing(path_);
        existed_ = ::stat(fileName_.constData(), &existing_) == 0;
        // Renaming would replace a file the user made read-only; it stays as it is instead.
        if (existed_ && ::access(fileName_.constData(), W_OK) != 0) {
            throw fileError(QStringLiteral("ファイルに書き込めません"), path_, writeReason());
        }
        scratch_ = QFile::encodeName(rewriteScratchFile(file_));
        // O_EXCL: the name is new, so nothing planted under it is ever written through.
        out_ = ::open(scratch_.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                      S_IRUSR | S_IWUSR);
        if (out_ < 0) {
            throw fileError(QStringLiteral("ファイルに書き込めません"), path_, writeReason());
        }
        if (!giveAccess(forNewFile)) {
            const FileError error = failed();
            ::close(out_);
            ::unlink(scratch_.constData());
            throw error;
        }
    }
    ~Replacement() {
        if (out_ >= 0) {
            ::close(out_);
            ::unlink(scratch_.constData());
        }
    }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    const QString& file() const { return file_; }
    bool existed() const { return existed_; }
    int scratch() const { return out_; }

    // The failure of a step of the replacement; the scratch file goes.
    FileError failed() const {
        return fileError(QStringLiteral("ファイルに書き込めません"), path_, writeReason());
    }

    // `tail` after what the scratch file holds; it then takes the file's place.
    void commit(const QByteArray& tail) {
        if (!writeAll(out_, tail) || ::fsync(out_) != 0) {
            throw failed();
        }
        const int fd = out_;
        out_ = -1;
        if (::close(fd) != 0 || ::rename(scratch_.constData(), fileName_.constData()) != 0) {
            const FileError error = failed();
            ::unlink(scratch_.constData());
            throw error;
        }
        syncFolder(QFileInfo(file_).path());
    }

private:
    // The scratch file gets the old file's mode and group (so that a second account sharing the
    // folder keeps its access), or for a new file the access given, else its folder's.
    bool giveAccess(const std::optional<records::FolderAccess>& forNewFile) const {
        if (!existed_) {
            return forNewFile.value_or(records::FolderAccess::of(QFileInfo(file_).path()))
                .applyTo(out_);
        }
        // The group stays where the owner may set it; another owner's file keeps ours.
        if (::fchown(out_, static_cast<uid_t>(-1), existing_.st_gid) != 0 && errno != EPERM) {
            return false;
        }
        return ::fchmod(out_, existing_.st_mode & 07777) == 0;
    }

    QString path_;
    QString file_;
    QByteArray fileName_;
    QByteArray scratch_;
    struct stat existing_ {};
    bool existed_ = false;
    int out_ = -1;
};

// Copies all of `in` to `out` in the kernel where it can (a decade of records is some 20 MB).
bool copyWhole(int in, int out) {
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied == 0) {
            return true;
        }
        if (copied > 0) {
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            return false;
        }
        break;
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), static_cast<size_t>(buffer.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!writeAll(out, QByteArray::fromRawData(buffer.constData(), got))) {
            return false;
        }
    }
}

}  // namespace

void appendRecordLine(const QString& path, const QByteArray& line, QByteArrayList& list,
                      const QByteArray& unreadTail) {
    if (!unreadTail.isEmpty()) {
        QByteArrayList lines = list;
        lines.append(line);
        rewriteRecordFile(path, lines, unreadTail);
        list = std::move(lines);
        return;
    }
    // The old bytes and the new line are put together in the scratch file and renamed over the
    // file, so that a kill at any moment leaves the old file or the whole new line after it,
    // never part of a line. Appending to a missing file is an error, and creates nothing.
    records::refuseUnlessRegularOrMissing(path);
    Descriptor in(records::openRegularFile(replacedFile(path), O_RDONLY, true));
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) {
        throw fileError(QStringLiteral("ファイルを読み込めません"), path, readReason());
    }
    Replacement replacement(path, std::nullopt);
    if (!copyWhole(in.get(), replacement.scratch())) {
        throw replacement.failed();
    }
    replacement.commit(lineEndMissingAtEnd(in.get(), info.st_size) + line + LineEnd);
    list.append(line);
}

void rewriteRecordFile(const QString& path, const QByteArrayList& lines,
                       const QByteArray& unreadTail) {
    replaceRecordFile(path, recordFileContent(lines, unreadTail));
}

void replaceRecordFile(const QString& path, const QByteArray& content,
                       const std::optional<records::FolderAccess>& forNewFile) {
    Replacement replacement(path, forNewFile);
    replacement.commit(content);
}

namespace {

// One line of the content.
QByteArray lineOf(const QByteArray& content, qsizetype from, qsizetype length, LineBytes bytes) {
    return bytes == LineBytes::InContent
               ? QByteArray::fromRawData(content.constData() + from, length)
               : QByteArray(content.constData() + from, length);
}

// Where the customer file's text ends: at its first 0x1A (end-of-text mark), or at the end of
// the content. The part of a line before the mark is still a line.
qsizetype endOfCustomerText(const QByteArray& content) {
    const qsizetype at = content.indexOf('\x1A');
    return at < 0 ? content.size() : at;
}

// Hands every line of the reservation file's content to `take`, in file order.
template <typename Take>
void forEachReservationLine(const QByteArray& content, LineBytes bytes, Take take) {
    const char* data = content.constData();
    const qsizetype end = content.size();
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
            take(lineOf(content, start, end - start, bytes));
            break;
        }
        take(lineOf(content, start, lineEnd - start, bytes));
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

QByteArrayList reservationLines(const QByteArray& content,
                                const std::function<void(const QByteArray&)>& eachLine,
                                LineBytes bytes) {
    QByteArrayList lines;
    forEachReservationLine(content, bytes, [&lines, &eachLine](QByteArray line) {
        // Handed over while the line's bytes are still in the cache from finding its end.
        if (eachLine) {
            eachLine(line);
        }
        lines.append(std::move(line));
    });
    return lines;
}

QByteArrayList customerLines(const QByteArray& content, qsizetype end, LineBytes bytes) {
    QByteArrayList lines;
    qsizetype start = 0;
    while (start < end) {
        qsizetype lineEnd = content.indexOf('\n', start);
        if (lineEnd < 0 || lineEnd > end) {
            lineEnd = end;
        }
        // Most lines end in CR LF: leaving that CR out of the slice spares a copy in place.
        qsizetype length = lineEnd - start;
        if (length > 0 && content.at(start + length - 1) == '\r') {
            --length;
        }
        QByteArray line = lineOf(content, start, length, bytes);
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
    return reservationLines(content, eachLine, LineBytes::Own);
}

QByteArrayList splitCustomerFile(const QByteArray& content) {
    return customerLines(content, endOfCustomerText(content), LineBytes::Own);
}

RecordFileRead readReservationFile(const QByteArray& content,
                                   const std::function<void(const QByteArray&)>& eachLine,
                                   LineBytes bytes) {
    return {reservationLines(content, eachLine, bytes), QByteArray(),
            bytes == LineBytes::InContent ? content : QByteArray()};
}

RecordFileRead readCustomerFile(const QByteArray& content, LineBytes bytes) {
    const qsizetype end = endOfCustomerText(content);
    return {customerLines(content, end, bytes), content.sliced(end),
            bytes == LineBytes::InContent ? content : QByteArray()};
}
