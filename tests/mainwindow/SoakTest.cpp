// A seeded random walk of user operations through the real windows. After every operation the
// two record files, the in-memory lists, the customer list page and the weekly table must agree.
// TRIMBOOK_SOAK_STEPS and TRIMBOOK_SOAK_SEED replay a walk; every step is printed before it runs,
// so a crash or a hang shows where it happened too.
#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/Clock.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"
#include "records/TelephoneDigits.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PlainWeek.h"
#include "tests/support/Typing.h"
#include "tools/RecordGenerator.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cstdio>

using namespace testing_support;
using mainwindow::TYoyakuGrid;

namespace {

namespace reservation_record = records::reservation_record;

// What ctest runs: a walk that takes well under a minute in the normal build.
constexpr int DefaultSteps = 1000;
constexpr quint32 DefaultSeed = 20261209;

quint32 fromEnvironment(const char* name, quint32 fallback) {
    bool ok = false;
    const uint value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

const char* const UpdateCaption = "更新";

// Typed texts, including the characters the record format has to guard against: half-width
// spaces, quotes and commas, and double-byte characters whose second byte is a backslash.
const char* const Words[] = {"山田",  "ポチ", "さくら", "Max",  "表参道", "ソラ", "a b",
                             "\"x\"", "1,2",  "ｱｲ",     "能登", "予約",   "７"};
const char* const SearchFields[] = {"edtFurigana", "edtShimei", "edtTelephoneNo", "edtPetName"};
const char* const Kinds[] = {"rdoDog", "rdoCat", "rdoSonota"};
const char* const Shampoos[] = {"rdoShamMotikomi", "rdoShamRegyura", "rdoShamSonota"};
const char* const Styles[] = {"rdoStyleBarikan", "rdoStylePoohDol", "rdoStyleMonpe",
                              "rdoStyleSonota"};
const char* const ReservationEdits[] = {"edtFurigana",     "edtYubin",       "edtJyusho",
                                        "edtJyushoTuzuki", "edtTelephoneNo", "edtMobilPhoneNo",
                                        "edtShuNado"};
const char* const CustomerEdits[] = {"edtShuNado",     "edtFurigana",     "edtYubin",
                                     "edtJyusho",      "edtJyushoTuzuki", "edtTelephoneNo",
                                     "edtMobilPhoneNo"};

class SoakTest : public MainWindowTest {
protected:
    struct Operation {
        const char* name;
        void (SoakTest::*run)();
        int weight;
    };

    void SetUp() override;
    void walk(int steps);

    // The operations of the walk.
    void book();
    void page();
    void update();
    void deleteReservation();
    void cancel();
    void lookUp();
    void addCustomer();
    void changeCustomer();
    void deleteCustomer();
    void weekNext() { window_->actYoyakuWeekNext->trigger(); }
    void weekBack() { window_->actYoyakuWeekBack->trigger(); }
    void weekNow() { window_->actYoyakuWeekNow->trigger(); }
    void selectCell();
    void clickCell(const QPoint& cell);
    void timePasses();

    // Runs the reservation command from the table cell, or from the list page (the slot is
    // then now), with `drive` working the dialog.
    void runReservationDialog(std::optional<QPoint> cell,
                              const std::function<void(QWidget&)>& drive);
    void runCustomerDialog(const std::function<void()>& open,
                           const std::function<void(QWidget&)>& drive);
    // Checks a modal window that the operation expected: it appeared and was closed by the
    // operation, not by the watchdog.
    void expectVisited(const std::shared_ptr<ModalVisit>& visit, const char* what);
    void expectAnswered(const ModalVisits& visits, const char* what);

    std::optional<QPoint> randomCell();
    std::optional<QPoint> bookedCell();
    void goToPage(QWidget& dialog, int pages);
    void goToExistingPage(QWidget& dialog, int pages);
    void fillReservation(QWidget& dialog);
    void typeOddSlot(QWidget& dialog);
    void completeRequired(QWidget& dialog);
    void pressOk(QWidget& dialog);
    void closeWithoutOk(QWidget& dialog);
    void fillCustomer(QWidget& dialog);
    void finishCustomer(QWidget& dialog);
    void chooseCustomer(QWidget& picker);
    void showCustomerList();
    QString randomWords();
    // Whether Enter in the search field `field` holding `text` finds a customer, so that the
    // picker is to appear: a customer line holds the text, or, from the telephone field, a
    // customer's number holds its digits.
    bool findsACustomer(const char* field, const QString& text) const;
    int below(int bound) { return int(random_.bounded(quint32(bound))); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(int(N))];
    }

    // The agreement that must hold after every operation.
    void expectAgreement();
    void expectFileHolds(const QString& path, const QByteArrayList& lines, const char* list);
    void expectCustomerPage();
    void expectWeeklyTable();

    quint32 seed_ = DefaultSeed;
    QRandomGenerator random_;
    std::unique_ptr<TfmMain> window_;
    QDateTime now_ = FixedNow;
    QString detail_;  // what the current operation chose, for the failure report
};

void SoakTest::SetUp() {
    MainWindowTest::SetUp();
    seed_ = fromEnvironment("TRIMBOOK_SOAK_SEED", DefaultSeed);
    random_.seed(seed_);
    // A modest register and a few busy days around today, so that most slots of the week shown
    // have several pages.
    const generator::Records records = generator::generate({.customers = 30,
                                                            .reservations = 150,
                                                            .lastDay = FixedNow.date().addDays(3),
                                                            .seed = seed_});
    // Lines a hand edit may leave, among them short ones in the busiest slots of the week.
    const QByteArray handEdits[] = {"", "2026\t12\t09", "2026\t12\t09\t10",
                                    "2026\t12\t10\t17\t00\tx", "2026\t13\t01\t10\t00\tx\ty"};
    QByteArrayList reservations = records.reservationLines;
    for (const QByteArray& line : handEdits) {
        reservations.insert(below(int(reservations.size()) + 1), line);
    }
    QByteArrayList customers = records.customerLines;
    customers.insert(below(int(customers.size()) + 1), QByteArray());
    writeUsers(customers);
    writeReservations(reservations);
    window_ = openWindow();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void SoakTest::walk(int steps) {
    const Operation operations[] = {
        {"book", &SoakTest::book, 6},
        {"page", &SoakTest::page, 3},
        {"update", &SoakTest::update, 4},
        {"delete reservation", &SoakTest::deleteReservation, 3},
        {"cancel", &SoakTest::cancel, 2},
        {"look up", &SoakTest::lookUp, 4},
        {"add customer", &SoakTest::addCustomer, 3},
        {"change customer", &SoakTest::changeCustomer, 3},
        {"delete customer", &SoakTest::deleteCustomer, 2},
        {"next week", &SoakTest::weekNext, 2},
        {"previous week", &SoakTest::weekBack, 2},
        {"this week", &SoakTest::weekNow, 2},
        {"select cell", &SoakTest::selectCell, 2},
        {"time passes", &SoakTest::timePasses, 1},
    };
    int totalWeight = 0;
    for (const Operation& operation : operations) {
        totalWeight += operation.weight;
    }
    std::printf("soak: seed %u, %d steps\n", seed_, steps);
    QElapsedTimer timer;
    timer.start();
    for (int step = 1; step <= steps; ++step) {
        int drawn = below(totalWeight);
        const Operation* operation = operations;
        while (drawn >= operation->weight) {
            drawn -= operation->weight;
            ++operation;
        }
        std::printf("step %d: %s\n", step, operation->name);
        std::fflush(stdout);
        detail_.clear();
        (this->*operation->run)();
        if (!detail_.isEmpty()) {
            std::printf("  %s\n", qPrintable(detail_));
        }
        expectAgreement();
        if (HasFailure()) {
            ADD_FAILURE() << "replay with TRIMBOOK_SOAK_SEED=" << seed_
                          << " TRIMBOOK_SOAK_STEPS=" << step << ": step " << step << ", "
                          << operation->name << " " << detail_.toStdString();
            return;
        }
    }
    std::printf("soak: %d steps in %lld ms; %lld reservations, %lld customers\n", steps,
                static_cast<long long>(timer.elapsed()),
                static_cast<long long>(window_->honjitu().YoyakuList.size()),
                static_cast<long long>(window_->honjitu().UserList.size()));
}

// ---- the reservation dialog ----

void SoakTest::runReservationDialog(std::optional<QPoint> cell,
                                    const std::function<void(QWidget&)>& drive) {
    TYoyakuGrid* grid = window_->yoyakuGrid();
    if (cell) {
        clickCell(*cell);
        // The window becomes active again only some time after a dialog has closed.
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->hasFocus(); }, 1000))
            << "the table must have the focus to give its cell";
    } else {
        window_->actUserItiran->trigger();
        detail_ += QStringLiteral("now ");
    }
    auto visit = onNextModal([drive](QWidget* dialog) { drive(*dialog); });
    window_->actYoyakuDialogShow->trigger();
    expectVisited(visit, "reservation dialog");
}

