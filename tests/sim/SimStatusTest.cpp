// The status block the simulator sends, checked byte by byte against the layout per firmware.

#include "SimTestUtil.h"
#include "core/Controller.h"
#include "core/Ports.h"
#include "core/StatusBlock.h"

#include <gtest/gtest.h>

using namespace zvk::sim;
using namespace zvk::sim::test;

namespace {

// A site with known values: box temperatures 21/23, 15/17/19/21, 25/27; outside -7 °C.
void setUpSite(Controller& c) {
    SiteModel& s = c.site();
    s.cabinet(0).air = 21.0;
    s.cabinet(0).bias = {0, 2, 0, 0};
    s.cabinet(1).air = 15.0;
    s.cabinet(1).bias = {0, 2, 4, 6};
    s.cabinet(2).air = 25.0;
    s.cabinet(2).bias = {0, 2, 0, 0};
    for (auto* b : {&s.cabinet(0), &s.cabinet(1), &s.cabinet(2)}) {
        b->heater = b->cooler = b->freeCooling = b->mixer = b->belowLower = b->aboveUpper = false;
        b->doorOpenSeconds = 0;
    }
    s.setOutside(-7.0);
    s.setPhaseVoltage(0, 231);
    s.setPhaseVoltage(1, 229);
    s.setPhaseVoltage(2, 240);
    s.setEnergyWh(1234567);
}

int word(const QByteArray& b, int at) {
    return (byteAt(b, at) << 8) | byteAt(b, at + 1);
}

struct LayoutCase {
    Firmware fw;
    int size;
    enum { Old, Intermediate, New } layout;
    bool extra;
    bool power;
};

class StatusLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(StatusLayout, BytesSitWhereTheLayoutPutsThem) {
    const LayoutCase& k = GetParam();
    Controller c(fixedConfig(k.fw));
    setUpSite(c);
    const QByteArray b = c.statusBlock();
    ASSERT_EQ(b.size(), k.size);

    EXPECT_EQ(byteAt(b, 0), k.fw.major);
    EXPECT_EQ(byteAt(b, 1), k.fw.minor); // as configured, 111 and 110 included
    EXPECT_EQ(byteAt(b, 13), k.fw.sub);
    EXPECT_EQ(byteAt(b, 11), 1);                      // GENERAL_MODE
    EXPECT_EQ(b.mid(14, 4), hexBytes("00 BC 61 4E")); // unit ID 12345678
    EXPECT_EQ(word(b, 18), 0x0FFB);                   // box 1: smoke detector 2 not fitted
    EXPECT_EQ(word(b, 20), 0x01FB);
    EXPECT_EQ(word(b, 104), 0x01FB);

    if (k.layout == LayoutCase::Old) {
        EXPECT_EQ(byteAt(b, 22), 21);
        EXPECT_EQ(byteAt(b, 23), 23);
        EXPECT_EQ(byteAt(b, 24), 15);
        EXPECT_EQ(byteAt(b, 25), 17);
        EXPECT_EQ(byteAt(b, 102), 25);
        EXPECT_EQ(byteAt(b, 103), 27);
    } else {
        EXPECT_EQ(byteAt(b, 23), 21);  // T1 - 1
        EXPECT_EQ(byteAt(b, 25), 23);  // T1 - 2
        EXPECT_EQ(byteAt(b, 103), 22); // T1, средняя
        EXPECT_EQ(byteAt(b, 137), 15);
        EXPECT_EQ(byteAt(b, 139), 17);
        EXPECT_EQ(byteAt(b, 141), 16);
        EXPECT_EQ(byteAt(b, 143), 25);
        EXPECT_EQ(byteAt(b, 145), 27);
        EXPECT_EQ(byteAt(b, 147), 26);
        EXPECT_EQ(byteAt(b, 22), 0);
    }
    EXPECT_EQ(byteAt(b, 3), k.layout == LayoutCase::New ? 0xF9 : 0x00); // outside -7
    if (k.extra) {
        EXPECT_EQ(byteAt(b, 149), 19);
        EXPECT_EQ(byteAt(b, 151), 21);
    }
    EXPECT_EQ(byteAt(b, 33), 0xFF);
    EXPECT_EQ(byteAt(b, 32), k.extra ? 0x7F : 0x1F);

