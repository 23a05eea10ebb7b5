#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <future>
#include <optional>
#include <stdexcept>
#include <utility>

// Which file a path names and how it was last changed: equal identities mean that bytes read
// under the first are the bytes on disk now.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileIdentity&) const = default;

    // The identity of the regular file at `path`; nothing for no file, a folder or the like.
    static std::optional<FileIdentity> of(const QString& path);
};

// The whole content of the regular file at `path` with its identity, when it could be read and
// did not change while it was read; nothing otherwise.
std::optional<std::pair<FileIdentity, QByteArray>> readSteadyFile(const QString& path);

// A file to be read on a worker thread and turned into a T there, before it is asked for, so that
// the program can build its windows meanwhile. The result is handed out only while the file on
// disk is still the one that was read; otherwise (or when it could not be read) the caller reads
// the file itself, and reports any error as it always does.
template <typename T>
class FilePrefetch {
public:
    FilePrefetch(QString path, std::function<T(const QByteArray&)> prepare)
        : path_(std::move(path)), prepare_(std::move(prepare)), ready_(done_.get_future()) {}

    // Reads and prepares the file; runs once, on the worker thread.
    void run() {
        std::optional<Read> result;
        try {
            if (auto read = readSteadyFile(path_)) {
                result = Read{read->first, prepare_(read->second)};
            }
        } catch (const std::exception&) {
            result.reset();  // out of memory, say: the caller reads the file and reports it
        }
        done_.set_value(std::move(result));
    }

    // The prepared content, the first time only and while the file is unchanged; waits for run()
    // to finish.
    std::optional<T> take() {
        if (!ready_.valid()) {
            return std::nullopt;
        }
        std::optional<Read> read = ready_.get();
        if (!read || FileIdentity::of(path_) != read->identity) {
            return std::nullopt;
        }
        return std::move(read->prepared);
    }

private:
    struct Read {
        FileIdentity identity;
        T prepared;
    };

    QString path_;
    std::function<T(const QByteArray&)> prepare_;
    std::promise<std::optional<Read>> done_;
    std::future<std::optional<Read>> ready_;
};