std::optional<QPoint> SoakTest::randomCell() {
    if (chance(15)) {
        return std::nullopt;
    }
    return QPoint(1 + below(TYoyakuGrid::ColumnCount - 1), 1 + below(TYoyakuGrid::RowCount - 1));
}

// A cell of the week shown that holds a reservation, when there is one.
std::optional<QPoint> SoakTest::bookedCell() {
    const TYoyakuGrid& grid = *window_->yoyakuGrid();
    QList<QPoint> booked;
    for (int column = 1; column < TYoyakuGrid::ColumnCount; ++column) {
        for (int row = 1; row < TYoyakuGrid::RowCount; ++row) {
            if (!grid.cellText(column, row).isEmpty()) {
                booked.append(QPoint(column, row));
            }
        }
    }
    return booked.isEmpty() ? randomCell() : std::optional(booked.at(below(int(booked.size()))));
}

// Steps with >> to page `pages` + 1, or as far as there are pages.
void SoakTest::goToPage(QWidget& dialog, int pages) {
    for (int i = 0; i < pages && button(dialog, "btnNextPage")->isEnabled(); ++i) {
        click(dialog, "btnNextPage");
    }
    detail_ += QStringLiteral("on %1 ").arg(dialog.windowTitle());
}

// Like goToPage, but stays on the slot's reservations.
void SoakTest::goToExistingPage(QWidget& dialog, int pages) {
    for (int i = 0; i < pages && button(dialog, "btnNextPage")->isEnabled(); ++i) {
        click(dialog, "btnNextPage");
        if (button(dialog, "Button1")->text() != QString::fromUtf8(UpdateCaption)) {
            click(dialog, "btnBackPage");
            break;
        }
    }
    detail_ += QStringLiteral("on %1 ").arg(dialog.windowTitle());
}

