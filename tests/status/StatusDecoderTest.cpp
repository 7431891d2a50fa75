#include "status/StatusDecoder.h"
#include "BlockBuilder.h"

#include <gtest/gtest.h>

using namespace zvk;
using namespace zvk::StatusColour;
using zvk::test::BlockBuilder;

namespace {

const QDateTime Noon(QDate(2024, 3, 5), QTime(9, 7, 3));

DecodeResult decodeReply(const BlockBuilder& block, StatusView& view, bool echo = false) {
    return DecodirovanieUL(block.reply(), view, DecodeContext{true, echo, Noon});
}

DecodeResult decodeText(const QByteArray& text, StatusView& view, bool crcDigits, bool echo = false) {
    return DecodirovanieUL(text, view, DecodeContext{crcDigits, echo, Noon});
}

// Fields of a log line; every line ends with ";", which closes the last field.
int fieldCount(const QByteArray& line) {
    EXPECT_TRUE(line.endsWith(';')) << line.constData();
    return int(line.count(';'));
}

QByteArray afterDateTime(const QByteArray& line) {
    return line.mid(QByteArrayLiteral("05.03.2024;09:07:03;05.03.2024 09:07:03;").size());
}

} // namespace

TEST(StatusDecoder, HeaderLabelsAndIdentifier) {
    StatusView view;
    auto block = BlockBuilder().version(10, 1, 7).set(11, 5).set32(14, 0x00BC614E);
    decodeReply(block, view);
    EXPECT_EQ(view.sLabel2, QStringLiteral("10.1"));
    EXPECT_EQ(view.sLabel8, QStringLiteral("7"));
    EXPECT_EQ(view.sLabel11, QStringLiteral("5"));
    EXPECT_EQ(view.sEdit1, QStringLiteral("12345678"));
    EXPECT_EQ(view.statusPanel2, QStringLiteral("IMEI: 12345678"));
    EXPECT_EQ(view.ControllerId, QStringLiteral("12345678"));

    decodeReply(block.set32(14, 0xFFFFFFFF), view);
    EXPECT_EQ(view.sEdit1, QStringLiteral("-1"));
    EXPECT_EQ(view.ControllerId, QStringLiteral("-1"));
}

TEST(StatusDecoder, DesignStateBeforeAnyBlock) {
    const StatusView view;
    EXPECT_EQ(view.ControllerId, QStringLiteral("22222222"));
    EXPECT_EQ(view.SG1.text(0, 1), QStringLiteral("D1"));
    EXPECT_EQ(view.SG1.text(1, 12), QStringLiteral("Дискретный вход № 12"));
    EXPECT_EQ(view.SG7.text(0, 16), QStringLiteral("OUT 16"));
    EXPECT_EQ(view.SG7.text(1, 3), QStringLiteral("Дискретный выход № 3"));
    EXPECT_EQ(view.SG6.text(0, 4), QStringLiteral("   - термодатчик T1 - 3"));
    EXPECT_EQ(view.SG6.text(0, 15), QStringLiteral("Термодатчик T2 - 4 (5М2 - 2)"));
    EXPECT_EQ(view.SG4.text(0, 5), QStringLiteral("T2 - 4"));
    EXPECT_EQ(view.SG5.text(3, 0), QStringLiteral("ВАП"));
    EXPECT_EQ(view.GroupBox10Caption, QStringLiteral(" Huawei  "));
    for (int row = 1; row <= 16; ++row)
        EXPECT_EQ(view.background(7, 0, row), White);
    EXPECT_FALSE(view.panel(2).visible);
    EXPECT_TRUE(view.panel(5).visible);
    EXPECT_EQ(view.panel(5).colour, ButtonFace);
    EXPECT_EQ(view.panel(14).colour, Lime);
}

// Version gates: the label shows the version as received; the layout follows the remapped minor.
struct GateCase {
    int major, minor, subversion;
    const char* label;
    TemperatureLayout layout;
    int logFields;
};

class VersionGates : public ::testing::TestWithParam<GateCase> {};

