#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

using namespace records;
using testing_support::sjisOf;

namespace {

const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");
const QByteArray Space = QByteArrayLiteral("\x81\x40");

TEST(FieldSanitizer, SubstitutesSpaceQuoteAndCommaAndMarksEmptyFields) {
    EXPECT_EQ(sanitizeField(""), Mark);
    EXPECT_EQ(sanitizeField(sjisOf("山田 太郎")), sjisOf("山田　太郎"));
    EXPECT_EQ(sanitizeField("a\"b,c"), sjisOf("a”b，c"));
    EXPECT_EQ(sanitizeField("   "), Space + Space + Space);
    EXPECT_EQ(sanitizeField(Mark), Mark);
    // ソ and 表 end in 0x5C, － in 0x7C: left alone.
    EXPECT_EQ(sanitizeField(sjisOf("ソ表－")), sjisOf("ソ表－"));
}

TEST(FieldSanitizer, NoControlByteSurvives) {
    EXPECT_EQ(sanitizeField("a\tb"), "a" + Space + "b");
    EXPECT_EQ(sanitizeField("a\r\nb"), "a" + Space + Space + "b");
    EXPECT_EQ(sanitizeField(QByteArray("a\0b", 3)), "a" + Space + "b");
    // A broken pair whose second byte is a control byte goes whole.
    EXPECT_EQ(sanitizeField(QByteArray("\x81\nz")), Space + "z");
    // Invalid pairs with an ASCII-looking second byte stay as they are.
    EXPECT_EQ(sanitizeField(QByteArray("\x81\x20\x88\x22\x88,")),
              QByteArray("\x81\x20\x88\x22\x88,"));
}

TEST(FieldSanitizer, RemarksLoseEveryFormOfLineBreak) {
    EXPECT_EQ(sanitizeRemarks("a\r\nb\nc\rd"), QByteArray("abcd"));
    EXPECT_EQ(sanitizeRemarks(sjisOf("一行目\r\n二 行目\r\n三行目")),
              sjisOf("一行目二　行目三行目"));
    EXPECT_EQ(sanitizeRemarks("\r\n\r\n"), Mark);
}

TEST(EmptyMarkDelete, RemovesOnlyCharacterAlignedMarks) {
    EXPECT_EQ(EmptyMarkDelete(Mark), QByteArray());
    EXPECT_EQ(EmptyMarkDelete("ab" + Mark + "cd" + Mark), QByteArray("abcd"));
    // 0x81 0xF9 is one character; the following 0xD3 is not part of a mark.
    EXPECT_EQ(EmptyMarkDelete(QByteArray("\x81\xF9\xD3")), QByteArray("\x81\xF9\xD3"));
    EXPECT_EQ(readBack("a b" + Mark), sjisOf("a　b"));
}

struct SplitCase {
    const char* name;
    QByteArray line;
    QByteArrayList fields;
};

TEST(FieldSplitter, FollowsTheDelimitedTextRule) {
    const SplitCase cases[] = {
        {"plain", "a\tb\tc", {"a", "b", "c"}},
        {"empty line", "", {}},
        {"empty fields vanish", "a\t\t\tb", {"a", "b"}},
        {"leading and trailing separators", " \t a\tb \t", {"a", "b"}},
        {"space cuts a field", "a b\tc", {"a", "b", "c"}},
        {"control bytes separate",
         "a\x01"
         "b\x1F"
         "c",
         {"a", "b", "c"}},
        {"quoted field", "\"a b\"\tc", {"a b", "c"}},
        {"doubled quote", "\"a\"\"b\"", {"a\"b"}},
        {"unterminated quote", "\"a\tb", {"a\tb"}},
        {"text after a closing quote", "\"ab\"cd", {"ab", "cd"}},
        {"quote inside a field is plain", "a\"b\tc", {"a\"b", "c"}},
        {"ソ before a tab", "\x83\x5C\tx", {"\x83\x5C", "x"}},
        {"invalid pair with a tab", "\x88\tx\ty", {"\x88\tx", "y"}},
        {"invalid pair with a space", "\x88 x y", {"\x88 x", "y"}},
        {"invalid pair with a quote", "\x88\"x\ty", {"\x88\"x", "y"}},
        {"quote in a quoted field after a lead byte", "\"\x88\"x\"\ty", {"\x88\"x", "y"}},
        {"lone lead byte at the end", "a\t\x81", {"a", "\x81"}},
        {"mark is an ordinary field", "\xF9\xD3\ta", {"\xF9\xD3", "a"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(splitFields(c.line), c.fields) << c.name;
    }
}

TEST(FieldSplitter, MissingFieldsReadAsEmpty) {
    const QByteArrayList fields = splitFields("a\tb");
    EXPECT_EQ(fieldAt(fields, 1), QByteArray("b"));
    EXPECT_EQ(fieldAt(fields, 2), QByteArray());
    EXPECT_EQ(fieldAt(fields, 19), QByteArray());
}

TEST(CustomerLine, PetNameOnlyGivesNineMarks) {
    const QByteArray line = customer_record::buildLine({sjisOf("ポチ")});
    EXPECT_EQ(line, sjisOf("ポチ") + ("\t" + Mark).repeated(9));
    EXPECT_EQ(splitFields(line).size(), 10);
    EXPECT_FALSE(line.contains(' '));
}

TEST(CustomerLine, BuildsTenSanitizedFieldsInRecordOrder) {
    const QByteArrayList values = {
        sjisOf("ポチ"),      sjisOf("犬"), sjisOf("柴 犬"),       sjisOf("やまだ"),
        sjisOf("山田 太郎"), "123-4567",   sjisOf("東京都,港区"), "",
        "03 1234",           "\"090\""};
    const QByteArray line = customer_record::buildLine(values);
    const QByteArrayList fields = splitFields(line);
    ASSERT_EQ(fields.size(), 10);
    EXPECT_EQ(fields[customer_record::ShuNado], sjisOf("柴　犬"));
    EXPECT_EQ(fields[customer_record::Shimei], sjisOf("山田　太郎"));
    EXPECT_EQ(fields[customer_record::Jyusho], sjisOf("東京都，港区"));
    EXPECT_EQ(fields[customer_record::JyushoTuzuki], Mark);
    EXPECT_EQ(fields[customer_record::MobilPhoneNo], sjisOf("”090”"));
    EXPECT_EQ(readBack(fields[customer_record::TelephoneNo]), sjisOf("03　1234"));
    EXPECT_EQ(line.count('\t'), 9);
}

TEST(RemoveFirstEqual, RemovesOnlyTheFirstOfIdenticalLines) {
    QByteArrayList lines{"a", "b", "a", "c"};
    EXPECT_TRUE(removeFirstEqual(lines, "a"));
    EXPECT_EQ(lines, (QByteArrayList{"b", "a", "c"}));
    EXPECT_FALSE(removeFirstEqual(lines, "x"));
    EXPECT_EQ(lines.size(), 3);
}

}  // namespace