void SoakTest::fillReservation(QWidget& dialog) {
    setFieldText(dialog, "edtYoyakuHun", QString::number(below(4) * 15).rightJustified(2, '0'));
    typeText(dialog.findChild<QWidget*>(QStringLiteral("edtShimei")), randomWords());
    setFieldText(dialog, "edtPetName", randomWords());
    for (int i = below(3); i > 0; --i) {
        setFieldText(dialog, pick(ReservationEdits), chance(20) ? QString() : randomWords());
    }
    click(dialog, pick(Kinds));
    click(dialog, pick(Shampoos));
    click(dialog, pick(Styles));
    if (chance(40)) {
        click(dialog, "chbSonotaHigeCut");
    }
    if (chance(40)) {
        click(dialog, "chbSonotaTumekiri");
    }
    if (chance(30)) {
        setFieldText(dialog, "memoSonotaBikou",
                     randomWords() + QStringLiteral("\n") + randomWords());
    }
}

// Fills what OK requires and is still empty: the new page starts with no date or time.
void SoakTest::completeRequired(QWidget& dialog) {
    const QDate day = window_->honjitu().WeekStart.date().addDays(below(7));
    const std::pair<const char*, QString> required[] = {
        {"cbYoyakuNen", QString::number(day.year())},
        {"cbYoyakuTuki", day.toString(QStringLiteral("MM"))},
        {"cbYoyakuNiti", day.toString(QStringLiteral("dd"))},
        {"cbYoyakuJikan", QString::number(8 + below(17)).rightJustified(2, '0')},
        {"edtYoyakuHun", QStringLiteral("00")},
        {"edtShimei", randomWords()},
        {"edtPetName", randomWords()},
    };
    for (const auto& [name, text] : required) {
        if (fieldText(dialog, name).isEmpty()) {
            setFieldText(dialog, name, text);
        }
    }
}

