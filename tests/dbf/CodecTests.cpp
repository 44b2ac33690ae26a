#include "dbf/Dbf.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <string>

using namespace dbf;

namespace {

Layout sampleLayout()
{
    return Layout({Field::number("ID", 10, 0), Field::text("NUME", 20), Field::date("DATA"),
                   Field::number("SUMA", 10, 2)});
}

std::string field(const Table &t, std::uint32_t r, int f)
{
    return std::string(rawField(t.layout().field(f), t.record(r)));
}

std::string encodeOne(const Field &f, const std::string &text, bool *ok, std::string *err = nullptr)
{
    Layout l({f});
    std::string rec(static_cast<std::size_t>(l.recordLength()), ' ');
    std::string error;
    *ok = encodeText(l.field(0), text, rec.data(), error);
    if (err)
        *err = error;
    return rec.substr(1);
}

} // namespace

TEST(DbfCodec, WritesTheDBaseIIIHeaderAndRecords)
{
    Table t(sampleLayout());
    std::string err;
    char *rec = t.record(t.appendBlank());
    ASSERT_TRUE(encodeInteger(t.layout().field(0), 7, rec, err));
    ASSERT_TRUE(encodeText(t.layout().field(1), "Ștefan Țurcanu", rec, err));
    ASSERT_TRUE(encodeDate(t.layout().field(2), {2024, 2, 29}, rec, err));
    ASSERT_TRUE(encodeNumber(t.layout().field(3), 2.675, rec, err));
    t.appendBlank();
    const std::string bytes = t.serialize({2025, 3, 4});

    ASSERT_EQ(bytes.size(), 32u + 4 * 32 + 1 + 2 * 49 + 1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);
    EXPECT_EQ(bytes[1], 125);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[3], 4);
    EXPECT_EQ(bytes[4], 2); // record count
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8), 161);
    EXPECT_EQ(bytes[10], 49);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0xC8);
    EXPECT_EQ(bytes.substr(32, 3), std::string("ID\0", 3));
    EXPECT_EQ(bytes[32 + 11], 'N');
    EXPECT_EQ(bytes[32 + 16], 10);
    EXPECT_EQ(bytes[32 + 3 * 32 + 17], 2); // decimals of SUMA
    EXPECT_EQ(bytes[160], 0x0D);
    EXPECT_EQ(bytes.back(), 0x1A);
    EXPECT_EQ(bytes.substr(161, 49), std::string(" ") + "         7" + "\xAAtefan \xDEurcanu      " + "20240229" +
                                         "      2.68");

    const Table back = Table::parse(bytes, "x.dbf");
    ASSERT_EQ(back.recordCount(), 2u);
    EXPECT_EQ(decodeText(back.layout().field(1), back.record(0)), "Ştefan Ţurcanu");
    EXPECT_EQ(decodeNumber(back.layout().field(3), back.record(0)), 2.68);
    EXPECT_EQ(decodeDate(back.layout().field(2), back.record(0)), (Date{2024, 2, 29}));
    EXPECT_FALSE(decodeNumber(back.layout().field(0), back.record(1)));
    EXPECT_FALSE(decodeDate(back.layout().field(2), back.record(1)));
    EXPECT_EQ(decodeText(back.layout().field(1), back.record(1)), "");
}

TEST(DbfCodec, EncodesValuesOrRefusesThemWithAMessage)
{
    struct Case {
        Field field;
        std::string input;
        bool ok;
        std::string bytes;    // when ok
        std::string message;  // part of the error when not
    };
    const Case cases[] = {
        {Field::number("V", 10, 2), "12.5", true, "     12.50", ""},
        {Field::number("V", 10, 2), "-3", true, "     -3.00", ""},
        {Field::number("V", 10, 2), "9999999.99", true, "9999999.99", ""},
        {Field::number("V", 10, 2), "1.005", true, "      1.01", ""},
        {Field::number("V", 10, 2), "10000000", false, "", "too wide for column V N(10,2)"},
        {Field::number("V", 10, 2), "-999999.995", false, "", "too wide"},
        {Field::number("V", 10, 2), "12,5", false, "", "not a number"},
        {Field::number("V", 10, 2), "", true, "          ", ""},
        {Field::number("V", 6, 0), "123456", true, "123456", ""},
        {Field::number("V", 6, 0), "1234567", false, "", "too wide"},
        {Field::date("D"), "2024-02-29", true, "20240229", ""},
        {Field::date("D"), "2023-02-29", false, "", "not a date"},
        {Field::date("D"), "01.03.2024", false, "", "not a date"},
        {Field::date("D"), "", true, "        ", ""},
        {Field::text("T", 5), "abcdefgh", true, "abcde", ""},
        {Field::text("T", 5), "  a", true, "  a  ", ""},
        {Field::text("T", 5), "ăș", true, "\xE3\xBA   ", ""},
        {Field::text("T", 5), "€", true, "\x80    ", ""},
        {Field::text("T", 5), "a\xE2\x82\xBD", false, "", "U+20BD is not in code page 1250"},
    };
    for (const Case &c : cases) {
        bool ok = false;
        std::string err;
        const std::string got = encodeOne(c.field, c.input, &ok, &err);
        EXPECT_EQ(ok, c.ok) << c.input;
        if (c.ok)
            EXPECT_EQ(got, c.bytes) << c.input;
        else
            EXPECT_NE(err.find(c.message), std::string::npos) << c.input << ": " << err;
    }
}

