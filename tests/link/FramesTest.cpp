#include "link/Frames.h"

#include <gtest/gtest.h>

using namespace zvk;

TEST(Frames, CrcCatalogueValues) {
    EXPECT_EQ(Crc16(QByteArray("123456789")), 0x4B37);
    EXPECT_EQ(AddCRC(QByteArray()), QByteArray("FFFF"));
    // High byte first: the register-0 write's CRC 0x0387 travels as 87 03 in the binary frame
    // but is written 0387 in text.
    EXPECT_EQ(AddCRC(QByteArray::fromHex("1F0600001234")).right(4), QByteArray("0387"));
}

TEST(Frames, CheckCrcBoundariesAndCase) {
    const QByteArray reply = AddCRC("VT=0A0B0C");
    EXPECT_TRUE(CheckCRC(reply));
    EXPECT_EQ(reply.size(), 13);
    EXPECT_FALSE(CheckCRC("FFFF"));     // four characters: nothing to check
    EXPECT_TRUE(CheckCRC(AddCRC("Z"))); // five: checked over the first
    EXPECT_FALSE(CheckCRC(AddCRC("Z").replace(0, 1, "Y")));
    // The CRC of a write covers "ZVK+" and the name, not only the payload.
    EXPECT_NE(AddCRC("ZVK+VT=0A0B0C").right(4), AddCRC("0A0B0C").right(4));

    QByteArray lower = AddCRC("VT=000000");
    const QByteArray digits = lower.right(4);
    ASSERT_NE(digits.toLower(), digits) << "pick a text whose CRC has a letter digit";
    lower.replace(lower.size() - 4, 4, digits.toLower());
    EXPECT_FALSE(CheckCRC(lower));
}

TEST(Frames, StoredModbusFramesCarryTheirCrc) {
    for (const QByteArray& f : {ModbusFrames::readStatus(), ModbusFrames::requestServer(),
                                ModbusFrames::configPortModbus(), ModbusFrames::configPortText()}) {
        EXPECT_EQ(f.size(), 8);
        EXPECT_EQ(quint8(f[0]), 0x1F);
        EXPECT_TRUE(CheckModbusCRC(f)) << f.toHex().constData();
    }
    EXPECT_EQ(ModbusFrames::readStatus().toHex(' '), QByteArray("1f 03 00 00 00 44 46 47"));
    QByteArray swapped = ModbusFrames::requestServer();
    std::swap(swapped[6], swapped[7]);
    EXPECT_FALSE(CheckModbusCRC(swapped));
    EXPECT_FALSE(CheckModbusCRC(QByteArray(1, '\x1F')));
}

TEST(Frames, HexCharAndBits) {
    for (char c : QByteArray("09afAF"))
        EXPECT_TRUE(IsHexChar(c)) << c;
    for (int c = 0; c < 256; ++c) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        EXPECT_EQ(IsHexChar(char(c)), hex) << c;
    }
    EXPECT_TRUE(BitIsSet(quint8(0x80), 7));
    EXPECT_FALSE(BitIsSet(quint8(0x80), 0));
    EXPECT_TRUE(BitIsSet(quint16(0x8100), 8));
    EXPECT_TRUE(BitIsSet(quint16(0x8100), 15));
    EXPECT_FALSE(BitIsSet(quint16(0x8100), 7));
}

TEST(Frames, TerminatorsAndLogForms) {
    EXPECT_EQ(terminatorBytes(TermNone), QByteArray());
    EXPECT_EQ(terminatorBytes(TermCR), QByteArray("\r"));
    EXPECT_EQ(terminatorBytes(TermCRLF), QByteArray("\r\n"));
    EXPECT_EQ(SpacedHex(ModbusFrames::requestServer()), QByteArray("1F 06 00 00 12 34 87 03 "));
    EXPECT_EQ(PlainHex(QByteArray::fromHex("0aff")), QByteArray("0AFF"));
    EXPECT_EQ(fromWire(toWire(QStringLiteral("Точка доступа"))), QStringLiteral("Точка доступа"));
    EXPECT_EQ(toWire(QStringLiteral("Я")), QByteArray("\xDF"));
}