// OK, now and then first refused for a missing minute.
void SoakTest::pressOk(QWidget& dialog) {
    if (chance(10)) {
        const QString minute = fieldText(dialog, "edtYoyakuHun");
        setFieldText(dialog, "edtYoyakuHun", QString());
        auto refusal = answerNextMessage(QMessageBox::Ok);
        click(dialog, "Button1");
        expectVisited(refusal, "refusal of OK");
        EXPECT_EQ(refusal->title, QStringLiteral("カット予約失敗"));
        EXPECT_TRUE(dialog.isVisible()) << "a refused OK keeps the dialog open";
        setFieldText(dialog, "edtYoyakuHun", minute);
    }
    completeRequired(dialog);
    detail_ += QStringLiteral("%1 ").arg(button(dialog, "Button1")->text());
    click(dialog, "Button1");
}

void SoakTest::closeWithoutOk(QWidget& dialog) {
    if (chance(50)) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
        click(dialog, "Button2");
    }
}

void SoakTest::book() {
    runReservationDialog(randomCell(), [this](QWidget& dialog) {
        if (button(dialog, "Button1")->text() == QString::fromUtf8(UpdateCaption)) {
            goToPage(dialog, 1000);  // the new page after the slot's reservations
        }
        fillReservation(dialog);
        if (chance(10)) {
            typeOddSlot(dialog);
        }
        pressOk(dialog);
    });
}

// The combo boxes take any text. OK refuses an hour that is not 0 to 24 and a date that does not
// exist, and takes hours the table has no row for and texts no cell's slot matches.
void SoakTest::typeOddSlot(QWidget& dialog) {
    const char* const refusedHours[] = {"25", "ab", "１０"};
    const char* const hours[] = {"7", "8", "00"};
    const char* const months[] = {"2", "12"};
    const char* const days[] = {"9", "01"};
    if (chance(50)) {
        setFieldText(dialog, "cbYoyakuJikan", QString::fromUtf8(pick(refusedHours)));
        completeRequired(dialog);
        auto refusal = answerNextMessage(QMessageBox::Ok);
        click(dialog, "Button1");
        expectVisited(refusal, "refusal of an impossible hour");
        EXPECT_TRUE(dialog.isVisible()) << "a refused OK keeps the dialog open";
    }
    setFieldText(dialog, "cbYoyakuJikan", QString::fromUtf8(pick(hours)));
    if (chance(50)) {
        setFieldText(dialog, "cbYoyakuTuki", QString::fromUtf8(pick(months)));
        setFieldText(dialog, "cbYoyakuNiti", QString::fromUtf8(pick(days)));
    }
    detail_ += QStringLiteral("slot typed %1/%2 %3 ")
                   .arg(fieldText(dialog, "cbYoyakuTuki"), fieldText(dialog, "cbYoyakuNiti"),
                        fieldText(dialog, "cbYoyakuJikan"));
}