TEST_P(VersionGates, LayoutAndLogFieldCount) {
    const GateCase& c = GetParam();
    StatusView view;
    const DecodeResult r = decodeReply(BlockBuilder().version(c.major, c.minor, c.subversion), view);
    EXPECT_TRUE(r.complete) << r.unreadNames().join(u',').toStdString();
    EXPECT_EQ(view.sLabel2, QString::fromLatin1(c.label));
    EXPECT_EQ(r.layout, c.layout);
    EXPECT_EQ(fieldCount(r.logLine), c.logFields);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VersionGates,
    ::testing::Values(GateCase{10, 1, 0, "10.1", TemperatureLayout::Old, 19},
                      GateCase{10, 111, 9, "10.111", TemperatureLayout::Old, 19},          // 111 counts as 10
                      GateCase{20, 110, 4, "20.110", TemperatureLayout::Intermediate, 19}, // as 11
                      GateCase{20, 11, 3, "20.11", TemperatureLayout::Old, 19},
                      GateCase{20, 11, 4, "20.11", TemperatureLayout::Intermediate, 19},
                      GateCase{20, 12, 0, "20.12", TemperatureLayout::New, 39},
                      GateCase{20, 20, 0, "20.20", TemperatureLayout::New, 39},
                      GateCase{20, 20, 1, "20.20", TemperatureLayout::New, 43},
                      GateCase{20, 19, 5, "20.19", TemperatureLayout::New, 39}));

TEST(StatusDecoder, OldLayoutLogLine) {
    StatusView view;
    const DecodeResult r = decodeReply(BlockBuilder().version(20, 10, 0), view);
    EXPECT_EQ(r.logLine, QByteArrayLiteral("05.03.2024;09:07:03;05.03.2024 09:07:03;"
                                           "Heater-1=;0;Freezer-1=;0;FC=;0;MIXER=;0;Heater-2=;0;Freezer-2=;0;"
                                           "Heater-3=;0;Freezer-3=;0;"));
}

TEST(StatusDecoder, NewLayoutLogLineOrder) {
    StatusView view;
    auto block = BlockBuilder().version(20, 20, 1).allLinks();
    block.set(23, 0xEC).set(25, 0x63).set(103, 1).set(3, 0x80);           // box 1
    block.set(137, 2).set(139, 3).set(141, 4).set(149, 5).set(151, 0xFF); // box 2
    block.set(143, 6).set(145, 7).set(147, 8);                            // box 3
    block.set(37, 0x31).set(36, 0x02).set(34, 0x01);
    const DecodeResult r = decodeReply(block, view);
    EXPECT_EQ(
        afterDateTime(r.logLine),
        QByteArrayLiteral("T1-1=;-20;T1-2=;99;T1sr=;1;T1-3=;-128;Heater-1=;1;Freezer-1=;0;FC=;1;MIXER=;1;"
                          "T2-1=;2;T2-2=;3;T2sr=;4;T2-3=;5;T2-4=;-1;Heater-2=;0;Freezer-2=;1;"
                          "T3-1=;6;T3-2=;7;T3sr=;8;Heater-3=;1;Freezer-3=;0;"));
    EXPECT_EQ(view.SG3.text(1, 1), QStringLiteral("-20"));
    EXPECT_EQ(view.SG3.text(1, 2), QStringLiteral("No inform.")); // 99 on screen, 99 in the log
    EXPECT_EQ(view.SG3.text(1, 4), QStringLiteral("-128"));
    EXPECT_EQ(view.SG4.text(1, 5), QStringLiteral("-1"));
    EXPECT_EQ(view.SG11.text(1, 3), QStringLiteral("8"));
}

// One temperature cell per layout and value: the three display rules and their source bytes.
struct TemperatureCase {
    int minor, subversion;
    int byte, value;
    int grid, row;
    const char* shown;
};

class Temperatures : public ::testing::TestWithParam<TemperatureCase> {};

