#include "status/StatusFormat.h"

#include <gtest/gtest.h>

using namespace zvk;

TEST(StatusFormat, NoInformMarker) {
    EXPECT_EQ(ValueOrNoInfo(255), QStringLiteral("255"));
    EXPECT_EQ(ValueOrNoInfo(99), QStringLiteral("No inform."));
    EXPECT_EQ(ValueOrNoInfo(0), QStringLiteral("0"));
    EXPECT_EQ(SignedValueOrNoInfo(0xFF), QStringLiteral("-1"));
    EXPECT_EQ(SignedValueOrNoInfo(0x80), QStringLiteral("-128"));
    EXPECT_EQ(SignedValueOrNoInfo(0x7F), QStringLiteral("127"));
    EXPECT_EQ(SignedValueOrNoInfo(99), QStringLiteral("No inform."));
}

TEST(StatusFormat, DateAndTime) {
    EXPECT_EQ(DateText(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
    EXPECT_EQ(DateText(QDate(987, 12, 31)), QStringLiteral("31.12.987"));
    EXPECT_EQ(TimeText(QTime(9, 7, 3)), QStringLiteral("09:07:03"));
    EXPECT_EQ(TimeText(QTime(23, 59, 59, 999)), QStringLiteral("23:59:59"));
    const QDateTime moment(QDate(2024, 11, 30), QTime(0, 0, 0));
    EXPECT_EQ(DateText(moment) + u' ' + TimeText(moment), QStringLiteral("30.11.2024 00:00:00"));
}

TEST(StatusFormat, FixedNotation) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {1234.567, 3, "1234.567"},
        {54.0, 3, "54.000"},
        {-0.1, 3, "-0.100"},
        {5400.0, 1, "5400.0"},
        {-10.0, 1, "-10.0"},
        {4294967.295, 3, "4294967.295"},
        {-2147483.648, 3, "-2147483.648"},
        {214748364.7, 1, "214748364.7"},
        {0.0, 3, "0.000"},
        // Ten significant digits: the rest come out as zeros.
        {12345678.9876, 3, "12345678.990"},
        {1e12, 1, "1.000000000E+12"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FixedText(c.value, c.decimals), QString::fromLatin1(c.text)) << c.value;
}