TEST(DbfCodec, ReadsOverflowMarksAndEmptyDatesAsNull)
{
    Layout l({Field::number("N", 5, 1), Field::date("D")});
    const std::string rec = " *****00000000";
    EXPECT_FALSE(decodeNumber(l.field(0), rec.data()));
    EXPECT_FALSE(decodeDate(l.field(1), rec.data()));
    const std::string rec2 = " -12.520241301"; // month 13
    EXPECT_EQ(decodeNumber(l.field(0), rec2.data()), -12.5);
    EXPECT_FALSE(decodeDate(l.field(1), rec2.data()));
}

TEST(DbfCodec, MalformedFilesGiveClearErrors)
{
    Table t(sampleLayout());
    t.appendBlank();
    t.appendBlank();
    const std::string good = t.serialize({2025, 1, 1});
    struct Case {
        std::string name;
        std::string bytes;
        std::string message;
    };
    std::string memo = good;
    memo[0] = char(0x83);
    std::string badLength = good;
    badLength[10] = 50;
    std::string truncated = good.substr(0, good.size() - 30);
    std::string noTerminator = good;
    noTerminator[160] = 'X';
    noTerminator[8] = char(161 & 0xFF);
    std::string hugeHeader = good;
    hugeHeader[8] = char(0xFF);
    hugeHeader[9] = char(0xFF);
    std::string badType = good;
    badType[32 + 11] = 'Q';
    std::string zeroLength = good;
    zeroLength[32 + 16] = 0;
    const Case cases[] = {
        {"short", good.substr(0, 20), "too short"},
        {"memo", memo, "memo"},
        {"version", std::string(1, char(0x30)) + good.substr(1), "not a dBase III table"},
        {"reclen", badLength, "record length"},
        {"truncated", truncated, "announces 2 records"},
        {"terminator", noTerminator, "past the header"},
        {"header", hugeHeader, "header length"},
        {"type", badType, "unsupported type"},
        {"zero", zeroLength, "length 0"},
    };
    for (const Case &c : cases) {
        try {
            Table::parse(c.bytes, "T.dbf");
            ADD_FAILURE() << c.name << " parsed";
        } catch (const Error &e) {
            const std::string m = e.what();
            EXPECT_NE(m.find("T.dbf"), std::string::npos) << m;
            EXPECT_NE(m.find(c.message), std::string::npos) << c.name << ": " << m;
        }
    }
    // A zero count with records present is derived from the size; a missing EOF byte is fine.
    std::string zeroCount = good.substr(0, good.size() - 1);
    zeroCount[4] = 0;
    EXPECT_EQ(Table::parse(zeroCount, "T.dbf").recordCount(), 2u);
}

TEST(DbfCodec, PackAndRestructureKeepEveryValue)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/T.dbf";
    createTable(path, sampleLayout(), {2025, 1, 1});
    EXPECT_THROW(createTable(path, sampleLayout(), {2025, 1, 1}), Error);

    Table t = Table::load(path);
    std::string err;
    for (int i = 0; i < 4; ++i) {
        char *rec = t.record(t.appendBlank());
        encodeInteger(t.layout().field(0), i + 1, rec, err);
        encodeText(t.layout().field(1), "Nume " + std::to_string(i + 1), rec, err);
        encodeNumber(t.layout().field(3), 1000.25 * (i + 1), rec, err);
    }
    t.record(1)[0] = '*';
    writeFileAtomically(path, t.serialize({2025, 1, 1}));

    // Widen NUME, widen SUMA with one more decimal, drop DATA, add OBS.
    restructureTable(path,
                     {{Field::number("ID", 10, 0), "ID"},
                      {Field::text("NUME", 30), "NUME"},
                      {Field::number("SUMA", 12, 3), "SUMA"},
                      {Field::text("OBS", 4), ""}},
                     {2025, 1, 2});
    Table r = Table::load(path);
    ASSERT_EQ(r.recordCount(), 4u);
    EXPECT_TRUE(r.isDeleted(1));
    EXPECT_EQ(r.layout().field(1).length, 30);
    EXPECT_EQ(field(r, 3, 1), "Nume 4" + std::string(24, ' '));
    EXPECT_EQ(field(r, 3, 2), "    4001.000");
    EXPECT_EQ(field(r, 3, 3), "    ");
    EXPECT_EQ(r.layout().indexOf("DATA"), -1);

    // Narrowing a number below its values is refused and leaves the file alone.
    const std::string before = readWholeFile(path);
    EXPECT_THROW(restructureTable(path, {{Field::number("SUMA", 3, 0), "SUMA"}}, {2025, 1, 3}), Error);
    EXPECT_EQ(readWholeFile(path), before);

    packTable(path, {2025, 1, 4});
    Table p = Table::load(path);
    ASSERT_EQ(p.recordCount(), 3u);
    EXPECT_EQ(field(p, 0, 0), "         1");
    EXPECT_EQ(field(p, 1, 0), "         3");
    EXPECT_EQ(field(p, 2, 0), "         4");
}

TEST(DbfCodec, LayoutLimits)
{
    EXPECT_THROW(Layout({Field::text("TOOLONGNAME1", 5)}), Error);
    EXPECT_THROW(Layout({Field::text("A", 255)}), Error);
    EXPECT_THROW(Layout({Field::number("A", 3, 2)}), Error);
    EXPECT_THROW(Layout({Field::text("A", 5), Field::text("a", 5)}), Error);
    std::vector<Field> wide;
    for (int i = 0; i < 20; ++i)
        wide.push_back(Field::text("F" + std::to_string(i), 250));
    EXPECT_THROW(Layout{wide}, Error); // record longer than 4000 bytes
    EXPECT_EQ(Layout({Field::text("nume", 5)}).field(0).name, "NUME");
}