TEST_P(Temperatures, ShownByLayoutRule) {
    const TemperatureCase& c = GetParam();
    StatusView view;
    decodeReply(BlockBuilder().version(20, c.minor, c.subversion).allLinks().set(c.byte, c.value), view);
    EXPECT_EQ(view.grid(c.grid)->text(1, c.row), QString::fromUtf8(c.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Temperatures,
    ::testing::Values(
        TemperatureCase{12, 0, 23, 0xEC, 3, 1, "-20"},        // new: signed
        TemperatureCase{12, 0, 23, 0x63, 3, 1, "No inform."}, // new: 99
        TemperatureCase{12, 0, 3, 0x05, 3, 4, "5"}, TemperatureCase{12, 0, 141, 0xF6, 4, 3, "-10"},
        TemperatureCase{12, 0, 147, 0x7F, 11, 3, "127"},
        TemperatureCase{11, 4, 23, 0xEC, 3, 1, "236"}, // intermediate: unsigned
        TemperatureCase{11, 4, 25, 0x63, 3, 2, "No inform."}, TemperatureCase{11, 4, 143, 0xFF, 11, 1, "255"},
        TemperatureCase{11, 4, 103, 0x10, 3, 3, "16"},
        TemperatureCase{10, 0, 22, 0xFF, 3, 1, "No inform."}, // old: 255 is "no value"
        TemperatureCase{10, 0, 22, 0x63, 3, 1, "99"}, TemperatureCase{10, 0, 23, 0x15, 3, 2, "21"},
        TemperatureCase{10, 0, 24, 0x16, 4, 1, "22"}, TemperatureCase{10, 0, 25, 0x17, 4, 2, "23"},
        TemperatureCase{10, 0, 102, 0x18, 11, 1, "24"}, TemperatureCase{10, 0, 103, 0xEC, 11, 2, "236"}));

TEST(StatusDecoder, LayoutClearsAndKeepsRows) {
    StatusView view;
    for (int grid : {3, 4, 11})
        for (int row = 1; row <= 5; ++row)
            view.grid(grid)->setText(1, row, QStringLiteral("old"));

    // New layout without the extra box-2 sensors: SG4 rows 4 and 5 keep what they showed.
    decodeReply(BlockBuilder().version(20, 20, 0).allLinks(), view);
    EXPECT_EQ(view.SG4.text(1, 4), QStringLiteral("old"));
    EXPECT_EQ(view.SG4.text(1, 5), QStringLiteral("old"));
    EXPECT_EQ(view.SG4.text(1, 1), QStringLiteral("0"));

    // Intermediate: row 4 of SG3 and rows 4, 5 of SG4 are cleared.
    decodeReply(BlockBuilder().version(20, 11, 4).allLinks(), view);
    EXPECT_EQ(view.SG3.text(1, 4), QString());
    EXPECT_EQ(view.SG4.text(1, 4), QString());
    EXPECT_EQ(view.SG4.text(1, 5), QString());
    EXPECT_EQ(view.SG3.text(1, 3), QStringLiteral("0"));

    // Old: the averages are cleared too.
    for (int grid : {3, 4, 11})
        view.grid(grid)->setText(1, 3, QStringLiteral("old"));
    decodeReply(BlockBuilder().version(20, 10, 0).allLinks(), view);
    for (int grid : {3, 4, 11})
        EXPECT_EQ(view.grid(grid)->text(1, 3), QString()) << grid;
}

TEST(StatusDecoder, DiscreteInputBits) {
    StatusView view;
    decodeReply(BlockBuilder().allLinks().set16(18, 0x0FFF).set16(20, 0xFFFF).set16(104, 0x0000), view);
    for (int row = 1; row <= 12; ++row) {
        const bool notConnected = row == 3 || row == 5;
        EXPECT_EQ(view.SG1.rowColour(row), notConnected ? Yellow : Green) << row;
    }
    EXPECT_EQ(view.SG1.text(1, 3), QStringLiteral("Датчик дыма 1 - НЕ ПОДКЛЮЧЕН"));
    EXPECT_EQ(view.SG1.text(1, 5), QStringLiteral("Датчик дыма 2 - НЕ ПОДКЛЮЧЕН"));
    EXPECT_EQ(view.SG1.text(1, 12), QStringLiteral("Лампы СОМ 2 - НОРМА"));

    EXPECT_EQ(view.SG2.text(1, 1), QStringLiteral("Дверь закрыта"));
    EXPECT_EQ(view.SG2.text(1, 9), QStringLiteral("Кондиционер - НОРМА"));
    for (int row = 10; row <= 12; ++row) {
        EXPECT_EQ(view.SG2.text(1, row), QString()) << row;
        EXPECT_EQ(view.SG2.rowColour(row), White) << row;
    }

    for (int row = 1; row <= 9; ++row) {
        const bool connectedDetector = row == 3 || row == 5;
        EXPECT_EQ(view.SG10.rowColour(row), connectedDetector ? Green : Red) << row;
    }
    EXPECT_EQ(view.SG10.text(1, 1), QStringLiteral("Дверь открыта"));
    EXPECT_EQ(view.SG10.text(1, 3), QStringLiteral("Датчик дыма 1 - ПОДКЛЮЧЕН"));
    EXPECT_EQ(view.SG10.text(1, 6), QStringLiteral("Выпрямитель ИВП - АВАРИЯ"));

    decodeReply(BlockBuilder().allLinks().set16(18, 0x0000), view);
    EXPECT_EQ(view.SG1.text(1, 5), QStringLiteral("Датчик дыма 2 - ПОДКЛЮЧЕН"));
    EXPECT_EQ(view.SG1.rowColour(5), Green);
    EXPECT_EQ(view.SG1.rowColour(1), Red);
    EXPECT_EQ(view.SG1.text(1, 11), QStringLiteral("Лампы СОМ 1 - АВАРИЯ"));
}

TEST(StatusDecoder, AllLinksUp) {
    StatusView view;
    decodeReply(BlockBuilder().allLinks(), view);
    for (int row = 1; row <= 15; ++row) {
        EXPECT_EQ(view.SG6.text(1, row), QStringLiteral("OK")) << row;
        EXPECT_EQ(view.SG6.rowColour(row), Green) << row;
    }
    EXPECT_NE(view.SG1.text(1, 1), QStringLiteral("No inform."));
}

// Each clear link bit empties its SG6 row and overrides its cabinet grid or temperature cell, in every
// layout, rows the layout leaves empty included.
struct LinkCase {
    int byte, bit, sg6Row;
    int grid, row; // row 0: the whole discrete-input grid
};

class LinkOverrides : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkOverrides, ClearBit) {
    const LinkCase& c = GetParam();
    for (int minor : {10, 12}) {
        StatusView view;
        auto block = BlockBuilder().version(20, minor, 0).allLinks().set16(18, 0x0FFF).set16(20, 0x01FF);
        block.set16(104, 0x01FF).set(c.byte, (c.byte == 33 ? 0xFF : 0x7F) & ~(1 << c.bit));
        decodeReply(block, view);
        EXPECT_EQ(view.SG6.text(1, c.sg6Row), QString());
        EXPECT_EQ(view.SG6.rowColour(c.sg6Row), White);
        for (int row = 1; row <= 15; ++row) {
            if (row != c.sg6Row) {
                EXPECT_EQ(view.SG6.text(1, row), QStringLiteral("OK")) << row;
            }
        }
        if (c.grid == 0)
            continue;
        const StatusGrid& grid = *view.grid(c.grid);
        if (c.row == 0) {
            for (int row = 1; row <= 12; ++row) {
                EXPECT_EQ(grid.text(1, row), QStringLiteral("No inform.")) << row;
                EXPECT_EQ(grid.rowColour(row), White) << row;
            }
        } else {
            EXPECT_EQ(grid.text(1, c.row), QStringLiteral("No sensor")) << "minor " << minor;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkOverrides,
    ::testing::Values(LinkCase{33, 0, 1, 1, 0}, LinkCase{33, 2, 2, 3, 1}, LinkCase{33, 3, 3, 3, 2},
                      LinkCase{33, 1, 5, 2, 0}, LinkCase{33, 4, 6, 4, 1}, LinkCase{33, 5, 7, 4, 2},
                      LinkCase{33, 6, 8, 0, 0}, LinkCase{33, 7, 9, 0, 0}, LinkCase{32, 0, 10, 10, 0},
                      LinkCase{32, 1, 11, 11, 1}, LinkCase{32, 2, 12, 11, 2}, LinkCase{32, 3, 4, 3, 4},
                      LinkCase{32, 4, 13, 0, 0}, LinkCase{32, 5, 14, 4, 4}, LinkCase{32, 6, 15, 4, 5}));

TEST(StatusDecoder, ClimatePanels) {
    StatusView view;
    decodeReply(BlockBuilder().set(37, 0x3C).set(36, 0x30).set(34, 0x03), view);
    EXPECT_FALSE(view.panel(2).visible);
    EXPECT_FALSE(view.panel(3).visible);
    EXPECT_EQ(view.panel(5).colour, Red);
    EXPECT_EQ(view.panel(4).colour, Red);
    EXPECT_TRUE(view.panel(14).visible);
    EXPECT_TRUE(view.panel(15).visible);
    // Box 2 has no free cooling or mixer: bits 4 and 5 change nothing.
    EXPECT_FALSE(view.panel(6).visible);
    EXPECT_FALSE(view.panel(7).visible);
    EXPECT_EQ(view.panel(9).colour, ButtonFace);
    EXPECT_EQ(view.panel(8).colour, ButtonFace);
    EXPECT_TRUE(view.panel(10).visible);
    EXPECT_TRUE(view.panel(11).visible);

    const DecodeResult r = decodeReply(BlockBuilder().set(37, 0x3C), view);
    EXPECT_TRUE(afterDateTime(r.logLine).startsWith("Heater-1=;0;Freezer-1=;0;FC=;1;MIXER=;1;"));
    EXPECT_FALSE(view.panel(10).visible);
}

TEST(StatusDecoder, AlarmListsAndColours) {
    auto check = [](int major, int minor, int sub, quint16 word, int links1) {
        StatusView view;
        decodeReply(BlockBuilder().version(major, minor, sub).set16(38, word).set(33, links1), view);
        return view;
    };

    StatusView a = check(19, 20, 1, 0xFFFF, 0x00);
    EXPECT_EQ(a.SG7.text(1, 5), QStringLiteral("Датчик задымления"));
    EXPECT_EQ(a.SG7.text(1, 6), QStringLiteral("Неисправн. выпр. ИВП"));
    for (int row = 1; row <= 16; ++row) {
        EXPECT_EQ(a.SG7.rowColour(row), row <= 6 ? Red : White) << row;
        if (row >= 7) {
            EXPECT_EQ(a.SG7.text(1, row), QString()) << row;
        }
    }
    EXPECT_EQ(a.sg7OutputColour, White); // not touched below major 20

    StatusView b = check(20, 16, 9, 0xE000, 0xFF);
    EXPECT_EQ(b.SG7.text(1, 5), QStringLiteral("Датчик удара"));
    EXPECT_EQ(b.SG7.text(1, 13), QStringLiteral("Неисправн. блока управления ант. (RET)"));
    for (int row = 1; row <= 16; ++row) {
        EXPECT_EQ(b.SG7.rowColour(row), row >= 14 ? Red : Green) << row;
        if (row >= 14) {
            EXPECT_EQ(b.SG7.text(1, row), QString()) << row;
        }
    }
    EXPECT_EQ(b.sg7OutputColour, White);

    for (auto [minor, sub] : {std::pair{11, 4}, std::pair{17, 0}, std::pair{110, 4}}) {
        StatusView c = check(20, minor, sub, 0x0001, 0xBF);
        EXPECT_EQ(c.SG7.text(1, 2), QStringLiteral("Нарушение температ. ВАП аппарт. шкафа")) << minor;
        EXPECT_EQ(c.SG7.text(1, 16), QStringLiteral("Авария кондиционера")) << minor;
        EXPECT_EQ(c.SG7.rowColour(1), Red);
        EXPECT_EQ(c.SG7.rowColour(16), Green);
        EXPECT_EQ(c.sg7OutputColour, Yellow); // TQ7760-16 unreachable
        for (int row = 1; row <= 16; ++row)
            EXPECT_EQ(c.background(7, 0, row), Yellow);
    }

    StatusView old = check(20, 11, 3, 0, 0xFF); // minor 11 below subversion 4: list B
    EXPECT_EQ(old.SG7.text(1, 2), QStringLiteral("Превышение температуры верхн. порог"));
    EXPECT_EQ(old.SG7.text(1, 14), QString());
}

TEST(StatusDecoder, MeterAndPhaseVoltages) {
    StatusView view;
    auto block = BlockBuilder().version(20, 12, 0).allLinks();
    block.set16(26, 231).set16(28, 229).set16(30, 0xFFFF).set32(42, 1234567);
    block.set16(46, 1500).set16(48, 0).set16(50, 65535).set(35, 0x21);
    decodeReply(block, view);
    EXPECT_EQ(view.SG8.text(1, 1), QStringLiteral("0"));
    EXPECT_EQ(view.SG8.text(1, 2), QStringLiteral("1234.567  КВт * ч"));
    EXPECT_EQ(view.SG8.text(1, 3), QStringLiteral("1500  Ватт"));
    EXPECT_EQ(view.SG8.text(1, 5), QStringLiteral("65535  Ватт"));
    EXPECT_EQ(view.SG5.text(1, 1), QStringLiteral("231"));
    EXPECT_EQ(view.SG5.text(1, 3), QStringLiteral("65535"));
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            const bool red = (column == 2 && row == 1) || (column == 3 && row == 3);
            EXPECT_EQ(view.sg5CellColour(column, row), red ? Red : White) << column << "," << row;
        }
    }
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(view.SG8.rowColour(row), White);

    // A meter error paints the meter and the whole voltage grid, and the phase flags count for nothing.
    decodeReply(block.set(41, 3).set32(42, 0xFFFFFFFF), view);
    EXPECT_EQ(view.SG8.text(1, 1), QStringLiteral("3"));
    EXPECT_EQ(view.SG8.rowColour(1), Red);
    for (int row = 2; row <= 5; ++row)
        EXPECT_EQ(view.SG8.rowColour(row), Yellow);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(view.sg5CellColour(column, row), Yellow);
    EXPECT_EQ(view.SG8.text(1, 2), QStringLiteral("4294967.295  КВт * ч")); // unsigned field

    // Below major 20 the section only clears: meter empty and white, voltages kept, colours white.
    decodeReply(block.set(0, 19), view);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(view.SG8.text(1, row), QString());
        EXPECT_EQ(view.SG8.rowColour(row), White);
    }
    EXPECT_EQ(view.SG5.text(1, 1), QStringLiteral("231"));
    EXPECT_EQ(view.sg5CellColour(1, 2), White);
}

