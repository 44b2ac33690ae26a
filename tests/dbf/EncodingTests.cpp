#include "dbf/Cp1250.h"
#include "dbf/LockFile.h"
#include "dbf/Numbers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace dbf;

TEST(Cp1250, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(utf8ToCp1250(cp1250ToUtf8(all), back));
    EXPECT_EQ(back, all);
}

TEST(Cp1250, RomanianLetters)
{
    std::string out;
    // comma-below and cedilla forms both land on the code page's cedilla bytes
    ASSERT_TRUE(utf8ToCp1250("ăâîșțĂÂÎȘȚşţŞŢ", out));
    EXPECT_EQ(out, "\xE3\xE2\xEE\xBA\xFE\xC3\xC2\xCE\xAA\xDE\xBA\xFE\xAA\xDE");
    EXPECT_EQ(cp1250ToUtf8("\xBA\xFE\xAA\xDE"), "şţŞŢ");
}

TEST(Cp1250, RefusesCharactersOutsideTheCodePage)
{
    std::string out;
    char32_t bad = 0;
    std::size_t at = 99;
    EXPECT_FALSE(utf8ToCp1250("ab\xE2\x82\xBD", out, &bad, &at)); // ruble sign
    EXPECT_EQ(bad, U'\u20BD');
    EXPECT_EQ(at, 2u);
    EXPECT_FALSE(utf8ToCp1250("a\xC3", out, &bad)); // truncated sequence
    EXPECT_EQ(bad, U'\uFFFD');
    EXPECT_EQ(codePointName(U'\u20BD'), "U+20BD");
}

TEST(Numbers, FormatRoundsHalfAwayFromZeroOnTheDecimalText)
{
    struct Case { double v; int dec; const char *fixed; const char *trimmed; };
    const Case cases[] = {
        {2.675, 2, "2.68", "2.68"}, {1.005, 2, "1.01", "1.01"}, {-2.675, 2, "-2.68", "-2.68"},
        {5.5, 4, "5.5000", "5.5"}, {3300, 4, "3300.0000", "3300"}, {1.0151, 4, "1.0151", "1.0151"},
        {9.99995, 4, "10.0000", "10"}, {-0.00001, 4, "0.0000", "0"}, {0.5, 0, "1", "1"},
        {-0.5, 0, "-1", "-1"}, {1e15, 2, "1000000000000000.00", "1000000000000000"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(formatFixed(c.v, c.dec), c.fixed) << c.v;
        EXPECT_EQ(formatTrimmed(c.v, c.dec), c.trimmed) << c.v;
    }
    EXPECT_DOUBLE_EQ(roundDecimal(2.675, 2), 2.68);
}

TEST(Numbers, ParseAcceptsOnlyPlainDecimals)
{
    EXPECT_EQ(parseNumber(" 12.50 "), 12.5);
    EXPECT_EQ(parseNumber("+3"), 3.0);
    EXPECT_EQ(parseNumber("-0.25"), -0.25);
    EXPECT_EQ(parseNumber("1e3"), 1000.0);
    for (const char *bad : {"", "  ", "12,50", "abc", "1.2.3", "inf", "nan", "12a"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
}

TEST(LockFile, TwoHoldersExcludeEachOther)
{
    const std::string path = ::testing::TempDir() + "/locktest.lck";
    LockFile a, b;
    ASSERT_TRUE(a.open(path));
    ASSERT_TRUE(b.open(path));
    ASSERT_TRUE(a.lock(LockFile::kDb, LockFile::Mode::Shared));
    EXPECT_TRUE(b.lock(LockFile::kDb, LockFile::Mode::Shared, std::chrono::milliseconds(0)));
    b.unlock(LockFile::kDb);
    EXPECT_FALSE(b.lock(LockFile::kDb, LockFile::Mode::Exclusive, std::chrono::milliseconds(20)));
    EXPECT_TRUE(b.lock(LockFile::kSettings, LockFile::Mode::Exclusive, std::chrono::milliseconds(0)));
    a.close(); // closing one holder releases its locks only
    EXPECT_TRUE(b.lock(LockFile::kDb, LockFile::Mode::Exclusive, std::chrono::milliseconds(0)));
    std::remove(path.c_str());
}
