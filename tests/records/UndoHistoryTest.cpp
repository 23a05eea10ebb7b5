// Every kind of step taken back and made again to the byte and to its details, refused after
// another program's change, kept across a restart, and the trash that follows the deletions.
#include "records/Clock.h"
#include "records/RecordLists.h"
#include "records/Trash.h"
#include "records/UndoHistory.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <numeric>

using records::RecordFile;
using records::RecordIntent;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

constexpr auto AtEnd = RecordIntent::Placement::AtEnd;
constexpr auto InPlace = RecordIntent::Placement::InPlace;

// Details that name the line they were given to.
records::LineDetails tagged(const char* tag) {
    return {{QStringLiteral("tag"), QString::fromLatin1(tag)}};
}

// The record folder with its lists, history and trash, opened as a start-up opens them.
struct Desk {
    explicit Desk(const QString& dir) : lists(honjitu, dir) {
        lists.UserListLoad();
        lists.YoyakuFileLoad();
        lists.openStoreIfPresent();
        history.load();
        trash.load();
    }
    THonjitu honjitu;
    records::RecordLists lists;
    records::UndoHistory history{lists};
    records::Trash trash{lists, history};
};

class UndoFolder : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(YoyakuFileName), "a\r\nb\r\na\r\nc\r\n");
        writeBytes(path(UserFileName), "p\r\nq\r\n");
        open();
        tag(RecordFile::Yoyaku, 0, "x");
        tag(RecordFile::Yoyaku, 1, "y");
        tag(RecordFile::Yoyaku, 2, "z");
        tag(RecordFile::User, 1, "k");
        // Details written so far are the folder as found, not steps to take back.
        desk_->history.clear();
    }
    void open() {
        desk_.reset();
        desk_ = std::make_unique<Desk>(dir_.path());
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    records::RecordLists& lists() { return desk_->lists; }
    records::UndoHistory& history() { return desk_->history; }
    records::Trash& trash() { return desk_->trash; }
    void tag(RecordFile file, qsizetype at, const char* tag) {
        lists().setDetails(file, at, lists().lines(file).at(at), tagged(tag));
    }

    // Both files' bytes and each line's details: "a:x b:y ...".
    std::string state() {
        QString shown;
        for (const RecordFile file : {RecordFile::Yoyaku, RecordFile::User}) {
            const QByteArrayList& lines = lists().lines(file);
            QList<qsizetype> positions(lines.size());
            std::iota(positions.begin(), positions.end(), 0);
            const auto details = lists().detailsAt(file, positions);
            for (const qsizetype at : positions) {
                const QString tag = details.value(at).value("tag").toString();
                shown +=
                    QString::fromLatin1(lines.at(at)) + ':' + (tag.isEmpty() ? "-" : tag) + ' ';
            }
            shown += "| ";
        }
        return (shown + QString::fromLatin1(readBytes(path(YoyakuFileName)).toPercentEncoding()) +
                ' ' + QString::fromLatin1(readBytes(path(UserFileName)).toPercentEncoding()))
            .toStdString();
    }

    QTemporaryDir dir_;
    std::unique_ptr<Desk> desk_;
};

struct StepCase {
    const char* name;
    const char* caption;
    std::function<void(records::RecordLists&)> make;
};
void PrintTo(const StepCase& step, std::ostream* out) {
    *out << step.name;
}

class EveryStep : public UndoFolder, public ::testing::WithParamInterface<StepCase> {};

TEST_P(EveryStep, IsUndoneAndRedoneToTheByte) {
    const std::string before = state();
    GetParam().make(lists());
    const std::string after = state();
    ASSERT_NE(after, before);
    ASSERT_TRUE(history().canUndo());
    EXPECT_EQ(history().nextUndo().caption(), QString::fromUtf8(GetParam().caption));

    ASSERT_TRUE(history().undo());
    EXPECT_EQ(state(), before);
    EXPECT_FALSE(history().canUndo());
    ASSERT_TRUE(history().redo());
    EXPECT_EQ(state(), after);
    // Twice over, and across a restart.
    ASSERT_TRUE(history().undo());
    open();
    EXPECT_EQ(state(), before);
    ASSERT_TRUE(history().redo());
    EXPECT_EQ(state(), after);
}

const auto Yoyaku = RecordFile::Yoyaku;
const auto User = RecordFile::User;