TEST(StatusDecoder, RectifierType) {
    for (auto [type, caption, rows] : {std::tuple{0x10, " Emerson ", 13}, std::tuple{0x01, " Huawei ", 9},
                                       std::tuple{0x11, " Huawei ", 9}, std::tuple{0x02, " Huawei  ", 0}}) {
        StatusView view;
        view.SG9.setText(1, 13, QStringLiteral("old"));
        decodeReply(BlockBuilder().allLinks().set(134, type), view);
        EXPECT_EQ(view.GroupBox10Caption, QString::fromLatin1(caption)) << type;
        for (int row = 1; row <= 13; ++row) {
            EXPECT_EQ(view.SG9.text(0, row).isEmpty(), row > rows) << type << " row " << row;
            if (row > rows) {
                EXPECT_EQ(view.SG9.text(1, row), QString());
            }
        }
    }
}

TEST(StatusDecoder, RectifierScalingAndTexts) {
    StatusView view;
    auto block = BlockBuilder().allLinks().set32(58, 54000).set32(62, 0xFFFFFF9C).set32(66, 87);
    block.set32(82, 4).set16(56, 11).set16(98, 2).set16(100, 13).set32(90, 0x80000000);
    decodeReply(block, view);
    EXPECT_EQ(view.SG9.text(0, 2), QStringLiteral("systemVoltage"));
    EXPECT_EQ(view.SG9.text(1, 2), QStringLiteral("54.000  V"));
    EXPECT_EQ(view.SG9.text(0, 3), QStringLiteral("systemCurrent "));
    EXPECT_EQ(view.SG9.text(1, 3), QStringLiteral("-0.100  A"));
    EXPECT_EQ(view.SG9.text(1, 4), QStringLiteral("87  %"));
    EXPECT_EQ(view.SG9.text(1, 1), QStringLiteral("11"));
    EXPECT_EQ(view.SG9.text(1, 10), QStringLiteral("-2147483.648  °C"));
    EXPECT_EQ(view.SG9.text(1, 12), QStringLiteral("2 (normal)"));
    EXPECT_EQ(view.SG9.text(1, 13), QStringLiteral("13 (MasterBateryTesting)"));

    decodeReply(block.set16(56, 2).set16(98, 3).set16(100, 1), view);
    EXPECT_EQ(view.SG9.text(1, 1), QStringLiteral("2 (normal - there are no activated alarms)"));
    EXPECT_EQ(view.SG9.text(1, 12), QStringLiteral("3 (errors)"));
    EXPECT_EQ(view.SG9.text(1, 13), QStringLiteral("1"));

    decodeReply(block.set(134, 0x01).set16(100, 3), view);
    EXPECT_EQ(view.SG9.text(0, 1), QStringLiteral("hwDcsTotalVoltage"));
    EXPECT_EQ(view.SG9.text(1, 1), QStringLiteral("5400.0  V"));
    EXPECT_EQ(view.SG9.text(1, 2), QStringLiteral("-10.0  A"));
    EXPECT_EQ(view.SG9.text(1, 6), QStringLiteral("4  шт."));
    EXPECT_EQ(view.SG9.text(0, 9), QStringLiteral("hwBattsChargeStatus)"));
    EXPECT_EQ(view.SG9.text(1, 9), QStringLiteral("3 (battery group in the discharging state)"));
}