// Some hours or a day later the user comes back to the current week.
void SoakTest::timePasses() {
    now_ = now_.addSecs(3600 * (1 + below(20)));
    setNow(now_);
    detail_ += now_.toString(Qt::ISODate);
    window_->actYoyakuWeekNow->trigger();
}

// Browses a slot's pages; the page count must be the slot's reservations in YoyakuList.
void SoakTest::page() {
    runReservationDialog(bookedCell(), [this](QWidget& dialog) {
        const reservation_record::TimeSlot slot{
            records::sjis::fromUnicode(fieldText(dialog, "cbYoyakuNen")).value(),
            records::sjis::fromUnicode(fieldText(dialog, "cbYoyakuTuki")).value(),
            records::sjis::fromUnicode(fieldText(dialog, "cbYoyakuNiti")).value(),
            records::sjis::fromUnicode(fieldText(dialog, "cbYoyakuJikan")).value()};
        const QByteArrayList& lines = window_->honjitu().YoyakuList;
        const auto pages = std::count_if(lines.begin(), lines.end(), [&](const QByteArray& line) {
            return reservation_record::isInSlot(line, slot);
        });
        const QString opened = lines.isEmpty() ? QStringLiteral("カット予約")
                               : pages == 0    ? QStringLiteral("カット予約(0/0)")
                                               : QStringLiteral("カット予約(1/%1)").arg(pages);
        EXPECT_EQ(dialog.windowTitle(), opened);
        for (int i = below(8); i > 0; --i) {
            const char* step = chance(65) ? "btnNextPage" : "btnBackPage";
            if (button(dialog, step)->isEnabled()) {
                click(dialog, step);
            }
        }
        detail_ += QStringLiteral("ended on %1 ").arg(dialog.windowTitle());
        closeWithoutOk(dialog);
    });
}

void SoakTest::update() {
    runReservationDialog(bookedCell(), [this](QWidget& dialog) {
        goToExistingPage(dialog, below(4));
        for (int i = 1 + below(3); i > 0; --i) {
            switch (below(4)) {
                case 0:
                    setFieldText(dialog, "edtPetName", randomWords());
                    break;
                case 1:
                    setFieldText(dialog, "memoSonotaBikou", randomWords());
                    break;
                case 2:
                    click(dialog, pick(Styles));
                    break;
                default:
                    click(dialog, "chbSonotaHigeCut");
                    break;
            }
        }
        pressOk(dialog);
    });
}

void SoakTest::deleteReservation() {
    runReservationDialog(bookedCell(), [this](QWidget& dialog) {
        goToExistingPage(dialog, below(4));
        if (!button(dialog, "btnDeletePage")->isEnabled()) {
            closeWithoutOk(dialog);
            return;
        }
        const bool yes = chance(75);
        detail_ += yes ? QStringLiteral("yes") : QStringLiteral("no");
        auto answers = answerMessages({yes ? QMessageBox::Yes : QMessageBox::No, QMessageBox::Ok});
        click(dialog, "btnDeletePage");
        expectAnswered(answers, "reservation deletion");
        if (dialog.isVisible()) {
            EXPECT_FALSE(yes) << "a confirmed deletion closes the dialog";
            closeWithoutOk(dialog);
        }
    });
}

void SoakTest::cancel() {
    runReservationDialog(randomCell(), [this](QWidget& dialog) {
        goToPage(dialog, below(3));
        if (chance(30)) {
            fillReservation(dialog);
        }
        closeWithoutOk(dialog);
    });
}

