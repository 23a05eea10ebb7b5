#pragma once

#include "mainwindow/FormPlacement.h"
#include "mainwindow/uMain.h"
#include "records/Karte.h"
#include "tests/support/Files.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QTemporaryDir>
#include <memory>

namespace testing_support {

// Wednesday 9 December 2026, 10:30.
inline const QDateTime FixedNow(QDate(2026, 12, 9), QTime(10, 30));

// One reservation line, UTF-8 texts in, Shift-JIS line out.
QByteArray reservationLine(const char* nen, const char* tuki, const char* niti, const char* jikan,
                           const char* shimei, const char* petName);
// One customer line: pet, kind, owner, reading, address parts and telephone numbers.
QByteArray customerLine(const char* petName, const char* shu, const char* shimei,
                        const char* furigana, const char* jyusho = "", const char* tuzuki = "",
                        const char* telephone = "", const char* mobil = "");

// `placement` as the window takes it at start-up: kept inside the primary screen's available area.
mainwindow::Placement keptOnScreen(const mainwindow::Placement& placement);

// Clicks the customer at `index` of the list page, scrolled into view, and double-clicks it.
void doubleClickCustomer(mainwindow::TUserListView& list, int index);

// What the program holds and shows, and what the files hold: what a failed write must leave as
// it was, and what a fresh start on the same files shows.
struct Seen {
    QByteArray userBytes, yoyakuBytes;
    QByteArrayList userList, yoyakuList;
    QStringList page, table;
};
Seen seenIn(TfmMain& window);
void expectSame(const Seen& after, const Seen& before);

// The customer at `position` given a カルテ with `flags` and, when `rabiesValidUntil` is a date, a
// rabies shot protecting up to that day; its other details kept.
void giveKarte(records::RecordLists& lists, qsizetype position,
               std::initializer_list<records::karte::Flag> flags, QDate rabiesValidUntil = {});

// A record folder of its own and a clock standing at FixedNow.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString& name) const { return folder.filePath(name); }
    QString userFile() const;
    QString yoyakuFile() const;
    QString iniFile() const { return path(QStringLiteral("trimbook.ini")); }
    void writeUsers(const QByteArrayList& lines) const;
    void writeReservations(const QByteArrayList& lines) const;
    std::unique_ptr<TfmMain> openWindow() const;
    void setNow(const QDateTime& now);

    QTemporaryDir folder;
};

}  // namespace testing_support