TEST(StatusDecoder, RectifierRowColours) {
    StatusView view;
    decodeReply(BlockBuilder().allLinks().set16(54, 0x0001), view);
    for (int row = 1; row <= 13; ++row)
        EXPECT_EQ(view.SG9.rowColour(row), White) << row;

    decodeReply(BlockBuilder().allLinks().set16(54, 0x2002), view);
    for (int row = 1; row <= 13; ++row)
        EXPECT_EQ(view.SG9.rowColour(row), row == 1 || row == 13 ? Yellow : White) << row;
    EXPECT_EQ(view.background(9, 0, 1), White); // the names column stays white

    decodeReply(BlockBuilder().allLinks().set(33, 0x7F), view); // TQ7770 unreachable
    for (int row = 1; row <= 13; ++row)
        EXPECT_EQ(view.SG9.rowColour(row), Yellow) << row;

    decodeReply(BlockBuilder().set(33, 0x7F).set(134, 1).set16(54, 0xFFFF), view);
    for (int row = 1; row <= 13; ++row)
        EXPECT_EQ(view.SG9.rowColour(row), row <= 9 ? Yellow : White) << row;
}

TEST(StatusDecoder, ConfigurationEcho) {
    auto block = BlockBuilder().allLinks();
    for (int k = 106; k <= 119; ++k)
        block.set(k, k - 100);
    block.set16(120, 260)
        .set16(122, 0xBEEF)
        .set(125, 7)
        .set(127, 7)
        .set(40, 2)
        .set16(132, 7778)
        .set(134, 0x10);

    StatusView view;
    decodeReply(block, view, false);
    EXPECT_TRUE(view.echo.isEmpty());

    decodeText(block.modbus(), view, false, true);
    const ConfigEcho& echo = view.echo;
    EXPECT_EQ(echo.Edit8, QStringLiteral("6"));
    EXPECT_EQ(echo.Edit5, QStringLiteral("11"));
    EXPECT_EQ(echo.Edit18, QStringLiteral("19"));
    EXPECT_EQ(echo.Edit10, QStringLiteral("260"));
    EXPECT_EQ(echo.Edit13, QStringLiteral("48879"));
    EXPECT_EQ(echo.Edit20, QStringLiteral("7"));
    EXPECT_EQ(echo.RadioGroup1, 3); // larger values select the last item
    EXPECT_EQ(echo.sRadioButton1, false);
    EXPECT_EQ(echo.sRadioButton2, true);
    EXPECT_EQ(echo.sEdit3, QStringLiteral("7778"));
    EXPECT_EQ(echo.RadioGroup2, 1);
    int i = 0;
    for (const auto& edit : ConfigEcho::edits())
        EXPECT_TRUE((echo.*edit.value).has_value()) << edit.objectName << i++;

    decodeText(block.set(40, 0).set(134, 0).set(127, 2).modbus(), view, false, true);
    EXPECT_EQ(view.echo.sRadioButton1, false);
    EXPECT_EQ(view.echo.sRadioButton2, false);
    EXPECT_EQ(view.echo.RadioGroup2, 0);
    EXPECT_EQ(view.echo.RadioGroup1, 2);

    // The echo describes one block: a later text reply carries none.
    decodeReply(block, view, false);
    EXPECT_TRUE(view.echo.isEmpty());
}

