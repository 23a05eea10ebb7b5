#include "records/DetailStore.h"

#include "records/Clock.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using records::DetailStore;
using records::KeyChange;
using records::LineDetails;
using records::LineKey;
using records::RecordFile;
using testing_support::readBytes;
using testing_support::standClockAt;
using testing_support::writeBytes;
using Kind = KeyChange::Step::Kind;

namespace {

const QDateTime Now(QDate(2026, 12, 9), QTime(10, 15, 0));

LineKey keyOf(const QByteArray& line, int occurrence) {
    return {records::lineHash(line), occurrence};
}

LineDetails noted(const char* note) {
    return {{"note", note}};
}

class DetailStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        standClockAt(Now);
        ASSERT_TRUE(store_.open(dir_.path())) << store_.problem().toStdString();
    }
    void TearDown() override { records::clock_source::set({}); }

    QString file(const QString& suffix = {}) const {
        return dir_.filePath(DetailStore::FileName + suffix);
    }
    void note(const QByteArray& line, int occurrence, const char* text) {
        store_.setDetails(RecordFile::Yoyaku, keyOf(line, occurrence), noted(text));
    }
    // The notes of the first four places of `line`, "-" where there are none.
    QString notesOf(const QByteArray& line) const {
        QStringList notes;
        for (int occurrence = 0; occurrence < 4; ++occurrence) {
            const LineDetails found = store_.details(RecordFile::Yoyaku, keyOf(line, occurrence));
            notes << (found.isEmpty() ? QStringLiteral("-") : found["note"].toString());
        }
        return notes.join(' ');
    }

    QTemporaryDir dir_;
    DetailStore store_;
};

// A replacement of the second of two identical lines, as the record lists write one: it leaves
// and the new line goes to the end of the file.
KeyChange replacement(const QByteArray& from, const QByteArray& to,
                      std::optional<LineDetails> details = std::nullopt) {
    return {RecordFile::Yoyaku,
            {{Kind::Leave, from, 1, 2, {}}, {Kind::Enter, to, 0, 0, details}},
            {{from, 1}, {to, 1}}};
}

struct StepCase {
    const char* name;
    QList<KeyChange::Step> steps;
    const char* a;  // the notes of line "a" afterwards, from "x y - -"
    const char* b;  // those of line "b", from "z - - -"
};

const StepCase StepCases[] = {
    {"AddWithDetails", {{Kind::Enter, "b", 1, 0, noted("new")}}, "x y - -", "z new - -"},
    // A line added among identical ones pushes theirs, and any unseen ones, up one place.
    {"AddWithoutDetailsAmongIdentical",
     {{Kind::Enter, "a", 0, 0, std::nullopt}},
     "- x y -",
     "z - - -"},
    {"AddWithEmptyDetails", {{Kind::Enter, "b", 0, 0, LineDetails{}}}, "x y - -", "- z - -"},
    // The first of two identical lines goes: the second takes its place, its details wait after.
    {"RemoveWithIdenticalLines", {{Kind::Leave, "a", 0, 2, {}}}, "y x - -", "z - - -"},
    {"RemoveTheLast", {{Kind::Leave, "a", 1, 2, {}}}, "x y - -", "z - - -"},
    // The only line goes: its details wait where it would come back.
    {"RemoveTheOnlyLine", {{Kind::Leave, "b", 0, 1, {}}}, "x y - -", "z - - -"},
    {"ReplaceCarriesDetails",
     {{Kind::Leave, "a", 0, 2, {}}, {Kind::Enter, "b", 1, 0, std::nullopt}},
     "y - - -",
     "z x - -"},
    {"ReplaceWithNewDetails",
     {{Kind::Leave, "a", 0, 2, {}}, {Kind::Enter, "b", 1, 0, noted("new")}},
     "y x - -",
     "z new - -"},
    // An unchanged line saved again moves to the end of its identical lines with its details.
    {"ReplaceByTheSameLine",
     {{Kind::Leave, "a", 0, 2, {}}, {Kind::Enter, "a", 1, 0, std::nullopt}},
     "y x - -",
     "z - - -"},
    // Only the step right after a leave takes its details.
    {"OnlyTheNextEnterCarries",
     {{Kind::Leave, "a", 1, 2, {}},
      {Kind::Enter, "b", 1, 0, noted("new")},
      {Kind::Enter, "b", 2, 0, std::nullopt}},
     "x y - -",
     "z new - -"},
};

