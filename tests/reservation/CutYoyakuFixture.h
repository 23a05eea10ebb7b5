#pragma once

#include "records/RecordLists.h"
#include "reservation/uCutYoyaku.h"
#include "tests/support/DialogFields.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QPoint>
#include <QTemporaryDir>
#include <functional>
#include <optional>

namespace testing_support {

// The clock of every reservation test: Tuesday 2026-12-08 10:30, so the week starts on
// Sunday 2026-12-06 and the table cell (3, 2) is Tuesday at 9 o'clock.
QDateTime testNow();
inline const QPoint TuesdayAtNine(3, 2);

// A reservation line: the given slot and names, every other field the empty-field mark unless
// `overrides` (record position, UTF-8 text) says otherwise.
QByteArray reservationLine(const char* day, const char* hour, const char* shimei,
                           const char* petName,
                           const std::vector<std::pair<int, const char*>>& overrides = {});

// What the dialog shows typed in: a question answered いいえ must bring all of it back.
struct Typed {
    PageState page;
    QStringList fields, checked;
    bool operator==(const Typed&) const = default;
};
Typed typedIn(const QWidget& dialog);

class CutYoyakuTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The reservation file and YoyakuList both hold `lines`.
    void givenReservations(const QByteArrayList& lines);
    // The customer file and UserList both hold `lines`.
    void givenCustomers(const QByteArrayList& lines);
    // Runs the command with the dialog driven by `drive`; the visit tells whether it appeared.
    std::shared_ptr<ModalVisit> run(std::optional<QPoint> cell,
                                    const std::function<void(TfmCutYoyaku&)>& drive);
    QByteArray fileBytes() const;

    QTemporaryDir folder;
    QString path;
    THonjitu honjitu;
    records::RecordLists lists{honjitu, folder.path()};
};

}  // namespace testing_support
