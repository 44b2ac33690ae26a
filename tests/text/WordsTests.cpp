#include "text/AmountInWords.h"

#include <gtest/gtest.h>

using namespace ogx;

namespace {

struct Case {
    const char *in;
    const char *out;
};

TEST(AmountInWords, TableOfAmounts)
{
    const Case cases[] = {
        {"1234.5", "unamiidouasutetreizecisipatru lei si cincizeci bani"},
        {"2", "doi lei si zero bani"},
        {"1.01", "unu lei si unu bani"},
        {"21.02", "douazecisiunu lei si doi bani"},
        {"16.16", "saisprezece lei si saisprezece bani"},
        {"60.999", "sasezeci lei si nouazecisinoua bani"},
        {"1000000", "unamilioane lei si zero bani"},
        {"0.5", "zero lei si cincizeci bani"},
        {".5", "zero lei si cincizeci bani"},
        {"", "zero lei si zero bani"},
        {"0", "zero lei si zero bani"},
        {"1,500.05", "unamiicincisute lei si cinci bani"},
        // group boundaries
        {"10", "zece lei si zero bani"},
        {"11", "unsprezece lei si zero bani"},
        {"12", "doisprezece lei si zero bani"},
        {"13", "treisprezece lei si zero bani"},
        {"14", "patrusprezece lei si zero bani"},
        {"19", "nouasprezece lei si zero bani"},
        {"20", "douazeci lei si zero bani"},
        {"99", "nouazecisinoua lei si zero bani"},
        {"100", "unasuta lei si zero bani"},
        {"101", "unasutaunu lei si zero bani"},
        {"102", "unasutadoi lei si zero bani"},
        {"200", "douasute lei si zero bani"},
        {"999", "nouasutenouazecisinoua lei si zero bani"},
        {"1000", "unamii lei si zero bani"},
        {"1001", "unamiiunu lei si zero bani"},
        {"2000", "douamii lei si zero bani"},
        {"12000", "doisprezecemii lei si zero bani"},
        {"100000", "unasutamii lei si zero bani"},
        {"999999", "nouasutenouazecisinouamiinouasutenouazecisinoua lei si zero bani"},
        {"2000002", "douamilioanedoi lei si zero bani"},
        {"1000000000", "unamiliarde lei si zero bani"},
        {"2147483647.99",
         "douamiliardeunasutapatruzecisisaptemilioanepatrusuteoptzecisitreimiisasesutepatruzecisisapte"
         " lei si nouazecisinoua bani"},
        // beyond billions the highest group gets no scale word
        {"1000000000000", "unu lei si zero bani"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AmountInWords(QString::fromLatin1(c.in)).toStdString(), c.out) << c.in;
}

TEST(NumberInWords, EndingsByKind)
{
    struct K {
        const char *in;
        int kind;
        const char *out;
    };
    const K cases[] = {
        {"12", MasculineEnding, "doisprezece"},
        {"2", MasculineEnding, "doi"},
        {"1", MasculineEnding, "unu"},
        {"3", MasculineEnding, "trei"},
        {"67", MasculineEnding, "sasezecisisapte"},
        {"5", MasculineEnding, "cinci"},
        {"22", MasculineEnding, "douazecisidoi"},
        {"0", MasculineEnding, "zero"},
        {"", MasculineEnding, "zero"},
        {"1,002.75", MasculineEnding, "unamiidoi"},
        {".9", MasculineEnding, "zero"},
        {"2", UnuOnlyEnding, "doua"},
        {"1", UnuOnlyEnding, "unu"},
        {"2", FeminineEnding, "doua"},
        {"21", FeminineEnding, "douazecisiuna"},
        {"2000", MasculineEnding, "douamii"},
    };
    for (const K &c : cases)
        EXPECT_EQ(NumberInWords(QString::fromLatin1(c.in), c.kind).toStdString(), c.out)
            << c.in << " kind " << c.kind;
}

} // namespace
