#include "records/DetailStore.h"
#include "records/RecordFolder.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace testing_support;
namespace folder = records::folder;

namespace {

class RecordFolderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return temp.filePath(name); }
    QString made(const QString& name) const {
        QDir().mkpath(path(name));
        return path(name);
    }
    // The variables of `values`; every other one is unset.
    folder::Environment environment(const QMap<QByteArray, QString>& values) const {
        return [values](const char* name) { return values.value(name).toUtf8(); };
    }
    static int modeOf(const QString& folderPath) {
        struct stat info {};
        return ::stat(QFile::encodeName(folderPath).constData(), &info) == 0
                   ? static_cast<int>(info.st_mode & 07777)
                   : -1;
    }

    QTemporaryDir temp;
};

TEST_F(RecordFolderTest, OwnFolderWhenTheUserMayWriteThereElseThePrivateDataFolder) {
    struct Case {
        const char* what;
        QString executableFolder;
        QMap<QByteArray, QString> variables;
        QString expected;
    };
    const QString data = path(QStringLiteral("data"));
    const QString home = path(QStringLiteral("home"));
    const QString own = made(QStringLiteral("own"));
    const QString homeData = home + QStringLiteral("/.local/share/trimbook");
    const Case cases[] = {
        {"own folder writable", own, {{"XDG_DATA_HOME", data}}, own},
        {"system folder",
         QStringLiteral("/usr/bin"),
         {{"XDG_DATA_HOME", data}, {"HOME", home}},
         data + QStringLiteral("/trimbook")},
        {"data home unset", QStringLiteral("/usr/bin"), {{"HOME", home}}, homeData},
        {"data home relative",
         QStringLiteral("/usr/bin"),
         {{"XDG_DATA_HOME", QStringLiteral("data")}, {"HOME", home}},
         homeData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(data).removeRecursively();
        QDir(home).removeRecursively();
        EXPECT_EQ(folder::chooseRecordFolder(c.executableFolder, environment(c.variables)),
                  c.expected);
        EXPECT_TRUE(QFileInfo(c.expected).isDir());
        if (c.expected == own) {
            EXPECT_FALSE(QFileInfo::exists(data)) << "the data folder is made only when used";
        } else {
            EXPECT_EQ(modeOf(c.expected), 0700);
        }
    }
}

TEST_F(RecordFolderTest, AFolderTheUserCannotWriteIsKeptOnlyWhileItHoldsTheRecords) {
    const QString data = made(QStringLiteral("data"));
    const QString empty = made(QStringLiteral("locked-empty"));
    const QString withRecords = made(QStringLiteral("locked-records"));
    writeBytes(recordFilePath(withRecords, YoyakuFileName), "");
    for (const QString& locked : {empty, withRecords}) {
        ::chmod(QFile::encodeName(locked).constData(), 0555);
    }
    ::chmod(QFile::encodeName(data).constData(), 0777);
    openUpForOthers(data);
    const auto variables = environment({{"XDG_DATA_HOME", data}});
    QString whyNot;
    const auto chosen = runAsNobody(
        [&] {
            return folder::chooseRecordFolder(withRecords, variables) == withRecords &&
                   folder::chooseRecordFolder(empty, variables) ==
                       data + QStringLiteral("/trimbook");
        },
        &whyNot);
    for (const QString& locked : {empty, withRecords}) {
        ::chmod(QFile::encodeName(locked).constData(), 0755);
    }
    if (!chosen) {
        GTEST_SKIP() << whyNot.toStdString();
    }
    EXPECT_TRUE(*chosen);
    EXPECT_EQ(modeOf(data + QStringLiteral("/trimbook")), 0700);
}

TEST_F(RecordFolderTest, CopyLeavesTheSourceAndAddsOnlyWhatIsMissing) {
    const QString from = made(QStringLiteral("opt"));
    const QString to = made(QStringLiteral("share"));
    const QMap<QString, QByteArray> files = {
        {UserFileName, sjisOf("ポチ\t犬\n")},
        {YoyakuFileName, sjisOf("2026\t12\t9\t10\n")},
        {QStringLiteral("trimbook.ini"), "[fmMain]\nTop=1\n"},
        {QStringLiteral("バックアップ/2026-12-01_100000/カット予約.csv"), "old\n"},
    };
    made(QStringLiteral("opt/バックアップ/2026-12-01_100000"));
    for (auto file = files.begin(); file != files.end(); ++file) {
        writeBytes(from + QLatin1Char('/') + file.key(), file.value());
    }
    writeBytes(to + QStringLiteral("/trimbook.ini"), "kept");
    made(QStringLiteral("opt/写真"));
    writeBytes(from + QStringLiteral("/写真/20261209-1.jpg"), "photo");
    // Left open, so that the setting may still be only in its -wal.
    records::DetailStore store;
    ASSERT_TRUE(store.open(from)) << store.problem().toStdString();
    store.setSetting(QStringLiteral("salon"), "{}");

    folder::copyRecordFolder(from, to, QStringLiteral("trimbook.ini"));

    for (auto file = files.begin(); file != files.end(); ++file) {
        SCOPED_TRACE(file.key().toStdString());
        EXPECT_EQ(bytesOf(from + QLatin1Char('/') + file.key()), file.value());
        if (!file.key().endsWith(QStringLiteral(".ini"))) {
            EXPECT_EQ(bytesOf(to + QLatin1Char('/') + file.key()), file.value());
        }
    }
    EXPECT_EQ(bytesOf(to + QStringLiteral("/trimbook.ini")), "kept");
    EXPECT_EQ(bytesOf(to + QStringLiteral("/写真/20261209-1.jpg")), "photo");
    records::DetailStore copied;
    ASSERT_TRUE(copied.open(to)) << copied.problem().toStdString();
    EXPECT_EQ(copied.setting(QStringLiteral("salon")), QByteArray("{}"));
    copied.close();
    EXPECT_EQ(modeOf(recordFilePath(to, UserFileName)), 0600);
    const QStringList left =
        QDir(to).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_FALSE(left.contains(QStringLiteral(".trimbook-copying"))) << "no scratch folder is left";
    EXPECT_TRUE(left.contains(QStringLiteral("trimbook.db")));
}

}  // namespace