INSTANTIATE_TEST_SUITE_P(
    Steps, EveryStep,
    ::testing::Values(
        StepCase{"BookingAdded", "予約の追加",
                 [](auto& l) { l.change(Yoyaku, {RecordIntent::add("d", tagged("d"))}); }},
        StepCase{"BookingDeleted", "予約の削除",
                 [](auto& l) { l.change(Yoyaku, {RecordIntent::remove(1, "b")}); }},
        // The second of two identical lines keeps its own details when it comes back.
        StepCase{"IdenticalBookingDeleted", "予約の削除",
                 [](auto& l) { l.change(Yoyaku, {RecordIntent::remove(2, "a")}); }},
        StepCase{"BookingUpdated", "予約の変更",
                 [](auto& l) { l.change(Yoyaku, {RecordIntent::replace(0, "a", "A", AtEnd)}); }},
        // The dialog's update with the deletions made in it, before and after the update.
        StepCase{"BookingUpdatedWithDeletions", "予約の変更",
                 [](auto& l) {
                     l.change(Yoyaku, {RecordIntent::remove(1, "b"), RecordIntent::remove(2, "a"),
                                       RecordIntent::replace(0, "a", "A", AtEnd, tagged("A"))});
                 }},
        StepCase{"BookingUpdatedThenDeletions", "予約の変更",
                 [](auto& l) {
                     l.change(Yoyaku, {RecordIntent::replace(3, "c", "C", AtEnd),
                                       RecordIntent::remove(0, "a"), RecordIntent::remove(1, "b")});
                 }},
        StepCase{"AdjacentBookingsDeleted", "予約の削除",
                 [](auto& l) {
                     l.change(Yoyaku, {RecordIntent::remove(1, "b"), RecordIntent::remove(2, "a")});
                 }},
        StepCase{"BookingDetailsChanged", "予約の詳細の変更",
                 [](auto& l) { l.setDetails(Yoyaku, 2, "a", tagged("w")); }},
        StepCase{"CustomerAdded", "お客様の登録",
                 [](auto& l) { l.change(User, {RecordIntent::add("r")}); }},
        StepCase{"CustomerChanged", "お客様の変更",
                 [](auto& l) { l.change(User, {RecordIntent::replace(1, "q", "Q", AtEnd)}); }},
        StepCase{"CustomerCorrected", "お客様の変更",
                 [](auto& l) {
                     l.change(User, {RecordIntent::replace(0, "p", "P", InPlace, tagged("P"))});
                 }},
        StepCase{"CustomerDeleted", "お客様の削除",
                 [](auto& l) { l.change(User, {RecordIntent::remove(1, "q")}); }},
        StepCase{"ChartChanged", "カルテの変更",
                 [](auto& l) { l.setDetails(User, 1, "q", tagged("k2")); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UndoFolder, UndoIsRefusedOnceAnotherProgramChangedTheLine) {
    lists().change(Yoyaku, {RecordIntent::remove(1, "b")});
    lists().change(Yoyaku, {RecordIntent::add("d")});
    // Another program puts a line in front: every line has moved, so nothing is taken back.
    writeBytes(path(YoyakuFileName), "new\r\na\r\na\r\nc\r\nd\r\n");
    EXPECT_FALSE(history().undo());
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "new\r\na\r\na\r\nc\r\nd\r\n");
    EXPECT_TRUE(history().canUndo());
    EXPECT_FALSE(history().canRedo());
    // A line changed in place refuses just the same.
    lists().change(Yoyaku, {RecordIntent::replace(4, "d", "D")});
    writeBytes(path(YoyakuFileName), "new\r\na\r\na\r\nc\r\nE\r\n");
    EXPECT_FALSE(history().undo());
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "new\r\na\r\na\r\nc\r\nE\r\n");
}

TEST_F(UndoFolder, HistoryOutlivesARestartUnlessTheFilesChangedMeanwhile) {
    lists().change(Yoyaku, {RecordIntent::remove(1, "b")});
    lists().change(User, {RecordIntent::add("r")});
    ASSERT_TRUE(history().undo());
    open();
    ASSERT_TRUE(history().canUndo());
    ASSERT_TRUE(history().canRedo());
    EXPECT_EQ(history().nextUndo().caption(), "予約の削除");
    EXPECT_EQ(history().nextRedo().caption(), "お客様の登録");

    // Only the last steps are kept: the oldest go first.
    for (int step = 0; step < records::UndoHistory::Kept + 5; ++step) {
        lists().change(User, {RecordIntent::add("s")});
    }
    open();
    qsizetype kept = 0;
    while (history().undo()) {
        ++kept;
    }
    EXPECT_EQ(kept, records::UndoHistory::Kept);
    EXPECT_EQ(readBytes(path(UserFileName)), "p\r\nq\r\ns\r\ns\r\ns\r\ns\r\ns\r\n");

    ASSERT_TRUE(history().redo());
    desk_.reset();
    writeBytes(path(UserFileName), "p\r\nq\r\nother\r\n");
    open();
    EXPECT_FALSE(history().canUndo());
    EXPECT_FALSE(history().canRedo());
}

TEST_F(UndoFolder, DeletionsGoToTheTrashAndComeBackFromIt) {
    testing_support::standClockAt(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
    lists().change(Yoyaku, {RecordIntent::remove(1, "b")});
    // An update is no deletion.
    lists().change(User, {RecordIntent::replace(1, "q", "Q", AtEnd)});
    ASSERT_EQ(trash().entries().size(), 1);
    EXPECT_EQ(trash().entries().first().line, "b");
    EXPECT_EQ(trash().entries().first().details, tagged("y"));
    // Undone, the deletion leaves the trash; redone, it is there again.
    history().undo();
    history().undo();
    EXPECT_TRUE(trash().entries().isEmpty());
    history().redo();
    ASSERT_EQ(trash().entries().size(), 1);

    testing_support::standClockAt(QDateTime(QDate(2026, 3, 3), QTime(9, 0)));
    lists().change(User, {RecordIntent::remove(1, "q")});
    ASSERT_EQ(trash().entries().size(), 2);
    EXPECT_EQ(trash().entries().first().line, "q");
    trash().putBack(1);
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "a\r\na\r\nc\r\nb\r\n");
    EXPECT_EQ(lists().detailsAt(Yoyaku, 3), tagged("y"));
    ASSERT_EQ(trash().entries().size(), 1);
    EXPECT_EQ(history().nextUndo().caption(), "予約の追加");
    // Putting back is a step like any: undone, the booking is in the trash again.
    history().undo();
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "a\r\na\r\nc\r\n");
    EXPECT_EQ(trash().entries().size(), 2);

    // Kept a year, across restarts; purged at the first start after.
    testing_support::standClockAt(QDateTime(QDate(2027, 3, 3), QTime(8, 0)));
    open();
    ASSERT_EQ(trash().entries().size(), 2);
    EXPECT_EQ(trash().entries().first().line, "b");
    testing_support::standClockAt(QDateTime(QDate(2027, 3, 3), QTime(10, 0)));
    open();
    EXPECT_TRUE(trash().entries().isEmpty());
    records::clock_source::set({});
}

}  // namespace
