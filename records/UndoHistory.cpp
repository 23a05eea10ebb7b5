#include "records/UndoHistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QtEndian>

#include <algorithm>
#include <numeric>

namespace records {
namespace {

using Kind = RecordIntent::Kind;

// The details a line that a made intent put in has: its own, or the replaced line's.
LineDetails enteredDetails(const RecordIntent& intent) {
    if (intent.kind == Kind::Add) {
        return intent.details.value_or(LineDetails());
    }
    return intent.details.value_or(intent.previousDetails);
}

struct StepWords {
    const char* caption;
    const char* done;
};

StepWords wordsOf(const UndoStep& step) {
    const bool yoyaku = step.file == RecordFile::Yoyaku;
    if (step.cause == RecordChange::Cause::Details) {
        return yoyaku ? StepWords{"予約の詳細の変更", "予約の詳細を変更しました"}
                      : StepWords{"カルテの変更", "カルテを変更しました"};
    }
    // A dialog's update may come with deletions: the update names the step.
    const auto has = [&step](Kind kind) {
        return std::any_of(step.made.cbegin(), step.made.cend(),
                           [kind](const RecordIntent& intent) { return intent.kind == kind; });
    };
    if (has(Kind::Replace)) {
        return yoyaku ? StepWords{"予約の変更", "予約を変更しました"}
                      : StepWords{"お客様の変更", "お客様を変更しました"};
    }
    if (has(Kind::Add)) {
        return yoyaku ? StepWords{"予約の追加", "予約を追加しました"}
                      : StepWords{"お客様の登録", "お客様を登録しました"};
    }
    return yoyaku ? StepWords{"予約の削除", "予約を削除しました"}
                  : StepWords{"お客様の削除", "お客様を削除しました"};
}

QJsonObject intentToJson(const RecordIntent& intent) {
    QJsonObject object{{"k", static_cast<int>(intent.kind)},
                       {"p", intent.position},
                       {"o", QString::fromLatin1(intent.old.toBase64())},
                       {"l", QString::fromLatin1(intent.line.toBase64())},
                       {"e", intent.placement == RecordIntent::Placement::AtEnd},
                       {"pd", intent.previousDetails}};
    if (intent.details) {
        object.insert("d", *intent.details);
    }
    return object;
}

RecordIntent intentFromJson(const QJsonObject& object) {
    RecordIntent intent;
    intent.kind = static_cast<Kind>(std::clamp(object.value("k").toInt(), 0, 2));
    intent.position = object.value("p").toInteger(-1);
    intent.old = QByteArray::fromBase64(object.value("o").toString().toLatin1());
    intent.line = QByteArray::fromBase64(object.value("l").toString().toLatin1());
    intent.placement = object.value("e").toBool() ? RecordIntent::Placement::AtEnd
                                                  : RecordIntent::Placement::InPlace;
    intent.previousDetails = object.value("pd").toObject();
    if (object.contains("d")) {
        intent.details = object.value("d").toObject();
    }
    return intent;
}

QJsonObject stepToJson(const UndoStep& step) {
    QJsonArray made;
    for (const RecordIntent& intent : step.made) {
        made.append(intentToJson(intent));
    }
    return {{"f", static_cast<int>(step.file)},
            {"details", step.cause == RecordChange::Cause::Details},
            {"m", made}};
}

UndoStep stepFromJson(const QJsonObject& object) {
    UndoStep step;
    step.file = object.value("f").toInt() == 0 ? RecordFile::Yoyaku : RecordFile::User;
    step.cause = object.value("details").toBool() ? RecordChange::Cause::Details
                                                  : RecordChange::Cause::Written;
    for (const QJsonValue& intent : object.value("m").toArray()) {
        step.made.append(intentFromJson(intent.toObject()));
    }
    return step;
}

// The sequential ops of one made intent, made again or taken back.
void appendOps(const RecordIntent& intent, bool forward, QList<LineOp>& ops) {
    const auto insert = [&ops](qsizetype at, const QByteArray& line, const LineDetails& details) {
        ops.append({LineOp::Kind::Insert, at, line, details});
    };
    const auto remove = [&ops](qsizetype at, const QByteArray& line) {
        ops.append({LineOp::Kind::Remove, at, line, {}});
    };
    const qsizetype at = intent.position;
    switch (intent.kind) {
        case Kind::Add:
            forward ? insert(at, intent.line, enteredDetails(intent)) : remove(at, intent.line);
            return;
        case Kind::Remove:
            forward ? remove(at, intent.old) : insert(at, intent.old, intent.previousDetails);
            return;
        case Kind::Replace:
            // A line that went to the end is the file's last line when the intents after it have
            // been taken back.
            const qsizetype to = intent.placement == RecordIntent::Placement::AtEnd ? -1 : at;
            if (forward) {
                remove(at, intent.old);
                insert(to, intent.line, enteredDetails(intent));
            } else {
                remove(to, intent.line);
                insert(at, intent.old, intent.previousDetails);
            }
            return;
    }
}

}  // namespace

QString UndoStep::caption() const {
    return QString::fromUtf8(wordsOf(*this).caption);
}

QString UndoStep::doneText() const {
    return QString::fromUtf8(wordsOf(*this).done);
}

QList<std::pair<QByteArray, LineDetails>> UndoStep::removedLines() const {
    QList<std::pair<QByteArray, LineDetails>> lines;
    for (const RecordIntent& intent : made) {
        if (cause == RecordChange::Cause::Written && intent.kind == Kind::Remove) {
            lines.append({intent.old, intent.previousDetails});
        }
    }
    return lines;
}

QList<std::pair<QByteArray, LineDetails>> UndoStep::addedLines() const {
    QList<std::pair<QByteArray, LineDetails>> lines;
    for (const RecordIntent& intent : made) {
        if (cause == RecordChange::Cause::Written && intent.kind == Kind::Add) {
            lines.append({intent.line, enteredDetails(intent)});
        }
    }
    return lines;
}

QList<LineOp> opsOf(const UndoStep& step, bool forward) {
    QList<LineOp> ops;
    if (forward) {
        for (const RecordIntent& intent : step.made) {
            appendOps(intent, true, ops);
        }
    } else {
        for (auto intent = step.made.crbegin(); intent != step.made.crend(); ++intent) {
            appendOps(*intent, false, ops);
        }
    }
    return ops;
}

std::optional<QList<RecordIntent>> intentsOfOps(const QByteArrayList& before,
                                                const QList<LineOp>& ops) {
    // Each line of the list as the ops leave it: its place in `before` (0 and up), or the
    // entered line -1 - k of `entered`.
    QList<qsizetype> now(before.size());
    std::iota(now.begin(), now.end(), 0);
    QList<const LineOp*> entered;
    QList<RecordIntent> intents;
    for (const LineOp& op : ops) {
        const bool inserts = op.kind == LineOp::Kind::Insert;
        const qsizetype at = op.position >= 0 ? op.position : now.size() - (inserts ? 0 : 1);
        if (at < 0 || at > now.size() || (!inserts && at == now.size())) {
            return std::nullopt;
        }
        if (inserts) {
            now.insert(at, -1 - entered.size());
            entered.append(&op);
            continue;
        }
        const qsizetype tag = now.at(at);
        if ((tag >= 0 ? before.at(tag) : entered.at(-1 - tag)->line) != op.line) {
            return std::nullopt;
        }
        if (tag >= 0) {
            intents.append(RecordIntent::remove(tag, op.line));
        } else {
            entered[-1 - tag] = nullptr;
        }
        now.removeAt(at);
    }
    // The entered lines, in the order they stand, each before the line of `before` that follows
    // it: the owner puts lines added at one place in the order given.
    QList<RecordIntent> additions;
    qsizetype next = -1;
    for (qsizetype at = now.size() - 1; at >= 0; --at) {
        const qsizetype tag = now.at(at);
        if (tag >= 0) {
            next = tag;
        } else if (const LineOp* op = entered.at(-1 - tag)) {
            additions.append(RecordIntent::insert(next, op->line, op->details));
        }
    }
    std::reverse(additions.begin(), additions.end());
    return intents + additions;
}

UndoHistory::UndoHistory(RecordLists& lists) : lists_(lists) {
    connect(&lists_, &RecordLists::changed, this, &UndoHistory::follow);
}

QByteArray UndoHistory::fingerprintOf(RecordFile file) const {
    // Eight bytes at a time, so that a file of years of bookings costs a few milliseconds.
    const QByteArrayList& lines = lists_.lines(file);
    quint64 hash = 0x9e3779b97f4a7c15ULL;
    const auto mix = [&hash](quint64 word) {
        hash = (hash ^ word) * 0xff51afd7ed558ccdULL;
        hash ^= hash >> 29;
    };
    for (const QByteArray& line : lines) {
        const char* data = line.constData();
        qsizetype left = line.size();
        for (; left >= 8; left -= 8, data += 8) {
            mix(qFromLittleEndian<quint64>(data));
        }
        quint64 tail = quint64(line.size()) << 56;
        for (qsizetype at = 0; at < left; ++at) {
            tail |= quint64(static_cast<uchar>(data[at])) << (8 * at);
        }
        mix(tail);
    }
    return QByteArray::number(lines.size()) + ':' + QByteArray::number(hash, 16);
}

QByteArray& UndoHistory::printSlot(RecordFile file) {
    return file == RecordFile::Yoyaku ? yoyakuPrint_ : userPrint_;
}

QByteArray UndoHistory::printOf(RecordFile file) {
    QByteArray& print = printSlot(file);
    if (print.isEmpty()) {
        print = fingerprintOf(file);
    }
    return print;
}

void UndoHistory::follow(const RecordChange& change) {
    // Taken again when the history is next saved.
    if (change.cause != RecordChange::Cause::Details) {
        printSlot(change.file).clear();
    }
    if (change.cause == RecordChange::Cause::Loaded) {
        return;
    }
    if (applying_) {
        return;
    }
    if (change.made.isEmpty()) {
        if (change.cause == RecordChange::Cause::Written) {
            save();
        }
        return;
    }
    steps_.resize(done_);
    steps_.append({change.file, change.cause, change.made});
    if (steps_.size() > Kept) {
        steps_.remove(0, steps_.size() - Kept);
    }
    done_ = steps_.size();
    save();
    emit historyChanged();
    emit stepApplied(steps_.last(), true);
}

bool UndoHistory::undo() {
    if (!canUndo() || !apply(nextUndo(), false)) {
        return false;
    }
    --done_;
    save();
    emit historyChanged();
    emit stepApplied(steps_.at(done_), false);
    return true;
}

bool UndoHistory::redo() {
    if (!canRedo() || !apply(nextRedo(), true)) {
        return false;
    }
    ++done_;
    save();
    emit historyChanged();
    emit stepApplied(steps_.at(done_ - 1), true);
    return true;
}

bool UndoHistory::apply(const UndoStep& step, bool forward) {
    applying_ = true;
    const auto applied = qScopeGuard([this] { applying_ = false; });
    if (step.cause == RecordChange::Cause::Details) {
        const RecordIntent& intent = step.made.first();
        const QByteArrayList& lines = lists_.lines(step.file);
        if (intent.position >= lines.size() || lines.at(intent.position) != intent.line) {
            return false;
        }
        lists_.setDetails(
            step.file, intent.position, intent.line,
            forward ? intent.details.value_or(LineDetails()) : intent.previousDetails);
        return true;
    }
    const std::optional<QList<RecordIntent>> intents =
        intentsOfOps(lists_.lines(step.file), opsOf(step, forward));
    return intents && lists_.change(step.file, *intents, IntentMatch::Exact);
}

void UndoHistory::save() {
    QJsonArray steps;
    for (const UndoStep& step : std::as_const(steps_)) {
        steps.append(stepToJson(step));
    }
    const QJsonObject kept{{"steps", steps},
                           {"done", done_},
                           {"yoyaku", QString::fromLatin1(printOf(RecordFile::Yoyaku))},
                           {"user", QString::fromLatin1(printOf(RecordFile::User))}};
    // Kept for this run only when the store cannot take it.
    lists_.keepSetting(SettingName, QJsonDocument(kept).toJson(QJsonDocument::Compact));
}

void UndoHistory::load() {
    steps_.clear();
    done_ = 0;
    const QJsonObject kept =
        QJsonDocument::fromJson(lists_.setting(SettingName).value_or(QByteArray())).object();
    const QJsonArray steps = kept.value("steps").toArray();
    // The files are looked at only when there are steps that expect them.
    if (!steps.isEmpty() &&
        kept.value("yoyaku").toString().toLatin1() == printOf(RecordFile::Yoyaku) &&
        kept.value("user").toString().toLatin1() == printOf(RecordFile::User)) {
        for (const QJsonValue& step : steps) {
            steps_.append(stepFromJson(step.toObject()));
        }
        done_ = std::clamp<qsizetype>(kept.value("done").toInteger(), 0, steps_.size());
    }
    emit historyChanged();
}

void UndoHistory::clear() {
    steps_.clear();
    done_ = 0;
    save();
    emit historyChanged();
}

}  // namespace records
