#pragma once

#include "records/RecordLists.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace records {

// One change the user made, as the owner of the lists announced it: what undo takes back and
// redo makes again.
struct UndoStep {
    RecordFile file = RecordFile::Yoyaku;
    RecordChange::Cause cause = RecordChange::Cause::Written;
    QList<RecordIntent> made;

    // What the step did, for the menu ("予約の削除") and for the status bar ("予約を削除しました").
    QString caption() const;
    QString doneText() const;
    // The lines the step took out of its file and those it put in, with their details.
    QList<std::pair<QByteArray, LineDetails>> removedLines() const;
    QList<std::pair<QByteArray, LineDetails>> addedLines() const;
};

// The steps the user can take back, oldest first, and those taken back that can be made again.
// It follows every change the owner of the lists announces; undo and redo go through the same
// intents as any change and match each line exactly where the step left it, so that a step whose
// line has since been changed or removed by anything else is refused and nothing is written.
//
// The last steps are kept in the store with what each record file held after them; at start-up
// a file that no longer holds that (another program, a copy put in its place) drops the history.
class UndoHistory : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype Kept = 100;
    static inline const QString SettingName = QStringLiteral("undo");

    explicit UndoHistory(RecordLists& lists);

    // Takes the history kept in the store, when the record files are still what it expects.
    void load();
    // Forgets every step (a restore put other files in place); the store forgets them too.
    void clear();

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    const UndoStep& nextUndo() const { return steps_.at(done_ - 1); }
    const UndoStep& nextRedo() const { return steps_.at(done_); }

    // False, with nothing written, when a line of the step is no longer where it left it.
    // Throws FileError or StoreError as any change does.
    bool undo();
    bool redo();

signals:
    // A step was made, undone (forward false) or made again (forward true).
    void stepApplied(const records::UndoStep& step, bool forward);
    // What can be undone or redone changed.
    void historyChanged();

private:
    void follow(const RecordChange& change);
    bool apply(const UndoStep& step, bool forward);
    void save();
    QByteArray fingerprintOf(RecordFile file) const;
    // The file's fingerprint as last taken, taken now when the file changed since.
    QByteArray printOf(RecordFile file);
    QByteArray& printSlot(RecordFile file);

    RecordLists& lists_;
    QList<UndoStep> steps_;
    qsizetype done_ = 0;
    // What each record file held after the last change, as fingerprintOf() gives it; empty when
    // not taken since the file changed.
    QByteArray yoyakuPrint_;
    QByteArray userPrint_;
    bool applying_ = false;
};

// The intents that make `ops` one after the other on `before`, as one change; nothing when an
// op does not find its line where it says. Public for the tests of the rule.
struct LineOp {
    enum class Kind { Insert, Remove };
    Kind kind = Kind::Insert;
    // In the list as the ops before left it; -1: at the end (Insert) or the last line (Remove).
    qsizetype position = -1;
    QByteArray line;
    LineDetails details;
};
std::optional<QList<RecordIntent>> intentsOfOps(const QByteArrayList& before,
                                                const QList<LineOp>& ops);
// The ops that make the step's intents again (forward) or take them back.
QList<LineOp> opsOf(const UndoStep& step, bool forward);

}  // namespace records
