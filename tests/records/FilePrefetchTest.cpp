#include "records/FilePrefetch.h"
#include "records/uLib.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using testing_support::writeBytes;

namespace {

// Each case changes the file (or not) between the read ahead and the moment it is asked for.
struct Change {
    const char* name;
    std::function<void(const QString& path)> apply;
    bool handedOut;
};

TEST(FilePrefetch, HandsOutTheReadOnlyWhileTheFileIsUnchanged) {
    const Change changes[] = {
        {"nothing", [](const QString&) {}, true},
        {"rewritten in place with as many bytes",
         [](const QString& path) { writeBytes(path, "b\r\nc\r\n"); }, false},
        {"replaced by another file",
         [](const QString& path) {
             writeBytes(path + ".new", "a\r\nb\r\n");
             QFile::remove(path);
             QFile::rename(path + ".new", path);
         },
         false},
        {"removed", [](const QString& path) { QFile::remove(path); }, false},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(YoyakuFileName);
        writeBytes(path, "a\r\nb\r\n");
        FilePrefetch<QByteArrayList> prefetch(
            path, [](const QByteArray& content) { return splitReservationFile(content); });
        prefetch.run();
        change.apply(path);

        const std::optional<QByteArrayList> lines = prefetch.take();
        ASSERT_EQ(lines.has_value(), change.handedOut);
        if (lines) {
            EXPECT_EQ(*lines, QByteArrayList({"a", "b"}));
        }
        EXPECT_FALSE(prefetch.take().has_value()) << "handed out a second time";
    }
}

TEST(FilePrefetch, NothingIsHandedOutForAMissingFileOrAFolder) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(UserFileName);
    for (const QString& path : {dir.filePath(YoyakuFileName), dir.filePath(UserFileName)}) {
        FilePrefetch<QByteArray> prefetch(path, [](const QByteArray& content) { return content; });
        prefetch.run();
        EXPECT_FALSE(prefetch.take().has_value()) << path.toStdString();
    }
}

}  // namespace