// Enter in a search field with part of a registered customer's text, then a choice in the
// picker (or Esc), then OK or cancel.
void SoakTest::lookUp() {
    runReservationDialog(bookedCell(), [this](QWidget& dialog) {
        goToPage(dialog, below(3));
        const QByteArrayList& users = window_->honjitu().UserList;
        QString text = randomWords();
        if (!users.isEmpty() && chance(80)) {
            const QStringList fields =
                records::sjis::toUnicode(
                    records::EmptyMarkDelete(users.at(below(int(users.size())))))
                    .split('\t');
            const QString field = fields.at(below(int(fields.size())));
            const int from = below(int(field.size()) + 1);
            text = field.mid(from, 1 + below(4));
        }
        const char* name = pick(SearchFields);
        detail_ += QStringLiteral("%1 \"%2\" ").arg(QLatin1String(name), text);
        QWidget* field = dialog.findChild<QWidget*>(QLatin1String(name));
        setFieldText(dialog, name, QString());
        typeText(field, text);
        std::shared_ptr<ModalVisit> picker;
        if (findsACustomer(name, text)) {
            picker = onNextModal([this](QWidget* window) { chooseCustomer(*window); });
        }
        QTest::keyClick(field, Qt::Key_Return);
        if (picker) {
            expectVisited(picker, "customer picker");
        }
        if (chance(60)) {
            pressOk(dialog);
        } else {
            closeWithoutOk(dialog);
        }
    });
}

bool SoakTest::findsACustomer(const char* field, const QString& text) const {
    const std::optional<QByteArray> needle = records::sjis::fromUnicode(text);
    if (!needle) {
        return false;
    }
    const QByteArrayList& users = window_->honjitu().UserList;
    const auto anyUser = [&users](const auto& matches) {
        return std::any_of(users.begin(), users.end(), matches);
    };
    if (anyUser(
            [&needle](const QByteArray& line) { return records::sjis::contains(line, *needle); })) {
        return true;
    }
    const records::telephone::TelephoneQuery number(*needle);
    return qstrcmp(field, "edtTelephoneNo") == 0 && number.isNumber() &&
           anyUser([&number](const QByteArray& line) {
               return number.matchesCustomer(records::splitFields(line));
           });
}

void SoakTest::chooseCustomer(QWidget& picker) {
    auto* list = picker.findChild<QListWidget*>(QStringLiteral("ListBoxUserList"));
    // An offscreen window never becomes active, so the focus it would get comes by hand.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(list, &focusIn);
    if (list->count() == 0 || chance(20)) {
        QTest::keyClick(list, Qt::Key_Escape);
        return;
    }
    for (int i = below(std::min(list->count(), 3)); i >= 0; --i) {
        QTest::keyClick(list, Qt::Key_Down);
    }
    QTest::keyClick(list, Qt::Key_Return);
}

// ---- customers ----

void SoakTest::showCustomerList() {
    window_->actUserItiran->trigger();
    if (chance(30)) {
        (chance(50) ? window_->actUserReport : window_->actUserIcon)->trigger();
    }
}

void SoakTest::runCustomerDialog(const std::function<void()>& open,
                                 const std::function<void(QWidget&)>& drive) {
    auto visit = onNextModal([drive](QWidget* dialog) { drive(*dialog); });
    open();
    expectVisited(visit, "registration dialog");
}

void SoakTest::fillCustomer(QWidget& dialog) {
    if (chance(90)) {
        typeText(dialog.findChild<QWidget*>(QStringLiteral("edtPetName")), randomWords());
    }
    if (chance(90)) {
        setFieldText(dialog, "edtShimei", randomWords());
    }
    for (int i = below(4); i > 0; --i) {
        setFieldText(dialog, pick(CustomerEdits), chance(20) ? QString() : randomWords());
    }
    if (chance(80)) {
        click(dialog, pick(Kinds));
    }
}

// OK, first refused while both names are empty; or cancel.
void SoakTest::finishCustomer(QWidget& dialog) {
    if (chance(15)) {
        closeWithoutOk(dialog);
        return;
    }
    if (fieldText(dialog, "edtShimei").isEmpty() && fieldText(dialog, "edtPetName").isEmpty()) {
        auto refusal = answerNextMessage(QMessageBox::Ok);
        click(dialog, "Button1");
        expectVisited(refusal, "refusal of OK");
        EXPECT_EQ(refusal->title, QStringLiteral("お客様登録失敗"));
        setFieldText(dialog, "edtPetName", randomWords());
    }
    click(dialog, "Button1");
}