TEST(StatusDecoder, ModbusBlockOfNewLayoutDecodesAsFarAsItGoes) {
    StatusView view;
    view.SG4.setText(1, 1, QStringLiteral("old"));
    auto block = BlockBuilder().version(20, 20, 1).allLinks().set(23, 21).set(137, 30).set(37, 1);
    const DecodeResult r = decodeText(block.modbus(), view, false, true);
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.pastEnd());
    EXPECT_FALSE(r.garbled());
    EXPECT_EQ(r.unreadNames(),
              (QStringList{QStringLiteral("T2 - 1"), QStringLiteral("T2 - 2"), QStringLiteral("T2, средняя"),
                           QStringLiteral("T2 - 3"), QStringLiteral("T2 - 4"), QStringLiteral("T3 - 1"),
                           QStringLiteral("T3 - 2"), QStringLiteral("T3, средняя")}));
    EXPECT_EQ(view.SG3.text(1, 1), QStringLiteral("21"));
    EXPECT_EQ(view.SG4.text(1, 1), QStringLiteral("old"));
    EXPECT_EQ(view.SG6.text(1, 15), QStringLiteral("OK"));
    EXPECT_FALSE(view.echo.isEmpty());
    // The fields that could not be read keep their place with an empty value.
    EXPECT_EQ(fieldCount(r.logLine), 43);
    EXPECT_TRUE(r.logLine.contains("T1-1=;21;"));
    EXPECT_TRUE(r.logLine.contains("T2-1=;;T2-2=;;T2sr=;;T2-3=;;T2-4=;;Heater-2=;0;"));
}

