#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/ReservationIndex.h"
#include "records/VisitHistory.h"
#include "tests/support/Files.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>

using namespace records;
using testing_support::recordLine;
using testing_support::sjisOf;
namespace rsv = records::reservation_record;
namespace cst = records::customer_record;

namespace {

const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");

// Every field holds its own position ("f0", "f1", ...), so a name read from the wrong place shows.
template <typename View>
View numberedLine(int fieldCount) {
    testing_support::FieldTexts texts;
    QList<QByteArray> names;
    names.reserve(fieldCount);
    for (int position = 0; position < fieldCount; ++position) {
        names.append("f" + QByteArray::number(position));
        texts.emplace_back(position, names.last().constData());
    }
    return View(recordLine(fieldCount, texts));
}

TEST(RecordViews, ABookingGivesEachFieldByName) {
    using Read = QByteArray (Booking::*)() const;
    const std::pair<rsv::Field, Read> names[] = {{rsv::YoyakuNen, &Booking::nen},
                                                 {rsv::YoyakuTuki, &Booking::tuki},
                                                 {rsv::YoyakuNiti, &Booking::niti},
                                                 {rsv::YoyakuJikan, &Booking::jikan},
                                                 {rsv::YoyakuHun, &Booking::hun},
                                                 {rsv::Furigana, &Booking::furigana},
                                                 {rsv::Shimei, &Booking::shimei},
                                                 {rsv::Yubin, &Booking::yubin},
                                                 {rsv::Jyusho, &Booking::jyusho},
                                                 {rsv::JyushoTuzuki, &Booking::jyushoTuzuki},
                                                 {rsv::TelephoneNo, &Booking::telephoneNo},
                                                 {rsv::MobilPhoneNo, &Booking::mobilPhoneNo},
                                                 {rsv::PetName, &Booking::petName},
                                                 {rsv::Shu, &Booking::shu},
                                                 {rsv::ShuNado, &Booking::shuNado},
                                                 {rsv::Shamp, &Booking::shamp},
                                                 {rsv::Style, &Booking::style},
                                                 {rsv::SonotaHigeCut, &Booking::higeCut},
                                                 {rsv::SonotaTumekiri, &Booking::tumekiri},
                                                 {rsv::SonotaBikou, &Booking::bikou}};
    const Booking booking = numberedLine<Booking>(rsv::FieldCount);
    ASSERT_EQ(std::size(names), std::size_t{rsv::FieldCount});
    for (const auto& [field, read] : names) {
        const QByteArray expected = "f" + QByteArray::number(field);
        EXPECT_EQ((booking.*read)(), expected) << field;
        EXPECT_EQ(booking.stored(field), expected) << field;
    }
    EXPECT_EQ(booking.tableEntry(), QByteArray("f6/f12"));
}

TEST(RecordViews, ACustomerGivesEachFieldByName) {
    using Read = QByteArray (Customer::*)() const;
    const std::pair<cst::Field, Read> names[] = {
        {cst::PetName, &Customer::petName},         {cst::Shu, &Customer::shu},
        {cst::ShuNado, &Customer::shuNado},         {cst::Furigana, &Customer::furigana},
        {cst::Shimei, &Customer::shimei},           {cst::Yubin, &Customer::yubin},
        {cst::Jyusho, &Customer::jyusho},           {cst::JyushoTuzuki, &Customer::jyushoTuzuki},
        {cst::TelephoneNo, &Customer::telephoneNo}, {cst::MobilPhoneNo, &Customer::mobilPhoneNo}};
    const Customer customer = numberedLine<Customer>(cst::FieldCount);
    ASSERT_EQ(std::size(names), std::size_t{cst::FieldCount});
    for (const auto& [field, read] : names) {
        EXPECT_EQ((customer.*read)(), "f" + QByteArray::number(field)) << field;
    }
}

TEST(RecordViews, MarksAreKeptAsStoredAndLeftOutOfWhatIsShown) {
    struct Case {
        const char* name;
        QByteArray field;  // as the line stores it
        QByteArray shown;
        QByteArray readBack;  // what an edit of the field shows
    };
    const QByteArray pochi = sjisOf("ポチ");
    const Case cases[] = {
        {"a mark alone is an empty field", Mark, "", ""},
        {"a mark inside a text goes", "a" + Mark + "b", "ab", "ab"},
        {"marks all go", Mark + Mark + pochi + Mark, pochi, pochi},
        // 0x81 0xF9 is one character, so the 0xD3 after it is no mark's part.
        {"a mark's bytes off the character grid stay", "\x81\xF9\xD3", "\x81\xF9\xD3",
         "\x81\xF9\xD3"},
        {"a comma and a quote are shown as stored", "a,b\"c", "a,b\"c", sjisOf("a，b”c")},
    };
    for (const Case& c : cases) {
        const Customer customer(c.field + "\t" + Mark + "\t" + c.field);
        EXPECT_EQ(customer.stored(cst::PetName), c.field) << c.name;
        EXPECT_EQ(customer.petName(), c.shown) << c.name;
        EXPECT_EQ(customer.shuNado(), c.shown) << c.name;
        EXPECT_EQ(customer.readBack(cst::PetName), c.readBack) << c.name;
        EXPECT_EQ(customer.line(), c.field + "\t" + Mark + "\t" + c.field) << c.name;
    }
}

TEST(RecordViews, ShortLinesGiveEmptyFieldsAndTheirDateRules) {
    const QDate today(2026, 12, 9);
    struct Case {
        const char* name;
        QByteArray line;
        qsizetype fieldCount;
        std::optional<QDate> date;
        int hour;
        QByteArray tableEntry;
    };
    const Case cases[] = {
        {"an empty line", "", 0, std::nullopt, 0, "/"},
        {"the date alone", "2026\t12\t24", 3, QDate(2026, 12, 24), 0, "/"},
        {"a two-digit year", "26\t12\t24\t9", 4, QDate(2026, 12, 24), 9, "/"},
        {"an invalid day", "2026\t2\t30\t10\t00", 5, std::nullopt, 10, "/"},
        {"up to the owner", "2026\t12\t24\t10\t00\tk\t" + Mark, 7, QDate(2026, 12, 24), 10,
         Mark + "/"},
        {"a marked hour is no number", "2026\t12\t24\t" + Mark, 4, QDate(2026, 12, 24), 0, "/"},
    };
    for (const Case& c : cases) {
        const Booking booking(c.line);
        EXPECT_EQ(booking.fieldCount(), c.fieldCount) << c.name;
        EXPECT_EQ(booking.validBookedDate(today), c.date) << c.name;
        EXPECT_EQ(booking.bookedDate(today), c.date.value_or(today)) << c.name;
        EXPECT_EQ(booking.hour(), c.hour) << c.name;
        EXPECT_EQ(booking.tableEntry(), c.tableEntry) << c.name;
        EXPECT_TRUE(booking.petName().isEmpty()) << c.name;
        EXPECT_TRUE(booking.bikou().isEmpty()) << c.name;
    }
}

// Reservation lines written without the sanitizer, so that marks stand where a sanitized line
// would never have them, and some lines end before the pet name.
QByteArray historyLine(QRandomGenerator& random) {
    const QByteArray pets[] = {sjisOf("モモ"),        sjisOf("モ") + Mark + sjisOf("モ"),
                               sjisOf("モモ") + Mark, sjisOf("ポチ"),
                               "\"a\"\"b\"",          Mark};
    const QByteArray owners[] = {sjisOf("山田　花子"), sjisOf("山田") + Mark, Mark};
    const QByteArray numbers[] = {"03-1111-2222", Mark, "090-1"};
    QByteArrayList fields{"2026",
                          "11",
                          QByteArray::number(random.bounded(1, 31)),
                          QByteArray::number(random.bounded(8, 20)),
                          "00",
                          Mark,
                          owners[random.bounded(3)]};
    while (fields.size() < rsv::TelephoneNo) {
        fields << Mark;
    }
    fields << numbers[random.bounded(3)] << numbers[random.bounded(3)]
           << pets[random.bounded(int(std::size(pets)))];
    while (fields.size() < rsv::FieldCount) {
        fields << Mark;
    }
    if (random.bounded(8) == 0) {
        fields = fields.mid(0, random.bounded(rsv::PetName + 2));
    }
    return fields.join('\t');
}

QList<std::pair<QByteArray, QDateTime>> seen(const QList<history::Visit>& visits) {
    QList<std::pair<QByteArray, QDateTime>> result;
    for (const history::Visit& visit : visits) {
        result.append({visit.line, visit.at});
    }
    return result;
}

TEST(RecordViews, TheIndexFindsTheVisitsAScanOfEveryLineFindsThroughChanges) {
    const QDateTime now(QDate(2026, 11, 15), QTime(12, 0));
    const history::Subject subjects[] = {
        history::subjectOfCustomer(sjisOf("モモ\t犬\t") + Mark + "\t" + Mark + "\t" +
                                   sjisOf("山田　花子\t") + Mark + "\t" + Mark + "\t" + Mark +
                                   "\t03-1111-2222"),
        history::subjectOfCustomer("a\"b\t" + Mark + "\t" + Mark + "\t" + Mark + "\t" + Mark),
        history::subjectOfCustomer(Mark + "\t" + Mark + "\t" + Mark + "\t" + Mark + "\t" + Mark +
                                   "\t" + Mark + "\t" + Mark + "\t" + Mark + "\t090-1")};
    QRandomGenerator random(20261209);
    QByteArrayList lines;
    for (int i = 0; i < 40; ++i) {
        lines.append(historyLine(random));
    }
    ReservationIndex index;
    index.sync(lines);
    for (int step = 0; step < 150; ++step) {
        const qsizetype at = lines.isEmpty() ? 0 : random.bounded(int(lines.size()));
        switch (random.bounded(4)) {
            case 0:
                lines.append(historyLine(random));
                break;
            case 1:
                lines.insert(at, historyLine(random));
                break;
            case 2:
                if (!lines.isEmpty()) {
                    lines.removeAt(at);
                }
                break;
            default:
                if (!lines.isEmpty()) {
                    lines[at] = historyLine(random);
                }
        }
        index.sync(lines);
        for (const history::Subject& subject : subjects) {
            ASSERT_EQ(seen(history::visitsOf(subject, index, now)),
                      seen(history::visitsOf(subject, lines, now)))
                << "step " << step;
            const QList<qsizetype> candidates = index.bookedForPet(subject.petName);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                ASSERT_FALSE(history::isVisitOf(subject, lines.at(i)) && !candidates.contains(i))
                    << "step " << step << " line " << i;
            }
        }
    }
}

}  // namespace