void SoakTest::addCustomer() {
    runCustomerDialog([this] { window_->actUserTouroku->trigger(); },
                      [this](QWidget& dialog) {
                          if (chance(90)) {
                              fillCustomer(dialog);
                          }
                          finishCustomer(dialog);
                      });
}

void SoakTest::changeCustomer() {
    const int count = int(window_->honjitu().UserList.size());
    showCustomerList();
    const int index = count == 0 ? -1 : below(count);
    detail_ += QStringLiteral("customer %1 ").arg(index);
    runCustomerDialog(
        [this, index] {
            if (index < 0) {
                window_->actUserTouroku->trigger();
            } else {
                doubleClickCustomer(*window_->userListView(), index);
            }
        },
        [this](QWidget& dialog) {
            for (int i = 1 + below(3); i > 0; --i) {
                const char* name = chance(30) ? "edtPetName" : pick(CustomerEdits);
                setFieldText(dialog, name, randomWords());
            }
            if (chance(30)) {
                click(dialog, pick(Kinds));
            }
            finishCustomer(dialog);
        });
}

void SoakTest::deleteCustomer() {
    const int count = int(window_->honjitu().UserList.size());
    if (count == 0) {
        return;
    }
    showCustomerList();
    const int index = below(count);
    const bool yes = chance(75);
    detail_ += QStringLiteral("customer %1 %2").arg(index).arg(yes ? "yes" : "no");
    mainwindow::TUserListView& list = *window_->userListView();
    list.selectIndex(index);
    auto answers = answerMessages({yes ? QMessageBox::Yes : QMessageBox::No, QMessageBox::Ok});
    QTest::keyClick(list.currentWidget(), Qt::Key_Delete);
    expectAnswered(answers, "customer deletion");
}

// ---- the table ----

void SoakTest::selectCell() {
    clickCell(
        QPoint(1 + below(TYoyakuGrid::ColumnCount - 1), 1 + below(TYoyakuGrid::RowCount - 1)));
}

// A click on a day cell of the table, which becomes the current cell.
void SoakTest::clickCell(const QPoint& cell) {
    window_->actYoteihyouHyouji->trigger();
    TYoyakuGrid& grid = *window_->yoyakuGrid();
    detail_ += QStringLiteral("cell (%1, %2) ").arg(cell.x()).arg(cell.y());
    const QModelIndex index = grid.model()->index(cell.y() - 1, cell.x() - 1);
    grid.scrollTo(index);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
    EXPECT_EQ(QPoint(grid.currentColumn(), grid.currentRow()), cell);
}

QString SoakTest::randomWords() {
    QString text;
    for (int i = 1 + below(2); i > 0; --i) {
        text += QString::fromUtf8(pick(Words));
    }
    return text;
}

void SoakTest::expectVisited(const std::shared_ptr<ModalVisit>& visit, const char* what) {
    EXPECT_TRUE(visit->appeared) << what << " did not appear";
    EXPECT_FALSE(visit->closedByWatchdog) << what << " was left open";
}

void SoakTest::expectAnswered(const ModalVisits& visits, const char* what) {
    for (const auto& visit : *visits) {
        ASSERT_TRUE(visit) << what << ": a message did not appear";
        expectVisited(visit, what);
    }
}

// ---- the agreement ----

void SoakTest::expectAgreement() {
    const THonjitu& honjitu = window_->honjitu();
    expectFileHolds(yoyakuFile(), honjitu.YoyakuList, "YoyakuList");
    expectFileHolds(userFile(), honjitu.UserList, "UserList");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a window was left open";
    expectCustomerPage();
    expectWeeklyTable();
}