TEST(StatusDecoder, CrcDigitsAreNotBlockData) {
    // A new-layout reply two bytes short: its CRC digits must not be taken for bytes 146 and 147.
    StatusView view;
    view.SG11.setText(1, 3, QStringLiteral("old"));
    auto block = BlockBuilder(146).version(20, 12, 0).allLinks().set(145, 9);
    const DecodeResult r = decodeReply(block, view);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.unreadNames(), QStringList{QStringLiteral("T3, средняя")});
    EXPECT_EQ(view.SG11.text(1, 2), QStringLiteral("9"));
    EXPECT_EQ(view.SG11.text(1, 3), QStringLiteral("old"));
}

TEST(StatusDecoder, NonHexDigitSkipsOnlyItsField) {
    StatusView view;
    view.SG3.setText(1, 1, QStringLiteral("old"));
    QByteArray text = BlockBuilder().version(20, 12, 0).allLinks().set(25, 0x12).set(23, 0x34).text();
    text[3 + 2 * 23 + 1] = 'G';
    const DecodeResult r = decodeText(AddCRC(text), view, true);
    ASSERT_EQ(r.unread.size(), 1);
    EXPECT_EQ(r.unread[0], (UnreadField{QStringLiteral("T1 - 1"), 23, 1, false}));
    EXPECT_TRUE(r.garbled());
    EXPECT_FALSE(r.pastEnd());
    EXPECT_EQ(view.SG3.text(1, 1), QStringLiteral("old"));
    EXPECT_EQ(view.SG3.text(1, 2), QStringLiteral("18"));
    EXPECT_TRUE(r.logLine.contains("T1-1=;;T1-2=;18;"));
}