    if (k.power) {
        EXPECT_EQ(word(b, 26), 231);
        EXPECT_EQ(word(b, 28), 229);
        EXPECT_EQ(word(b, 30), 240);
        EXPECT_EQ(b.mid(42, 4), hexBytes("00 12 D6 87"));
        EXPECT_GT(word(b, 46), 0);
    } else {
        EXPECT_EQ(b.mid(26, 6), QByteArray(6, '\0'));
        EXPECT_EQ(b.mid(41, 11), QByteArray(11, '\0'));
    }

    // The text form and the Modbus registers carry the same bytes.
    const QByteArray line = c.statusText();
    EXPECT_EQ(line.size(), 3 + 2 * k.size + 4);
    EXPECT_TRUE(line.startsWith("ZVK"));
    EXPECT_TRUE(crcOk(line));
    EXPECT_EQ(QByteArray::fromHex(line.mid(3, 2 * k.size)), b);
    const Reply r = c.handleModbus(modbus({0x1F, 0x03, 0x00, 0x00, 0x00, 0x44}));
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_EQ(r.lines[0].mid(3, 136), b.left(136));
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, StatusLayout,
    ::testing::Values(LayoutCase{{10, 1, 0}, 136, LayoutCase::Old, false, false},
                      LayoutCase{{20, 11, 3}, 136, LayoutCase::Old, false, true},
                      LayoutCase{{20, 111, 5}, 136, LayoutCase::Old, false, true}, // minor 111 counts as 10
                      LayoutCase{{20, 11, 4}, 148, LayoutCase::Intermediate, false, true},
                      LayoutCase{
                          {20, 110, 4}, 148, LayoutCase::Intermediate, false, true}, // 110 counts as 11
                      LayoutCase{{20, 17, 0}, 148, LayoutCase::New, false, true},
                      LayoutCase{{20, 20, 0}, 148, LayoutCase::New, false, true},
                      LayoutCase{{20, 20, 1}, 152, LayoutCase::New, true, true},
                      LayoutCase{{19, 20, 1}, 152, LayoutCase::New, true, false}));

TEST(StatusBlock, ConfigurationEchoFollowsTheParameterGroups) {
    Controller c(fixedConfig());
    auto write = [&](const QByteArray& text) { return c.handleLine(withCrc(text)).lines; };
    ASSERT_EQ(write("ZVK+PGT=D8F6030A0F1E19"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+PGTAKB=2300040C101C18"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+PGU=1040B40A"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+KOLAKB=03"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+TIPES=01"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+CONSRV=0A0000011985"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+IMEI_EEPROM=FFED2979"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+GENERAL_MODE=02"), QList<QByteArray>{"ZVKOK"});
    const QByteArray b = c.statusBlock();

    // PGT on the wire: upper, lower, hysteresis, heater on, heater off, cooler on, cooler off;
    // the block keeps upper, lower, heater on/off, cooler on/off, then the two hystereses.
    EXPECT_EQ(b.mid(106, 14), hexBytes("D8 F6 0A 0F 1E 19  23 00 0C 10 1C 18  03 04"));
    EXPECT_EQ(word(b, 120), 0x104);
    EXPECT_EQ(word(b, 122), 0x0B4);
    EXPECT_EQ(byteAt(b, 125), 0x0A);
    EXPECT_EQ(byteAt(b, 127), 3);
    EXPECT_EQ(byteAt(b, 40), 1);
    EXPECT_EQ(word(b, 132), 6533);
    EXPECT_EQ(b.mid(14, 4), hexBytes("FF ED 29 79"));
    EXPECT_EQ(byteAt(b, 11), 2);
    EXPECT_EQ(byteAt(b, 134), 0x10); // text port, Emerson

    ASSERT_EQ(write("ZVK+MODECONFIGPORT=00"), QList<QByteArray>{"ZVKOK"});
    ASSERT_EQ(write("ZVK+TIPIVP=01"), QList<QByteArray>{"ZVKOK"});
    EXPECT_EQ(byteAt(c.statusBlock(), 134), 0x01); // Modbus port, Huawei
    EXPECT_FALSE(c.textPort());
}

TEST(StatusBlock, RectifierRowsFollowThePlantType) {
    Controller c(fixedConfig()); // Emerson; the plant sits at 54.0 V
    QByteArray b = c.statusBlock();
    EXPECT_EQ(word(b, 56), 2);
    EXPECT_EQ(b.mid(58, 4), hexBytes("00 00 D2 F0")); // 54000: 54.000 V
    EXPECT_EQ(word(b, 98), 2);
    EXPECT_EQ(word(b, 100), 2);

    ASSERT_EQ(c.handleLine(withCrc("ZVK+TIPIVP=01")).lines, QList<QByteArray>{"ZVKOK"});
    b = c.statusBlock();
    EXPECT_EQ(b.mid(58, 4), hexBytes("00 00 02 1C")); // 540: 54.0 V
    EXPECT_EQ(b.mid(82, 4), hexBytes("00 00 00 04")); // rectifier modules
    EXPECT_EQ(word(b, 56), 0);                        // Huawei leaves the Emerson status empty
    EXPECT_EQ(word(b, 100), 1);
}

TEST(StatusBlock, FlagsFollowTheSite) {
    Controller c(fixedConfig({20, 20, 1}));
    setUpSite(c);
    SiteModel& s = c.site();
    s.cabinet(0).heater = true;
    s.cabinet(0).belowLower = true;
    s.cabinet(0).mixer = true;
    s.cabinet(1).cooler = true;
    s.cabinet(1).aboveUpper = true;
    s.cabinet(2).doorOpenSeconds = 30;
    s.setPhaseVoltage(1, 172); // below the lower AC threshold of 190 V
    s.setPhaseVoltage(2, 260); // above the upper of 250 V
    const QByteArray b = c.statusBlock();
    EXPECT_EQ(byteAt(b, 37), 0x25); // heater, "НАП", mixer
    EXPECT_EQ(byteAt(b, 36), 0x0A); // cooler, "ВАП"
    EXPECT_EQ(byteAt(b, 34), 0x00);
    EXPECT_EQ(word(b, 104), 0x01FA); // box 3 door open
    EXPECT_EQ(byteAt(b, 35), 0x24);  // U-B "НАП", U-C "ВАП"
    // Mains loss, box 1 below its lower threshold, a door, battery cabinet above its upper.
    EXPECT_EQ(word(b, 38), 0x0001 | 0x0004 | 0x0008 | 0x2000);

    Controller old(fixedConfig({19, 10, 0}));
    setUpSite(old);
    old.site().cabinet(1).aboveUpper = true;
    old.site().cabinet(0).doorOpenSeconds = 5;
    EXPECT_EQ(word(old.statusBlock(), 38), 0x0008); // six outputs only
}

TEST(StatusBlock, SiteValuesMoveUnlessStatic) {
    ControllerConfig cfg = fixedConfig();
    cfg.staticSite = false;
    Controller moving(cfg);
    const QByteArray before = moving.statusBlock();
    moving.advance(600 * 1000);
    const QByteArray after = moving.statusBlock();
    EXPECT_NE(before.mid(42, 4), after.mid(42, 4)); // the meter counts
    EXPECT_GT(word(after, 42) * 65536 + word(after, 44), word(before, 42) * 65536 + word(before, 44));

    Controller still(fixedConfig());
    const QByteArray s0 = still.statusBlock();
    still.advance(600 * 1000);
    EXPECT_EQ(still.statusBlock(), s0);
}

TEST(StatusBlock, HeaterFollowsItsThresholds) {
    ControllerConfig cfg = fixedConfig();
    cfg.staticSite = false;
    Controller c(cfg);
    // Switch-on point above anything the cabinet reaches by itself: the heater comes on.
    ASSERT_EQ(c.handleLine(withCrc("ZVK+PGT=5005023C461E19")).lines, QList<QByteArray>{"ZVKOK"});
    c.advance(2000);
    EXPECT_TRUE(byteAt(c.statusBlock(), 37) & 0x01);
    // Back to 10 °C on, 15 °C off: a cabinet well above 15 °C switches it off again.
    ASSERT_EQ(c.handleLine(withCrc("ZVK+PGT=2805020A0F1E19")).lines, QList<QByteArray>{"ZVKOK"});
    c.site().cabinet(0).air = 30.0;
    c.advance(1000);
    EXPECT_FALSE(byteAt(c.statusBlock(), 37) & 0x01);
}

} // namespace
