#include "customer/CustomerFinder.h"
#include "tests/support/Files.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>

namespace {

using testing_support::customerLine;
using testing_support::sjisOf;

// Pet, kind, breed, reading, name, postal code, address, address 2, telephone, mobile.
QByteArrayList customers() {
    return {
        customerLine({"ポチ", "犬", "柴", "やまだ　はなこ", "山田　花子", "", "東京都", "",
                      "03-1234-5678", "090-7118-9458"}),
        customerLine({"タマ", "猫", "", "さとう", "佐藤", "", "やまだ町", "", "", ""}),
        customerLine({"ソラ", "", "", "", "", "", "", "", "", ""}),  // ソ is 0x83 0x5C
        customerLine({"a\\b", "", "", "", "", "", "", "", "", "０３（１２３４）９９９９"}),
    };
}

TEST(CustomerFinder, FindsTheReadingNamePetOrTelephoneInListOrder) {
    const struct {
        const char* name;
        QByteArray query;
        QList<int> found;
    } cases[] = {
        {"a reading", sjisOf("やまだ"), {0}},
        {"a name", sjisOf("花子"), {0}},
        {"a pet's name", sjisOf("タマ"), {1}},
        {"a part of a telephone number", "1234", {0, 3}},
        {"a mobile number by its digits", "09071189458", {0}},
        {"a full-width number by its digits", "03-1234-9999", {3}},
        {"not the breed", sjisOf("柴"), {}},
        {"not the address", sjisOf("東京"), {}},
        {"not the kind", sjisOf("猫"), {}},
        {"not inside a double-byte character", "\\", {3}},
        {"not the empty-field mark", "\xF9\xD3", {}},
        {"an empty query", "", {}},
    };
    const customer::CustomerFinder finder(customers());
    for (const auto& c : cases) {
        EXPECT_EQ(finder.find(c.query), c.found) << c.name;
    }
}

TEST(CustomerFinder, ShowsFieldsWithoutMarksAndToleratesShortLines) {
    const customer::CustomerFinder finder({customers().at(1), sjisOf("ハナ")});
    EXPECT_EQ(finder.field(0, customer::CustomerFinder::Furigana), sjisOf("さとう"));
    EXPECT_EQ(finder.field(0, customer::CustomerFinder::TelephoneNo), QByteArray());
    EXPECT_EQ(finder.field(1, customer::CustomerFinder::PetName), sjisOf("ハナ"));
    EXPECT_EQ(finder.find(sjisOf("ハナ")), QList<int>({1}));
}

}  // namespace