TEST(StatusDecoder, LowerCaseDigitsAreAccepted) {
    StatusView view;
    const QByteArray text = BlockBuilder().version(20, 12, 0).allLinks().set(23, 0xEC).text().toLower();
    const DecodeResult r = decodeText(text, view, false);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(view.SG3.text(1, 1), QStringLiteral("-20"));
}

TEST(StatusDecoder, ShortAndEmptyBlocks) {
    const StatusView design;
    for (const QByteArray& text : {QByteArray(), QByteArrayLiteral("ZV"), QByteArrayLiteral("ZVK"),
                                   QByteArrayLiteral("ZVK1"), QByteArrayLiteral("ZVK14")}) {
        StatusView view;
        const DecodeResult r = decodeText(text, view, false);
        EXPECT_FALSE(r.complete);
        EXPECT_TRUE(r.pastEnd());
        EXPECT_EQ(r.layout, TemperatureLayout::Unknown);
        EXPECT_TRUE(view == design) << text.constData();
        EXPECT_EQ(fieldCount(r.logLine), 3 + 8 + 4 + 4); // flags fields stay, with empty values
    }

    // Version only: the identifier is still shown, the layout-bound sections are skipped.
    StatusView view;
    const DecodeResult r = decodeText(BlockBuilder(18).version(20, 12, 0).set32(14, 77).text(), view, false);
    EXPECT_EQ(view.sLabel2, QStringLiteral("20.12"));
    EXPECT_EQ(view.sEdit1, QStringLiteral("77"));
    EXPECT_EQ(view.SG7.text(1, 1), QStringLiteral("Пропадание 220 В"));
    EXPECT_EQ(view.SG1.text(1, 1), design.SG1.text(1, 1));
    EXPECT_FALSE(r.complete);
}

TEST(StatusDecoder, UnreadableVersionSkipsLayoutSections) {
    StatusView view;
    QByteArray text = BlockBuilder().allLinks().set16(18, 0x0FFF).set16(38, 0xFFFF).text();
    text[3 + 2] = 'x'; // minor
    const DecodeResult r = decodeText(text, view, false);
    EXPECT_EQ(r.layout, TemperatureLayout::Unknown);
    EXPECT_TRUE(r.unreadNames().contains(QStringLiteral("minor")));
    EXPECT_EQ(view.SG1.text(1, 1), QStringLiteral("Дверь закрыта"));    // layout-free sections still run
    EXPECT_EQ(view.SG7.text(1, 1), QStringLiteral("Пропадание 220 В")); // major 0 is known: list A
    EXPECT_EQ(view.SG7.rowColour(1), Red);
    EXPECT_EQ(view.sLabel2, QString());
}
