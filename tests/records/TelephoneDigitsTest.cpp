#include "records/TelephoneDigits.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

namespace {

using records::telephone::TelephoneQuery;
using testing_support::sjisOf;

struct DigitCase {
    const char* name;
    QByteArray typed;
    QByteArray telephone;
    bool matches;
};

TEST(TelephoneQuery, MatchesOnTheDigitsAlone) {
    const DigitCase cases[] = {
        {"digits find a hyphenated number", "09071189458", "090-7118-9458", true},
        {"hyphens find plain digits", "090-7118-9458", "09071189458", true},
        {"spaces and brackets", "(090) 7118 9458", "090-7118-9458", true},
        {"full-width digits typed", sjisOf("０９０－７１１８"), "090-7118-9458", true},
        {"full-width digits stored", "7118", sjisOf("（０９０）７１１８ー９４５８"), true},
        {"full-width space and long mark", sjisOf("０３　１２３４ー５６７８"), "0312345678", true},
        {"a part across a hyphen", "89458", "090-7118-9458", true},
        {"digits out of order", "94587118", "090-7118-9458", false},
        {"no digits in the query", sjisOf("－（）"), "090-7118-9458", false},
        {"an empty query", "", "090-7118-9458", false},
        {"a name with a digit is no number", sjisOf("ポチ2"), "090-2222", false},
        {"a letter is no number", "090x", "090-7118-9458", false},
        {"no number stored", "090", "", false},
        // 0x81 0x82 is one character; the 0x4F after it is the letter O, not part of ０.
        {"a digit's bytes across characters", "0", QByteArray("\x81\x82\x4F"), false},
    };
    for (const DigitCase& c : cases) {
        EXPECT_EQ(TelephoneQuery(c.typed).matches(c.telephone), c.matches) << c.name;
    }
}

TEST(TelephoneQuery, LooksAtBothNumbersOfACustomer) {
    const TelephoneQuery query("0311112222");
    const QByteArray mark = "\xF9\xD3";
    QByteArrayList fields(10, mark);
    EXPECT_FALSE(query.matchesCustomer(fields));
    fields[8] = "03-1111-2222";
    EXPECT_TRUE(query.matchesCustomer(fields));
    fields[8] = mark;
    fields[9] = "(03)1111-2222";
    EXPECT_TRUE(query.matchesCustomer(fields));
    fields[9] = mark;
    fields[6] = "03-1111-2222";  // an address is no telephone number
    EXPECT_FALSE(query.matchesCustomer(fields));
    EXPECT_FALSE(query.matchesCustomer({}));
}

}  // namespace
