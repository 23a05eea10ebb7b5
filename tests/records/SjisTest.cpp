#include "records/Sjis.h"

#include <gtest/gtest.h>

namespace {

TEST(Sjis, CharacterWalkTakesTheTrailByteWithTheLeadByte) {
    const QByteArray text(
        "a\x83\x5C"
        "b\x81",
        5);  // a, ソ, b, a lone lead byte at the end
    EXPECT_EQ(records::sjis::charLength(text, 0), 1);
    EXPECT_EQ(records::sjis::charLength(text, 1), 2);
    EXPECT_EQ(records::sjis::charLength(text, 3), 1);
    EXPECT_EQ(records::sjis::charLength(text, 4), 1);
}

struct FindCase {
    const char* name;
    QByteArray haystack;
    QByteArray needle;
    qsizetype expected;
};

TEST(Sjis, FindNeverMatchesInsideADoubleByteCharacter) {
    const FindCase cases[] = {
        {"backslash inside ソ", QByteArray("\x83\x5C"), QByteArray("\\"), -1},
        {"backslash after ソ", QByteArray("\x83\x5C\\"), QByteArray("\\"), 2},
        {"bar inside －", QByteArray("\x81\x7C|"), QByteArray("|"), 2},
        {"space as an invalid trail byte", QByteArray("\x81\x20 "), QByteArray(" "), 2},
        {"quote as an invalid trail byte", QByteArray("\x88\x22"), QByteArray("\""), -1},
        {"comma as an invalid trail byte", QByteArray("\x88,x,"), QByteArray(","), 3},
        {"tab as an invalid trail byte", QByteArray("\xE0\t"), QByteArray("\t"), -1},
        {"double-byte needle across characters", QByteArray("\x82\xA0\x82\xA2"),
         QByteArray("\xA0\x82"), -1},
        {"double-byte needle", QByteArray("x\x82\xA0\x82\xA2"), QByteArray("\x82\xA2"), 3},
        {"empty needle", QByteArray("abc"), QByteArray(), -1},
        {"needle longer than text", QByteArray("ab"), QByteArray("abc"), -1},
        {"lone lead byte at the end", QByteArray("ab\x81"), QByteArray("\x81"), 2},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(records::sjis::indexOf(c.haystack, c.needle), c.expected) << c.name;
    }
}

TEST(Sjis, ReplaceAllReplacesOnlyWholeCharacters) {
    EXPECT_EQ(records::sjis::replaceAll(QByteArray("a\x83\x5C\\b\\"), "\\", "/"),
              QByteArray("a\x83\x5C/b/"));
    EXPECT_EQ(records::sjis::replaceAll("aaa", "aa", "b"), QByteArray("ba"));
    EXPECT_EQ(records::sjis::replaceAll("abc", "x", "y"), QByteArray("abc"));
    EXPECT_EQ(records::sjis::replaceAll("", "x", "y"), QByteArray());
}

TEST(Sjis, DecodesAsWindowsCodePage932) {
    EXPECT_EQ(records::sjis::toUnicode("\xF9\xD3"), QString(QChar(0xE72E)));
    EXPECT_EQ(records::sjis::toUnicode("\x81\x60"), QString(QChar(0xFF5E)));
    EXPECT_EQ(records::sjis::toUnicode("\x87\x40"), QStringLiteral("①"));  // NEC special character
    EXPECT_EQ(records::sjis::toUnicode("\xFA\x40"), QStringLiteral("ⅰ"));  // IBM extension
    EXPECT_EQ(records::sjis::toUnicode("\x83\x5C\x95\x5C"), QStringLiteral("ソ表"));
    EXPECT_EQ(records::sjis::toUnicode("\xB1"), QStringLiteral("ｱ"));
}

TEST(Sjis, UndecodableBytesShowAsReplacementCharacters) {
    EXPECT_EQ(records::sjis::toUnicode(QByteArray("a\x81\x20z")), QStringLiteral("a\uFFFDz"));
    EXPECT_EQ(records::sjis::toUnicode(QByteArray("ab\x81")), QStringLiteral("ab\uFFFD"));
    EXPECT_EQ(records::sjis::toUnicode(QByteArray("\xA0x", 2)), QStringLiteral("\uFFFDx"));
    EXPECT_EQ(records::sjis::toUnicode(QByteArray("a\0b", 3)), QString::fromUtf8("a\0b", 3));
}

TEST(Sjis, EncodesAndRefusesTextWithoutAShiftJisForm) {
    EXPECT_EQ(records::sjis::fromUnicode(QStringLiteral("犬　ソ")),
              QByteArray("\x8C\xA2\x81\x40\x83\x5C"));
    EXPECT_EQ(records::sjis::fromUnicode(QString(QChar(0xE72E))), QByteArray("\xF9\xD3"));
    EXPECT_EQ(records::sjis::fromUnicode(QString()), QByteArray());
    EXPECT_FALSE(records::sjis::fromUnicode(QStringLiteral("ポチ🐶")).has_value());
    EXPECT_FALSE(records::sjis::isEncodable(QStringLiteral("한국")));
    EXPECT_TRUE(records::sjis::isEncodable(QStringLiteral("ｱｲｳ ABC ①")));
}

TEST(Sjis, EveryDoubleByteCharacterRoundTrips) {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!records::sjis::isLeadByte(lead))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const QByteArray bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const QString text = records::sjis::toUnicode(bytes);
            if (text == QStringLiteral("\uFFFD"))
                continue;
            const auto back = records::sjis::fromUnicode(text);
            ASSERT_TRUE(back.has_value()) << std::hex << lead << ' ' << trail;
            // Duplicate codes (NEC-selected IBM extensions) come back as their preferred form.
            EXPECT_EQ(records::sjis::toUnicode(*back), text);
            ++checked;
        }
    }
    EXPECT_GT(checked, 7000);
}

}  // namespace
