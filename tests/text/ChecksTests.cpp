#include "text/CnpInfo.h"
#include "text/CodeChecks.h"

#include <gtest/gtest.h>

using namespace ogx;

namespace {

QString s(const char *t) { return QString::fromLatin1(t); }

TEST(CheckCnp, ValidAndInvalidCodes)
{
    const std::pair<const char *, bool> cases[] = {
        {"1850101123451", true},
        {"2850228123457", true},
        {"5000101123457", true},   // born 2000
        {"6000229123455", true},   // 29.02.2000
        {"9850101123456", true},
        {"185010112345", false},   // 12 digits
        {"18501011234A1", false},  // a letter
        {" 850101123451", false},  // not trimmed
        {"3850101123455", false},  // first digit 3
        {"4850101123451", false},  // first digit 4
        {"7850101123452", false},  // residents are refused when storing
        {"1850230123459", false},  // 30.02.1985
        {"1850101123452", false},  // wrong control digit
        {"1850101000060", false},  // remainder 10 needs 1
        {"1850101000061", true},
    };
    for (const auto &[code, ok] : cases)
        EXPECT_EQ(CheckCnp(s(code)), ok) << code;
}

TEST(CheckCif, PrefixBlanksAndLength)
{
    const std::pair<const char *, bool> cases[] = {
        {"15900825", true},
        {"RO15900825", true},
        {"ro 159 008 25", true},
        {"1234567897", true},     // ten digits
        {"108", true},            // three digits
        {"15900826", false},      // wrong control digit
        {"159A0825", false},      // a letter in the middle
        {"12345678970", false},   // eleven digits
        {"10", false},            // two digits
        {"RO10", false},          // two digits after the prefix
        {"", false},
    };
    for (const auto &[code, ok] : cases)
        EXPECT_EQ(CheckCif(s(code)), ok) << code;
}

TEST(CheckEmail, Rules)
{
    const std::pair<const char *, bool> cases[] = {
        {"ion.pop@primaria.ro", true},
        {"ion@mail.com", true},
        {"io@mail.ro", false},            // two characters before "@"
        {"ion@mail.info", false},          // four letters after the dot
        {"ion@a.ro", false},               // fewer than 5 characters after "@"
        {"ion@mail.gov.ro", false},        // two dots in the domain
        {"ion@mailro", false},             // no dot
        {"ion pop@mail.ro", false},        // a blank
        {"ion@pop@mail.ro", false},        // a second "@"
        {"ionpop.mail.ro", false},         // no "@"
        {"i_o-n@ma-il.ro", true},
    };
    for (const auto &[mail, ok] : cases)
        EXPECT_EQ(CheckEmail(s(mail)), ok) << mail;
}

TEST(CheckPhone, Rules)
{
    const std::pair<const char *, bool> cases[] = {
        {"0744 123-456", true},
        {"0744-12-34-56", true},
        {"0232123456", true},
        {"0444123456", false},   // begins with 04
        {"07441234567", false},  // eleven digits
        {"074412345", false},
    };
    for (const auto &[phone, ok] : cases)
        EXPECT_EQ(CheckPhone(s(phone)), ok) << phone;
}

TEST(CheckCode, ChoosesTheCheckByName)
{
    EXPECT_EQ(CheckCode(s("cnp"), s("1850101123451")), true);
    EXPECT_EQ(CheckCode(s("CNP"), s("15900825")), false);
    EXPECT_EQ(CheckCode(s("cif"), s("RO15900825")), true);
    EXPECT_EQ(CheckCode(s("email"), s("ion@mail.ro")), true);
    EXPECT_EQ(CheckCode(s("phone"), s("0444123456")), false);
    EXPECT_EQ(CheckCode(s("iban"), s("RO49AAAA1B31007593840000")), std::nullopt);
}

TEST(CnpInfo, CorectAcceptsResidentsAndEmptyByChoice)
{
    EXPECT_TRUE(cnp::GetCorect(QString(), true));
    EXPECT_FALSE(cnp::GetCorect(QString(), false));
    EXPECT_TRUE(cnp::GetCorect(s("1850101123451"), false));
    EXPECT_TRUE(cnp::GetCorect(s("7850101123452"), false));   // 1900s for 7
    EXPECT_FALSE(cnp::GetCorect(s("3850101123455"), false));
    EXPECT_FALSE(cnp::GetCorect(s("15900825"), false));       // a fiscal code
    EXPECT_FALSE(cnp::GetCorect(s("1850230123459"), false));
    EXPECT_FALSE(cnp::GetCorect(s("1850101123452"), false));
}

TEST(CnpInfo, SexAndBirthDate)
{
    EXPECT_EQ(cnp::GetSex(QString()), s("masculin"));
    EXPECT_EQ(cnp::GetSex(s("1850101123451")), s("masculin"));
    EXPECT_EQ(cnp::GetSex(s("9850101123456")), s("masculin"));
    EXPECT_EQ(cnp::GetSex(s("2850228123457")), s("feminin"));
    EXPECT_EQ(cnp::GetSex(s("8850101")), s("feminin"));

    EXPECT_EQ(cnp::GetNascutLa(s("2850228123457")), QDate(1985, 2, 28));
    EXPECT_EQ(cnp::GetNascutLa(s("6000229123455")), QDate(2000, 2, 29));
    EXPECT_EQ(cnp::GetNascutLa(s("7991231")), QDate(1999, 12, 31));
    EXPECT_EQ(cnp::GetNascutLa(s("6050229123456")), QDate(1900, 1, 1));  // 29.02.2005
    EXPECT_EQ(cnp::GetNascutLa(s("185010")), QDate(1899, 12, 30));        // too short
    EXPECT_EQ(cnp::GetNascutLa(s("RO15900825")), QDate(1899, 12, 30));    // not digits
}

TEST(CnpInfo, KeyPressesEditDigitsOnly)
{
    using cnp::Key;
    cnp::EditState st;
    st.text = s("0");
    st.caret = 1;
    cnp::KeyPress(st, Key::Digit, 1);  // a lone "0" is replaced
    EXPECT_EQ(st.text, s("1"));
    for (int d : {8, 5, 0, 1, 0, 1, 1, 2, 3, 4, 5, 1})
        cnp::KeyPress(st, Key::Digit, d);
    EXPECT_EQ(st.text, s("1850101123451"));
    cnp::KeyPress(st, Key::Digit, 7);  // a 14th digit is ignored
    EXPECT_EQ(st.text, s("1850101123451"));
    EXPECT_EQ(st.caret, 13);
    cnp::KeyPress(st, Key::Other);
    EXPECT_EQ(st.text, s("1850101123451"));

    st.caret = 1;
    cnp::KeyPress(st, Key::Backspace);
    EXPECT_EQ(st.text, s("850101123451"));
    EXPECT_EQ(st.caret, 0);
    cnp::KeyPress(st, Key::Backspace);  // nothing before the caret
    EXPECT_EQ(st.text, s("850101123451"));
    cnp::KeyPress(st, Key::Delete);
    EXPECT_EQ(st.text, s("50101123451"));
    EXPECT_EQ(st.caret, 0);
    st.caret = st.text.size();
    cnp::KeyPress(st, Key::Delete);  // nothing after the caret
    EXPECT_EQ(st.text, s("50101123451"));

    st.selStart = 2;
    st.selLength = 3;
    cnp::KeyPress(st, Key::Digit, 9);  // replaces the selection
    EXPECT_EQ(st.text, s("509123451"));
    EXPECT_EQ(st.caret, 3);
    st.selStart = 0;
    st.selLength = 2;
    cnp::KeyPress(st, Key::Delete);
    EXPECT_EQ(st.text, s("9123451"));
    EXPECT_EQ(st.caret, 0);
}

} // namespace