// The first line where file and list part, rather than two whole files.
void SoakTest::expectFileHolds(const QString& path, const QByteArrayList& lines, const char* list) {
    const QByteArray bytes = readBytes(path);
    if (bytes == fileOf(lines)) {
        return;
    }
    qsizetype line = 0;
    qsizetype at = 0;
    while (line < lines.size() && bytes.mid(at, lines[line].size() + 2) == lines[line] + "\r\n") {
        at += lines[line++].size() + 2;
    }
    const QByteArray inFile = bytes.mid(at, bytes.indexOf('\n', at) + 1 - at);
    ADD_FAILURE() << QFileInfo(path).fileName().toStdString() << " differs from " << list
                  << " from line " << line + 1 << " on (" << lines.size() << " lines listed, "
                  << bytes.count('\n') << " in the file): file \""
                  << records::sjis::toUnicode(inFile).toStdString() << "\", list \""
                  << (line < lines.size() ? records::sjis::toUnicode(lines[line]).toStdString()
                                          : "")
                  << "\"";
}

void SoakTest::expectCustomerPage() {
    const QByteArrayList& lines = window_->honjitu().UserList;
    const mainwindow::UserListModel& model = *window_->userListView()->model();
    ASSERT_EQ(model.rowCount(), lines.size()) << "the list page and UserList differ in length";
    for (int row = 0; row < model.rowCount(); ++row) {
        const mainwindow::UserItem item = mainwindow::UserItemFrom(lines.at(row));
        const QStringList expected{item.petName, item.shimei, item.address, item.telephone,
                                   item.mobilPhone};
        QStringList shown;
        for (int column = 0; column < mainwindow::UserListModel::ColumnCount; ++column) {
            shown.append(model.index(row, column).data().toString());
        }
        ASSERT_EQ(shown, expected) << "list page item " << row;
        ASSERT_EQ(model.index(row, 0).data(mainwindow::UserListModel::ImageIndexRole).toInt(),
                  item.image)
            << "list page item " << row;
    }
}

// Every day cell against the week rebuilt plainly from YoyakuList, and the date headers
// against WeekStart.
void SoakTest::expectWeeklyTable() {
    const THonjitu& honjitu = window_->honjitu();
    const QDate first = honjitu.WeekStart.date();
    QString cells[TYoyakuGrid::ColumnCount][TYoyakuGrid::RowCount];
    for (const Placed& placed :
         plainWeek(honjitu.YoyakuList, first, records::clock_source::now().date())) {
        const int row = placed.hour - 7;
        if (row < 1 || row >= TYoyakuGrid::RowCount) {
            continue;
        }
        QString& cell = cells[first.daysTo(placed.date) + 1][row];
        cell += (cell.isEmpty() ? QString() : QStringLiteral("\r\n")) +
                records::sjis::toUnicode(placed.entry);
    }
    const TYoyakuGrid& grid = *window_->yoyakuGrid();
    QStringList wrong;
    for (int column = 1; column < TYoyakuGrid::ColumnCount; ++column) {
        const QString day = first.addDays(column - 1).toString(QStringLiteral("dd日"));
        if (!grid.cellText(column, 0).startsWith(day)) {
            wrong.append(QStringLiteral("header %1: %2, not %3")
                             .arg(column)
                             .arg(grid.cellText(column, 0), day));
        }
        for (int row = 1; row < TYoyakuGrid::RowCount; ++row) {
            if (grid.cellText(column, row) != cells[column][row]) {
                wrong.append(QStringLiteral("(%1, %2): \"%3\", not \"%4\"")
                                 .arg(column)
                                 .arg(row)
                                 .arg(grid.cellText(column, row), cells[column][row]));
            }
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << "the weekly table differs from YoyakuList: "
                                 << wrong.join(QStringLiteral("; ")).toStdString();
}

TEST_F(SoakTest, EveryOperationLeavesFilesListsPageAndTableInAgreement) {
    expectAgreement();
    ASSERT_FALSE(HasFailure()) << "disagreement right after start-up";
    walk(int(fromEnvironment("TRIMBOOK_SOAK_STEPS", DefaultSteps)));
}

}  // namespace