void PrintTo(const StepCase& step, std::ostream* out) {
    *out << step.name;
}

class KeySteps : public DetailStoreTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(KeySteps, MoveTheDetailsWithTheirLines) {
    note("a", 0, "x");
    note("a", 1, "y");
    note("b", 0, "z");
    store_.begin({RecordFile::Yoyaku, GetParam().steps, {}});
    store_.finish();
    EXPECT_EQ(notesOf("a"), GetParam().a);
    EXPECT_EQ(notesOf("b"), GetParam().b);
    // The other file's keys are its own.
    EXPECT_TRUE(store_.details(RecordFile::User, keyOf("a", 0)).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(, KeySteps, ::testing::ValuesIn(StepCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DetailStoreTest, AJournalledLineShowsNoDetailsUntilTheChangeIsFinishedOrForgotten) {
    note("a", 0, "x");
    note("a", 1, "y");
    note("c", 0, "w");
    store_.begin(replacement("a", "b"));
    EXPECT_EQ(notesOf("a"), "- - - -");
    EXPECT_EQ(notesOf("c"), "w - - -");
    const auto lines = store_.details(RecordFile::Yoyaku, {keyOf("a", 0), keyOf("c", 0)});
    EXPECT_EQ(lines.keys(), QList<LineKey>{keyOf("c", 0)});
    store_.abandon();
    EXPECT_EQ(notesOf("a"), "x y - -");
    store_.begin(replacement("a", "b"));
    store_.finish();
    EXPECT_EQ(notesOf("a"), "x - - -");
    EXPECT_EQ(notesOf("b"), "y - - -");
}

struct RecoverCase {
    const char* name;
    QByteArrayList fileLines;
    const char* a;
    const char* b;
};

const RecoverCase RecoverCases[] = {
    {"FinishedWhenTheFileShowsTheChange", {"a", "c", "b"}, "x - - -", "y - - -"},
    {"ForgottenWhenTheFileIsAsBefore", {"a", "c", "a"}, "x y - -", "- - - -"},
    {"ForgottenWhenTheFileIsNeither", {"c", "b", "b"}, "x y - -", "- - - -"},
};

void PrintTo(const RecoverCase& recover, std::ostream* out) {
    *out << recover.name;
}

class Recover : public DetailStoreTest, public ::testing::WithParamInterface<RecoverCase> {};

TEST_P(Recover, CompletesOrForgetsAChangeCutOffBetweenItsWrites) {
    note("a", 0, "x");
    note("a", 1, "y");
    store_.begin(replacement("a", "b"));
    store_.close();
    ASSERT_TRUE(store_.open(dir_.path()));
    const QByteArrayList customers;
    store_.recover([&](RecordFile file) -> const QByteArrayList& {
        return file == RecordFile::Yoyaku ? GetParam().fileLines : customers;
    });
    EXPECT_EQ(notesOf("a"), GetParam().a);
    EXPECT_EQ(notesOf("b"), GetParam().b);
}

INSTANTIATE_TEST_SUITE_P(, Recover, ::testing::ValuesIn(RecoverCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Another desk reads while this one holds the store for writing (WAL on a local folder).
TEST_F(DetailStoreTest, ASecondDeskReadsWhileAChangeIsWritten) {
    note("c", 0, "w");
    store_.begin(replacement("a", "b"));
    DetailStore other;
    ASSERT_TRUE(other.open(dir_.path()));
    const QByteArrayList lines{"a", "b"};
    LineDetails seen;
    store_.recover([&](RecordFile) -> const QByteArrayList& {
        seen = other.details(RecordFile::Yoyaku, keyOf("c", 0));
        return lines;
    });
    EXPECT_EQ(seen, noted("w"));
}

TEST_F(DetailStoreTest, SomethingOtherThanAFileInItsPlaceIsRefusedWithoutWaiting) {
    store_.close();
    QFile::remove(file());
    ASSERT_EQ(::mkfifo(QFile::encodeName(file()).constData(), 0600), 0);
    EXPECT_FALSE(store_.open(dir_.path()));
    EXPECT_TRUE(store_.problem().contains(QStringLiteral("通常のファイルではありません")));
}

TEST_F(DetailStoreTest, PurgeDeletesOnlyOldDetailsOfLinesThatAreGone) {
    standClockAt(Now.addYears(-6));
    note("old-gone", 0, "1");
    note("old-present", 0, "2");
    standClockAt(Now);
    note("new-gone", 0, "3");
    const QDateTime retained = Now.addYears(-5);
    EXPECT_TRUE(store_.hasDetailsBefore(retained));
    EXPECT_FALSE(store_.hasDetailsBefore(Now.addYears(-7)));
    EXPECT_EQ(store_.purgeUnseen(RecordFile::User, {}, retained), 0);
    EXPECT_EQ(store_.purgeUnseen(RecordFile::Yoyaku, {keyOf("old-present", 0)}, retained), 1);
    EXPECT_EQ(notesOf("old-gone"), "- - - -");
    EXPECT_EQ(notesOf("old-present"), "2 - - -");
    EXPECT_EQ(notesOf("new-gone"), "3 - - -");
    EXPECT_EQ(store_.purgeUnseen(RecordFile::Yoyaku, {keyOf("old-present", 0)}, retained), 0);
}

TEST_F(DetailStoreTest, SettingsAndDetailsOutliveTheProgram) {
    EXPECT_FALSE(store_.setting("tax").has_value());
    store_.setSetting("tax", QByteArray("10\0%", 4));
    note("a", 0, "x");
    store_.close();
    EXPECT_FALSE(store_.isOpen());
    ASSERT_TRUE(store_.open(dir_.path()));
    EXPECT_EQ(store_.setting("tax"), QByteArray("10\0%", 4));
    EXPECT_EQ(notesOf("a"), "x - - -");
    EXPECT_TRUE(store_.problem().isEmpty());
}

TEST_F(DetailStoreTest, ADamagedFileIsMovedAsideWithTheMomentAndANewOneTakesItsPlace) {
    store_.close();
    const QByteArray garbage = QByteArray("not a database at all ").repeated(300);
    writeBytes(file(), garbage);
    writeBytes(file("-journal"), "half a journal");
    ASSERT_TRUE(store_.open(dir_.path()));
    const QString aside = file(".damaged-2026-12-09_101500");
    EXPECT_EQ(readBytes(aside), garbage);
    EXPECT_EQ(readBytes(aside + "-journal"), "half a journal");
    EXPECT_TRUE(store_.problem().contains(QDir::toNativeSeparators(aside)));
    EXPECT_TRUE(store_.problem().contains(QStringLiteral("壊れて")));
    note("a", 0, "x");
    EXPECT_EQ(notesOf("a"), "x - - -");
    // A second damage within the same second keeps the first one's files.
    store_.close();
    writeBytes(file(), garbage);
    ASSERT_TRUE(store_.open(dir_.path()));
    EXPECT_EQ(readBytes(aside + "-journal"), "half a journal");
    EXPECT_EQ(readBytes(aside + "-2"), garbage);
}

TEST_F(DetailStoreTest, AFileOfANewerProgramIsRefusedAndLeftAsItIs) {
    note("a", 0, "x");
    store_.close();
    QByteArray bytes = readBytes(file());
    ASSERT_GT(bytes.size(), 64);
    bytes[63] = DetailStore::SchemaVersion + 1;  // the user version, big-endian at 60
    writeBytes(file(), bytes);
    EXPECT_FALSE(store_.open(dir_.path()));
    EXPECT_FALSE(store_.isOpen());
    EXPECT_TRUE(store_.problem().contains(QDir::toNativeSeparators(file())));
    EXPECT_TRUE(store_.problem().contains(QStringLiteral("新しいバージョン")));
    EXPECT_EQ(readBytes(file()), bytes);
    EXPECT_FALSE(QFileInfo::exists(file("-wal")));
}

// Opens the store of `folder` as "nobody" and checks that it is refused as not writable.
bool refusedAsNotWritable(const QString& folder) {
    DetailStore store;
    return !store.open(folder) &&
           store.problem().contains(
               QDir::toNativeSeparators(folder + "/" + DetailStore::FileName)) &&
           store.problem().contains(QStringLiteral("書き込めません"));
}

TEST_F(DetailStoreTest, AFolderOrFileThatCannotBeWrittenIsRefused) {
    store_.close();
    testing_support::openUpForOthers(dir_.path());
    const QString readOnlyFolder = dir_.filePath("read-only");
    ASSERT_TRUE(QDir().mkdir(readOnlyFolder));
    ::chmod(QFile::encodeName(readOnlyFolder).constData(), 0555);
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0777);
    ::chmod(QFile::encodeName(file()).constData(), 0444);
    const QByteArray before = readBytes(file());
    QString whyNot;
    const auto refused = testing_support::runAsNobody(
        [&] { return refusedAsNotWritable(readOnlyFolder) && refusedAsNotWritable(dir_.path()); },
        &whyNot);
    if (!refused) {
        GTEST_SKIP() << "not tested: " << whyNot.toStdString();
    }
    EXPECT_TRUE(*refused);
    EXPECT_EQ(readBytes(file()), before);
    EXPECT_TRUE(QDir(readOnlyFolder).isEmpty());
}

TEST(JournalMode, IsWalOnALocalFileSystemAndARollbackJournalOnANetworkOne) {
    const std::pair<long, const char*> Cases[] = {
        {0xEF53, "WAL"},                                                // ext4
        {0x01021994, "WAL"},                                            // tmpfs
        {0x9123683E, "WAL"},                                            // btrfs
        {0x6969, "TRUNCATE"},                                           // NFS
        {0x517B, "TRUNCATE"},                                           // SMB
        {0xFF534D42, "TRUNCATE"},                                       // CIFS
        {0xFE534D42, "TRUNCATE"},                                       // SMB2
        {static_cast<long>(static_cast<int>(0xFF534D42)), "TRUNCATE"},  // sign-extended
    };
    for (const auto& [type, mode] : Cases) {
        EXPECT_STREQ(records::journalModeFor(type), mode) << std::hex << type;
    }
}

struct AccessCase {
    const char* name;
    mode_t folderMode;
    mode_t recordMode;  // 0: no record files
    mode_t storeMode;
};

const AccessCase AccessCases[] = {
    {"PrivateFolder", 0700, 0, 0600},         {"SharedFolderNewFiles", 02770, 0, 0660},
    {"SharedRecordFiles", 02770, 0660, 0660}, {"SharedFolderButPrivateFiles", 02770, 0600, 0600},
    {"GroupMayOnlyRead", 02750, 0640, 0640},
};

void PrintTo(const AccessCase& access, std::ostream* out) {
    *out << access.name;
}

class StoreFiles : public ::testing::TestWithParam<AccessCase> {};

TEST_P(StoreFiles, GetTheRecordFilesAccessAndTheFoldersGroup) {
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), GetParam().folderMode);
    if (GetParam().recordMode != 0) {
        const QString records = recordFilePath(dir.path(), YoyakuFileName);
        writeBytes(records, "line\r\n");
        ::chmod(QFile::encodeName(records).constData(), GetParam().recordMode);
    }
    DetailStore store;
    ASSERT_TRUE(store.open(dir.path()));
    store.setSetting("made", "yes");
    struct stat folder {};
    ::stat(QFile::encodeName(dir.path()).constData(), &folder);
    // WAL on the local test folder: the store keeps its log and shared memory beside it.
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString path = store.path() + suffix;
        struct stat made {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &made), 0) << path.toStdString();
        EXPECT_EQ(made.st_mode & 07777, GetParam().storeMode) << path.toStdString();
        EXPECT_EQ(made.st_gid, folder.st_gid) << path.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(, StoreFiles, ::testing::ValuesIn(AccessCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
