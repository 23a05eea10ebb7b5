#include "records/IntentPlan.h"

#include <QSet>

#include <algorithm>

namespace records {
namespace {

using Step = KeyChange::Step;

// How many of `lines` before `end` equal `line`.
int countEqual(const QByteArrayList& lines, const QByteArray& line, qsizetype end) {
    return static_cast<int>(std::count(lines.cbegin(), lines.cbegin() + end, line));
}

// The place in `before` of each replace and remove: the one the caller gave while it still holds
// the old bytes, else the first equal line no other intent took; -1 when the line is gone.
// An exact match takes only the place the caller gave.
QList<qsizetype> placesOf(const QByteArrayList& before, const QList<RecordIntent>& intents,
                          IntentMatch match) {
    QList<qsizetype> places;
    QSet<qsizetype> taken;
    for (const RecordIntent& intent : intents) {
        qsizetype place = -1;
        if (intent.kind != RecordIntent::Kind::Add) {
            if (intent.position >= 0 && intent.position < before.size() &&
                before.at(intent.position) == intent.old && !taken.contains(intent.position)) {
                place = intent.position;
            } else if (match == IntentMatch::ByBytes) {
                for (qsizetype at = 0; at < before.size() && place < 0; ++at) {
                    if (before.at(at) == intent.old && !taken.contains(at)) {
                        place = at;
                    }
                }
            }
            if (place >= 0) {
                taken.insert(place);
            }
        }
        places.append(place);
    }
    return places;
}

// Makes the intents one after the other on a copy of the list, keeping where each line of the
// list before now stands.
class Planner {
public:
    Planner(const QByteArrayList& before, RecordFile file, bool withKeys)
        : lines_(before), withKeys_(withKeys) {
        plan_.keys.file = file;
    }

    // At the end, or before the line at `place` in the list before.
    void add(const RecordIntent& intent, qsizetype place) {
        const qsizetype at = place < 0 ? lines_.size() : nowAt(place);
        if (place >= 0) {
            added_.insert(std::upper_bound(added_.begin(), added_.end(), place), place);
        }
        enter(intent.line, at, intent.details.value_or(LineDetails()));
        lines_.insert(at, intent.line);
        plan_.made.append(RecordIntent::add(intent.line, intent.details));
        plan_.made.last().position = at;
    }

    void remove(const RecordIntent& intent, qsizetype place) {
        const qsizetype at = leave(place);
        lines_.removeAt(at);
        plan_.made.append(RecordIntent::remove(at, intent.old));
    }

    void replace(const RecordIntent& intent, qsizetype place) {
        const bool inPlace = intent.placement == RecordIntent::Placement::InPlace;
        const qsizetype at = leave(place);
        lines_.removeAt(at);
        const qsizetype to = inPlace ? at : lines_.size();
        enter(intent.line, to, intent.details);
        lines_.insert(to, intent.line);
        RecordIntent made = intent;
        made.position = at;
        plan_.made.append(made);
    }

    IntentPlan finish() {
        if (withKeys_) {
            for (const Step& step : std::as_const(plan_.keys.steps)) {
                const auto counted = std::find_if(
                    plan_.keys.identicalAfter.cbegin(), plan_.keys.identicalAfter.cend(),
                    [&step](const auto& entry) { return entry.first == step.line; });
                if (counted == plan_.keys.identicalAfter.cend()) {
                    plan_.keys.identicalAfter.append(
                        {step.line, countEqual(lines_, step.line, lines_.size())});
                }
            }
        }
        plan_.lines = std::move(lines_);
        return std::move(plan_);
    }

private:
    // Where the line that stood at `place` in the list before stands now.
    qsizetype nowAt(qsizetype place) const {
        return place - (std::lower_bound(gone_.cbegin(), gone_.cend(), place) - gone_.cbegin()) +
               (std::upper_bound(added_.cbegin(), added_.cend(), place) - added_.cbegin());
    }

    // Where the line that stood at `place` in the list before stands now, once it leaves.
    qsizetype leave(qsizetype place) {
        const qsizetype at = nowAt(place);
        gone_.insert(std::lower_bound(gone_.begin(), gone_.end(), place), place);
        if (withKeys_) {
            const QByteArray& line = lines_.at(at);
            Step step;
            step.kind = Step::Kind::Leave;
            step.line = line;
            step.occurrence = countEqual(lines_, line, at);
            step.identicalBefore = countEqual(lines_, line, lines_.size());
            plan_.keys.steps.append(step);
        }
        return at;
    }

    void enter(const QByteArray& line, qsizetype at, const std::optional<LineDetails>& details) {
        if (withKeys_) {
            Step step;
            step.kind = Step::Kind::Enter;
            step.line = line;
            step.occurrence = countEqual(lines_, line, at);
            step.details = details;
            plan_.keys.steps.append(step);
        }
    }

    QByteArrayList lines_;
    bool withKeys_;
    // The places in the list before of the lines that left and of those added before them, in
    // order, so that a later intent's place can be found in the list as it is now.
    QList<qsizetype> gone_;
    QList<qsizetype> added_;
    IntentPlan plan_;
};

// A single addition needs no copy of the list: the file takes an append.
IntentPlan planAppend(const QByteArrayList& before, RecordFile file, const RecordIntent& intent,
                      bool withKeys) {
    IntentPlan plan;
    plan.appendsOnly = true;
    plan.made.append(intent);
    plan.made.last().position = before.size();
    plan.keys.file = file;
    if (withKeys) {
        const int identical = countEqual(before, intent.line, before.size());
        Step step;
        step.kind = Step::Kind::Enter;
        step.line = intent.line;
        step.occurrence = identical;
        step.details = intent.details.value_or(LineDetails());
        plan.keys.steps.append(step);
        plan.keys.identicalAfter.append({intent.line, identical + 1});
    }
    return plan;
}

bool isAppend(const RecordIntent& intent, qsizetype size) {
    return intent.kind == RecordIntent::Kind::Add &&
           (intent.position < 0 || intent.position == size);
}

}  // namespace

IntentPlan planIntents(const QByteArrayList& before, RecordFile file,
                       const QList<RecordIntent>& intents, bool withKeys, IntentMatch match) {
    if (intents.size() == 1 && isAppend(intents.first(), before.size())) {
        return planAppend(before, file, intents.first(), withKeys);
    }
    const QList<qsizetype> places = placesOf(before, intents, match);
    Planner planner(before, file, withKeys);
    for (qsizetype i = 0; i < intents.size(); ++i) {
        const RecordIntent& intent = intents.at(i);
        const qsizetype place = places.at(i);
        const bool isAdd = intent.kind == RecordIntent::Kind::Add;
        const bool gone = !isAdd && place < 0;
        if (match == IntentMatch::Exact && (gone || (isAdd && intent.position > before.size()))) {
            IntentPlan refused;
            refused.refused = true;
            return refused;
        }
        if (isAdd) {
            planner.add(intent, intent.position < before.size() ? intent.position : -1);
        } else if (gone && intent.kind == RecordIntent::Kind::Replace &&
                   intent.placement == RecordIntent::Placement::AtEnd) {
            // What the user typed is kept even when the line it replaces is gone.
            planner.add(intent, -1);
        } else if (gone) {
            continue;
        } else if (intent.kind == RecordIntent::Kind::Remove) {
            planner.remove(intent, place);
        } else {
            planner.replace(intent, place);
        }
    }
    return planner.finish();
}

}  // namespace records
