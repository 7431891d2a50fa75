#include "LinkFixture.h"
#include "link/Frames.h"

#include <QSignalSpy>

using namespace zvk;
using namespace zvk::test;

using SerialLinkTest = SerialFixture;

TEST_F(SerialLinkTest, SendsWithEachTerminatorAndLogsWithout) {
    serial.Sendstr("ZVK+VT?", TermCRLF);
    serial.Sendstr("ATE0", TermCR);
    serial.Sendstr("+++", TermNone);
    ASSERT_TRUE(peer.waitForBytes(9 + 5 + 3));
    EXPECT_EQ(peer.received(), QByteArray("ZVK+VT?\r\nATE0\r+++"));
    EXPECT_EQ(view.texts(),
              (QStringList{QStringLiteral("ZVK+VT?"), QStringLiteral("ATE0"), QStringLiteral("+++")}));
}

TEST_F(SerialLinkTest, BinaryFrameLoggedAsSpacedHex) {
    serial.SendBinarStr(ModbusFrames::requestServer());
    ASSERT_TRUE(peer.waitForBytes(8));
    EXPECT_EQ(peer.received(), ModbusFrames::requestServer());
    ASSERT_EQ(view.lines.size(), 1);
    EXPECT_EQ(view.lines[0].text, QStringLiteral("1F 06 00 00 12 34 87 03 "));
    EXPECT_EQ(view.lines[0].colour, rgb(255, 0, 0));
    serial.SenByte('\x1B');
    ASSERT_TRUE(peer.waitForBytes(9));
    EXPECT_EQ(view.lines.size(), 1) << "a single byte is not logged";
}

TEST_F(SerialLinkTest, TooLongTextIsNotSentButLogged) {
    const QByteArray text(SerialLink::OutputBufferSize, 'A'); // with CR LF it no longer fits
    serial.Sendstr(text, TermCRLF);
    serial.Sendstr("ok", TermCR);
    ASSERT_TRUE(peer.waitForBytes(3));
    pump(50);
    EXPECT_EQ(peer.received(), QByteArray("ok\r"));
    EXPECT_EQ(view.lines.size(), 2);
}

TEST_F(SerialLinkTest, LineAssembly) {
    QSignalSpy ready(&serial, &TextLink::lineReadyRaised);
    // Split over several events; the earlier parts wait in RxBuffer.
    peer.write("VT=01");
    ASSERT_TRUE(pumpUntil([&] { return serial.RxBuffer == "VT=01"; }));
    EXPECT_FALSE(serial.LineReady);
    peer.write("0203\r\nSECOND\r\nTHI");
    ASSERT_TRUE(pumpUntil([&] { return serial.RxBuffer == "THI"; }));
    EXPECT_TRUE(serial.LineReady);
    EXPECT_EQ(serial.LastLine, QByteArray("VT=010203")) << "the first line stays until the flag is cleared";
    EXPECT_EQ(ready.count(), 1);
    EXPECT_EQ(view.texts(), (QStringList{{}, QStringLiteral("VT=010203"), QStringLiteral("SECOND")}));
    // CR LF in one block leaves nothing behind; empty lines are dropped.
    serial.clearReceive();
    peer.write("\r\n\r\nX\r\n");
    ASSERT_TRUE(pumpUntil([&] { return serial.LineReady; }));
    EXPECT_EQ(serial.LastLine, QByteArray("X"));
    pump(20);
    EXPECT_TRUE(serial.RxBuffer.isEmpty());
}

TEST_F(SerialLinkTest, EndOfConnectionLinesOnlyWhileLinkUp) {
    QSignalSpy ended(&serial, &SerialLink::connectionEnded);
    peer.write("NO CARRIER\r\n");
    ASSERT_TRUE(pumpUntil([&] { return view.lines.size() == 2; }));
    EXPECT_EQ(ended.count(), 0);
    state.setLinkUp(true);
    peer.write("NO CARRIER\r\nDISCONNECT\r\nNO CARRIER 2\r\n");
    ASSERT_TRUE(pumpUntil([&] { return view.lines.size() == 5; }));
    EXPECT_EQ(ended.count(), 2) << "exact lines only";
}

TEST_F(SerialLinkTest, BinaryModeKeepsBytesRaw) {
    serial.BinaryRxMode = true;
    peer.write(QByteArray("\x1F\x06\r\n\x00", 5));
    ASSERT_TRUE(pumpUntil([&] { return serial.RxBuffer.size() == 5; }));
    EXPECT_FALSE(serial.LineReady);
    EXPECT_TRUE(view.lines.isEmpty());
}

TEST_F(SerialLinkTest, OverlongPartialLineIsDropped) {
    // The longest legitimate line passes whole.
    const QByteArray eeprom = "EEPROM=" + QByteArray(8190, 'A');
    peer.write(eeprom + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return serial.LineReady; }));
    EXPECT_EQ(serial.LastLine, eeprom);

    serial.clearReceive();
    view.lines.clear();
    const QByteArray junk(40000, 'J');
    peer.write(junk);
    peer.write(junk); // now past the limit
    ASSERT_TRUE(pumpUntil([&] { return !view.lines.isEmpty(); }));
    EXPECT_EQ(view.lines.last().colour, rgb(0, 128, 0));
    EXPECT_LE(serial.RxBuffer.size(), TextLink::MaxPartialLine);
    peer.write(junk + "\r\nOK\r\n"); // the tail of the dropped line is no line of its own
    ASSERT_TRUE(pumpUntil([&] { return serial.LineReady; }));
    EXPECT_EQ(serial.LastLine, QByteArray("OK"));
}

TEST_F(SerialLinkTest, VanishedPortClosesCleanly) {
    QSignalSpy lost(&serial, &SerialLink::portLost);
    peer.closeMaster();
    ASSERT_TRUE(pumpUntil([&] { return lost.count() == 1; }, 3000));
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(serial.openButtonCaption(), QStringLiteral("Open  COM-port"));
    serial.Sendstr("ZVK+TS?", TermCRLF); // a closed port writes nothing, the line is still logged
    EXPECT_EQ(view.lines.last().text, QStringLiteral("ZVK+TS?"));
}

TEST(SerialPortIdentity, NumberedPortsAndCaptions) {
    EXPECT_EQ(SerialLink::numberForPort(QStringLiteral("/dev/ttyS0")), 1);
    EXPECT_EQ(SerialLink::numberForPort(QStringLiteral("ttyS3")), 4);
    EXPECT_EQ(SerialLink::numberForPort(QStringLiteral("/dev/ttyUSB0")), 0);
    EXPECT_EQ(SerialLink::portForNumber(2), QStringLiteral("/dev/ttyS1"));
    EXPECT_TRUE(SerialLink::portForNumber(0).isEmpty());

    LinkState state;
    OperationLog log;
    SerialLink link(state, log);
    EXPECT_EQ(link.portCaption(), QStringLiteral(" COM-port : Not select "));
    link.InitCOM();
    EXPECT_EQ(link.portCaption(), QStringLiteral("COM-port : Not select "));
    link.setPortName(QStringLiteral("/dev/ttyS2"));
    link.InitCOM();
    EXPECT_EQ(link.portCaption(), QStringLiteral(" COM-port : COM-3 "));
    link.setPortName(QStringLiteral("/dev/ttyUSB0"));
    link.InitCOM();
    EXPECT_EQ(link.portCaption(), QStringLiteral(" COM-port : /dev/ttyUSB0 "));
    QString error;
    link.setPortName(QStringLiteral("/dev/zvk-no-such-port"));
    EXPECT_FALSE(link.open(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(link.isOpen());
}
