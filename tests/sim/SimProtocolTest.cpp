// The simulated controller's text and Modbus exchanges, checked against the request and reply
// forms of the protocol.

#include "SimTestUtil.h"
#include "core/Controller.h"
#include "core/Ports.h"

#include <gtest/gtest.h>

using namespace zvk::sim;
using namespace zvk::sim::test;

namespace {

QList<QByteArray> ask(Controller& c, const QByteArray& line) {
    return c.handleLine(line).lines;
}
QByteArray one(Controller& c, const QByteArray& line) {
    const QList<QByteArray> l = ask(c, line);
    return l.size() == 1 ? l[0] : QByteArray("<" + QByteArray::number(l.size()) + " lines>");
}

TEST(SimCrc, TheBitwiseReferenceMatchesTheCatalogue) {
    EXPECT_EQ(crcBitwise("123456789"), 0x4B37);
    EXPECT_EQ(modbus({0x1F, 0x03, 0x00, 0x00, 0x00, 0x44}), hexBytes("1F 03 00 00 00 44 46 47"));
    EXPECT_EQ(modbus({0x1F, 0x06, 0x00, 0x00, 0x12, 0x34}), hexBytes("1F 06 00 00 12 34 87 03"));
}

TEST(SimModbus, AnswersTheFourFixedFramesByteForByte) {
    Controller c(fixedConfig());
    // Register writes are echoed whole, CRC included.
    for (const char* frame :
         {"1F 06 00 05 00 00 9A 75", "1F 06 00 05 00 01 5B B5", "1F 06 00 00 12 34 87 03"}) {
        const Reply r = c.handleModbus(hexBytes(frame));
        ASSERT_EQ(r.lines.size(), 1) << frame;
        EXPECT_EQ(r.lines[0], hexBytes(frame));
        EXPECT_TRUE(r.binary);
    }
    EXPECT_EQ(c.handleModbus(hexBytes("1F 06 00 00 12 34 87 03")).after, LineAction::ConnectServer);

    const Reply status = c.handleModbus(hexBytes("1F 03 00 00 00 44 46 47"));
    ASSERT_EQ(status.lines.size(), 1);
    const QByteArray f = status.lines[0];
    ASSERT_EQ(f.size(), 141);
    EXPECT_EQ(f.left(3), hexBytes("1F 03 88"));
    const std::uint16_t crc = crcBitwise(f.left(139));
    EXPECT_EQ(byteAt(f, 139), crc & 0xFF);
    EXPECT_EQ(byteAt(f, 140), crc >> 8);
    EXPECT_EQ(f.mid(3, 136), c.statusBlock().left(136));
}

TEST(SimModbus, RefusesWhatTheControllerDoesNotHold) {
    Controller c(fixedConfig());
    struct Case {
        QByteArray request;
        QByteArray reply; // empty: silence
    } cases[] = {
        {modbus({0x1F, 0x03, 0x00, 0x40, 0x00, 0x10}), modbus({0x1F, 0x83, 0x02})}, // beyond the block
        {modbus({0x1F, 0x06, 0x00, 0x07, 0x00, 0x01}), modbus({0x1F, 0x86, 0x02})}, // no such register
        {modbus({0x1F, 0x06, 0x00, 0x05, 0x00, 0x02}), modbus({0x1F, 0x86, 0x03})}, // no such mode
        {modbus({0x1F, 0x10, 0x00, 0x05, 0x00, 0x01}), modbus({0x1F, 0x90, 0x01})}, // no such function
        {modbus({0x20, 0x03, 0x00, 0x00, 0x00, 0x44}), {}},                         // another slave
    };
    for (const Case& k : cases) {
        const Reply r = c.handleModbus(k.request);
        EXPECT_EQ(r.lines.isEmpty() ? QByteArray() : r.lines[0], k.reply) << k.request.toHex(' ').constData();
    }
}

TEST(SimModbus, CablePortFramesRequestsAndSwitchesWithThePortMode) {
    ControllerConfig cfg = fixedConfig();
    cfg.modbusPort = true;
    Controller c(cfg);
    FaultSet faults;
    CablePort port(c, faults);
    const QByteArray status = hexBytes("1F 03 00 00 00 44 46 47");

    // Text is noise to a Modbus port; a request in two pieces within the gap is one frame;
    // noise in front of a frame is skipped.
    EXPECT_TRUE(joined(port.feed("SET_CONFIG_MODE?\r", 0)).isEmpty());
    EXPECT_TRUE(joined(port.feed(status.left(3), 1000)).isEmpty());
    EXPECT_EQ(joined(port.feed(status.mid(3), 1010)).size(), 141);
    EXPECT_EQ(joined(port.feed(hexBytes("00 FF") + status, 2000)).size(), 141);
    // A half frame left longer than the gap is dropped, so the next request stands alone.
    port.feed(status.left(4), 3000);
    EXPECT_EQ(joined(port.feed(status, 3000 + ModbusPort::FrameGapMs + 1)).size(), 141);
    // A frame with a bad CRC gets no reply.
    QByteArray bad = status;
    bad[7] = 0;
    EXPECT_TRUE(joined(port.feed(bad, 5000)).isEmpty());

    // Register 5 = 1: the echo, then the port speaks text.
    EXPECT_EQ(joined(port.feed(hexBytes("1F 06 00 05 00 01 5B B5"), 6000)),
              hexBytes("1F 06 00 05 00 01 5B B5"));
    EXPECT_TRUE(c.textPort());
    EXPECT_EQ(joined(port.feed("SET_CONFIG_MODE?\r", 7000)), QByteArray("ZVKOK\r\n"));
    // And back to Modbus by the text write.
    EXPECT_EQ(joined(port.feed(withCrc("ZVK+MODECONFIGPORT=00") + "\r\n", 8000)), QByteArray("ZVKOK\r\n"));
    EXPECT_FALSE(c.textPort());
    EXPECT_TRUE(joined(port.feed("ZVK+TS?\r\n", 9000)).isEmpty());
    EXPECT_EQ(joined(port.feed(status, 10000)).size(), 141);
}

TEST(SimText, LinesEndWithCrOrCrLfAndMayArriveInPieces) {
    Controller c(fixedConfig());
    FaultSet faults;
    TextPort port(c, faults);
    EXPECT_EQ(joined(port.feed("SET_CONFIG_MODE?\r", 0)), QByteArray("ZVKOK\r\n"));
    EXPECT_EQ(joined(port.feed("ZVK+V", 0)), QByteArray());
    EXPECT_EQ(joined(port.feed("T?\r\nZVK+KOLAKB?\r\n", 0)),
              withCrc("VT=1E3C78") + "\r\n" + withCrc("KOLAKB=01") + "\r\n");
    // A line that never ends is dropped whole; the line after it is answered.
    EXPECT_TRUE(joined(port.feed(QByteArray(5000, 'A'), 0)).isEmpty());
    EXPECT_EQ(joined(port.feed("\r\nZVK+RELOAD_3_CONDITION\r", 0)), QByteArray("ZVKOK\r\n"));
    // Stray bytes left without a line end are forgotten after a pause.
    EXPECT_TRUE(joined(port.feed(hexBytes("1F 06 00 05 00 01 5B B5"), 1000)).isEmpty());
    EXPECT_EQ(joined(port.feed("SET_CONFIG_MODE?\r", 1000 + TextPort::PartialLineMs + 1)),
              QByteArray("ZVKOK\r\n"));
}

TEST(SimText, ActionCommands) {
    Controller c(fixedConfig());
    EXPECT_EQ(one(c, "SET_CONFIG_MODE?"), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+RELOAD_FIRST_CONDITION"), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+RELOAD_SECOND_CONDITION"), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+RELOAD_3_CONDITION"), "ZVKOK");
    EXPECT_EQ(one(c, "AR**V"), "W**V");
    const Reply d = c.handleLine("ZVK+DISCONNECT");
    EXPECT_EQ(d.lines, QList<QByteArray>{"DISCONNECT"});
    EXPECT_EQ(d.after, LineAction::EndSession);
    // Requests the controller does not know get no reply.
    for (const char* unknown : {"ZVK+NOSUCH?", "ZVK+TS", "HELLO", "ZVK+MBADRW0900?", "ZVK+EEPROM1?", ""})
        EXPECT_TRUE(c.handleLine(unknown).empty()) << unknown;
}

struct GroupCase {
    const char* name;
    const char* payload; // written, then read back
};

TEST(SimParameters, EveryGroupIsWrittenAndReadBack) {
    Controller c(fixedConfig());
    const GroupCase cases[] = {
        {"VT", "1E3C78"},
        {"PGU", "12C0640A"},
        {"PGT", "D8F6030A0F1E19"},
        {"PGTAKB", "7F800102030405"},
        {"PGTFCU", "1814F6"},
        {"PorMIXER", "FF00"},
        {"KOLAKB", "02"},
        {"MB", "FFF0"},
        {"SRVAPN", "C0A801640C97internet.mts.ru"},
        {"SRVAPN", "0A0000010C97"}, // empty APN: the CRC follows the port
        {"CONSRV", "0A0000011985"},
        {"LAN", "001A2B3C4D5EFFFFFF00C0A80101C0A801641E62"},
        {"TIPES", "01"},
        {"TIPIVP", "01"},
        {"MODES", "01"},
        {"GENERAL_MODE", "02"},
        {"IMEI_EEPROM", "00BC614E"},
        {"MODECONFIGPORT", "01"},
    };
    for (const GroupCase& k : cases) {
        const QByteArray name = k.name;
        EXPECT_EQ(ask(c, withCrc("ZVK+" + name + "=" + k.payload)), QList<QByteArray>{"ZVKOK"}) << k.name;
        EXPECT_EQ(one(c, "ZVK+" + name + "?"), withCrc(name + "=" + k.payload)) << k.name;
    }
}

TEST(SimParameters, ReplyLengthsMatchTheCatalogue) {
    Controller c(fixedConfig());
    const std::pair<const char*, int> lengths[] = {
        {"VT", 13},
        {"PGU", 16},
        {"PGT", 22},
        {"PGTAKB", 25},
        {"PGTFCU", 17},
        {"PorMIXER", 17},
        {"KOLAKB", 13},
        {"MB", 11},
        {"CONSRV", 23},
        {"LAN", 48},
        {"TIPES", 12},
        {"TIPIVP", 13},
        {"MODECONFIGPORT", 21},
        {"MODES", 12},
        {"GENERAL_MODE", 19},
        {"IMEI_EEPROM", 24},
        {"CONDISH", 20},
    };
    for (const auto& [name, length] : lengths) {
        const QByteArray reply = one(c, "ZVK+" + QByteArray(name) + "?");
        EXPECT_EQ(reply.size(), length) << name;
        EXPECT_TRUE(crcOk(reply)) << name;
        EXPECT_TRUE(reply.startsWith(QByteArray(name) + "=")) << name;
    }
    EXPECT_EQ(one(c, "ZVK+SRVAPN?").size(), 23 + 8); // the APN "internet"
    // The GSM module's IMEI: plain text after "=", no CRC.
    EXPECT_EQ(one(c, "ZVK+IMEI_MODEMA?"), "IMEI_MODEMA=356938035643809");
}

TEST(SimParameters, CondishKeepsItsStatusBytes) {
    Controller c(fixedConfig());
    c.params().setCondishStatus(0x00, 0x81);
    EXPECT_EQ(one(c, "ZVK+CONDISH?"), withCrc("CONDISH=051E0081"));
    EXPECT_EQ(one(c, withCrc("ZVK+CONDISH=0A14")), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+CONDISH?"), withCrc("CONDISH=0A140081"));
}

TEST(SimParameters, MalformedWritesGetAnErrorAndChangeNothing) {
    Controller c(fixedConfig());
    const QByteArray before = one(c, "ZVK+VT?");
    const QByteArray good = withCrc("ZVK+VT=141414");
    ASSERT_EQ(good.right(4), "2CC2");
    const QByteArray malformed[] = {
        "ZVK+VT=1414142CC3",            // wrong CRC
        "ZVK+VT=1414142cc2",            // CRC digits in lower case
        "ZVK+VT=141414",                // no CRC
        withCrc("ZVK+VT=1414"),         // too short
        withCrc("ZVK+VT=14141414"),     // too long
        withCrc("ZVK+VT=14G414"),       // not hex
        withCrc("ZVK+TIPES="),          // no meter chosen
        withCrc("ZVK+IMEI_MODEMA=123"), // read only
    };
    for (const QByteArray& w : malformed)
        EXPECT_EQ(ask(c, w), QList<QByteArray>{"ERROR"}) << w.constData();
    EXPECT_EQ(one(c, "ZVK+VT?"), before);
    EXPECT_EQ(one(c, good), "ZVKOK");
}

// ---- adapters ----

TEST(SimAdapters, ReadBlocksHaveTheirRegisterCounts) {
    Controller c(fixedConfig());
    const std::pair<const char*, int> reads[] = {
        {"ZVK+MBADRW09002F?", 47}, {"ZVK+MBADRW0A002F?", 47}, {"ZVK+MBADRW20002F?", 47},
        {"ZVK+MBADRW1C0024?", 36}, {"ZVK+MBADRW1D0024?", 36}, {"ZVK+MBADRW250024?", 36},
        {"ZVK+MBADRW260039?", 57}, {"ZVK+MBADRW263901?", 1},
    };
    for (const auto& [request, registers] : reads) {
        const QByteArray r = one(c, request);
        EXPECT_TRUE(r.startsWith("MBADRW=")) << request;
        EXPECT_EQ(r.size(), 7 + 4 * registers + 4) << request;
        EXPECT_TRUE(crcOk(r)) << request;
    }
    // No such adapter, or a range beyond its block: the error reply, with its CRC.
    for (const char* request :
         {"ZVK+MBADRW05002F?", "ZVK+MBADRW090030?", "ZVK+MBADRW263A01?", "ZVK+MBADRW090000?"})
        EXPECT_EQ(one(c, request), withCrc("MBADRW=ERROR_READ")) << request;
}

TEST(SimAdapters, RomRegistrationOn5MShowsAtItsSlot) {
    Controller c(fixedConfig());
    // 28-FF-6A-0B-41-16-03-5C into slot 3 of slave 10.
    for (const char* w : {"ZVK+MBADWW=0A0328FF", "ZVK+MBADWW=0A046A0B", "ZVK+MBADWW=0A054116",
                          "ZVK+MBADWW=0A06035C", "ZVK+MBADWW=0A070003", "ZVK+MBADWW=0A020003"})
        ASSERT_EQ(one(c, withCrc(w)), "ZVKOK") << w;
    const QByteArray r = one(c, "ZVK+MBADRW0A002F?");
    EXPECT_EQ(r.mid(99, 16), "28FF6A0B4116035C"); // positions 100 to 115
    EXPECT_EQ(r.mid(43, 2), "03");                // data byte 18: sensors registered
    // Three registered slots; slot 3 now holds a code, so its sensor reports a temperature.
    EXPECT_NE(r.mid(7 + 2 * 4, 2), "FF");
}

TEST(SimAdapters, The5M2CountAndSlotShareRegister4) {
    Controller c(fixedConfig());
    for (const char* w : {"ZVK+MBADWW=1C000102", "ZVK+MBADWW=1C010304", "ZVK+MBADWW=1C020506",
                          "ZVK+MBADWW=1C030708", "ZVK+MBADWW=1C040005", "ZVK+MBADWW=1C040600"})
        ASSERT_EQ(one(c, withCrc(w)), "ZVKOK") << w;
    const QByteArray r = one(c, "ZVK+MBADRW1C0024?");
    EXPECT_EQ(r.mid(29, 2), "06");                                  // data byte 11
    EXPECT_EQ(r.mid(7 + 2 * (12 + 8 * 4), 16), "0102030405060708"); // slot 5
    // Codes of sensors 1 and 2 (registered at start): sign and magnitude, "+ N".
    const int code1 = QByteArray::fromHex(r.mid(11, 2)).at(0);
    EXPECT_EQ(code1 & 0xC0, 0);
}

TEST(SimAdapters, AirConditionerSettingsComeBackWhereThePollReadsThem) {
    Controller c(fixedConfig());
    struct Write {
        const char* request;
        int dataByte;    // first data byte of the read block that shows it
        const char* hex; // what it shows
    } writes[] = {
        {"ZVK+MBADWW=2613FFDD", 106, "FFDD"}, // refrigerant working min -3.5
        {"ZVK+MBADWW=261401C2", 108, "01C2"}, // max 45.0
        {"ZVK+MBADWW=2617000A", 80, "0A"},    // T7 analysis period
        {"ZVK+MBADWW=260518FE", 78, "18FE"},  // box regulation 24, nominal -2
        {"ZVK+MBADWW=2606002D", 81, "2D"},    {"ZVK+MBADWW=26070A0F", 82, "0A0F"},
        {"ZVK+MBADWW=26080005", 85, "05"},    {"ZVK+MBADWW=26090102", 86, "0102"},
        {"ZVK+MBADWW=260A0304", 88, "0304"},  {"ZVK+MBADWW=26120607", 104, "06"},
        {"ZVK+MBADWW=26150258", 110, "0258"}, {"ZVK+MBADWW=2616FF9C", 112, "FF9C"},
        {"ZVK+MBADWW=26180003", 84, "03"},
    };
    for (const Write& w : writes) {
        ASSERT_EQ(one(c, withCrc(w.request)), "ZVKOK") << w.request;
        const QByteArray r = one(c, "ZVK+MBADRW260039?");
        EXPECT_EQ(r.mid(7 + 2 * w.dataByte, qstrlen(w.hex)), w.hex) << w.request;
    }
    ASSERT_EQ(one(c, withCrc("ZVK+MBADWW=261B1E0A")), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+MBADRW263901?"), withCrc("MBADRW=1E0A"));

    // Mode flags (data byte 8) from version 9: RTO-1, RTO-2 and the test mode.
    ASSERT_EQ(one(c, withCrc("ZVK+MBADWW=26190001")), "ZVKOK");
    ASSERT_EQ(one(c, withCrc("ZVK+MBADWW=261AAA55")), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+MBADRW260039?").mid(7 + 16, 2), "07");
    ASSERT_EQ(one(c, withCrc("ZVK+MBADWW=26190000")), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+MBADRW260039?").mid(7 + 16, 2), "06");
}

TEST(SimAdapters, WriteFailures) {
    Controller c(fixedConfig());
    EXPECT_EQ(one(c, withCrc("ZVK+MBADWW=05020003")), withCrc("MBADWW=ERROR_WRITE")); // no adapter 5
    EXPECT_EQ(one(c, withCrc("ZVK+MBADWW=09300003")), withCrc("MBADWW=ERROR_WRITE")); // no register 30
    EXPECT_EQ(one(c, "ZVK+MBADWW=090200030000"), "ERROR");                            // bad CRC
    EXPECT_EQ(one(c, withCrc("ZVK+MBADWW=0902")), "ERROR");                           // short
}

TEST(SimAdapters, OldAirConditionerHasNoModeFlags) {
    ControllerConfig cfg = fixedConfig();
    cfg.airConditionerVersion = 8;
    Controller c(cfg);
    ASSERT_EQ(one(c, withCrc("ZVK+MBADWW=261AAA55")), "ZVKOK");
    const QByteArray r = one(c, "ZVK+MBADRW260039?");
    EXPECT_EQ(r.mid(7, 2), "08");
    EXPECT_EQ(r.mid(7 + 16, 2), "00");
}

// ---- DataFlash, loader, EEPROM, adapter firmware ----

QByteArray frameRequest(int frame, int page, const QByteArray& bytes64) {
    return withCrc("ZVK+DFP=" + QByteArray::number(frame) +
                   QByteArray::number(page, 16).toUpper().rightJustified(3, '0') + bytes64.toHex().toUpper());
}

TEST(SimDataFlash, ChipIdentity) {
    for (const auto& [chip, reply] :
         {std::pair{DataFlashChip::Mbit2, "DFI=1F2300"}, std::pair{DataFlashChip::Mbit16, "DFI=1F2600"},
          std::pair{DataFlashChip::None, "DFI=FFFFFF"}}) {
        ControllerConfig cfg = fixedConfig();
        cfg.chip = chip;
        Controller c(cfg);
        EXPECT_EQ(one(c, "ZVK+DFI?"), reply);
    }
}

TEST(SimDataFlash, CheckCountsWhatWasWritten) {
    ControllerConfig cfg = fixedConfig();
    for (int i = 0; i < 64; ++i)
        cfg.frameKey[i] = static_cast<char>(0x11 * (i % 16));
    Controller c(cfg);
    // A 1000-byte FLASH image and a 30-byte EEPROM image, as the tool writes them: the header,
    // FLASH pages 1 and 2, EEPROM page 505 with one data frame and seven blank ones.
    QByteArray header(64, '\x5A');
    const int flashBytes = 1000, eepromBytes = 30;
    header[20] = static_cast<char>(((flashBytes >> 24) & 0xFF) ^ cfg.frameKey[20]);
    header[21] = static_cast<char>(((flashBytes >> 16) & 0xFF) ^ cfg.frameKey[21]);
    header[22] = static_cast<char>(((flashBytes >> 8) & 0xFF) ^ cfg.frameKey[22]);
    header[23] = static_cast<char>((flashBytes & 0xFF) ^ cfg.frameKey[23]);
    header[45] = static_cast<char>(((eepromBytes >> 8) & 0xFF) ^ cfg.frameKey[45]);
    header[46] = static_cast<char>((eepromBytes & 0xFF) ^ cfg.frameKey[46]);
    ASSERT_EQ(one(c, frameRequest(0, 0, header)), "ZVKOK");
    for (int page = 1; page <= 2; ++page)
        for (int f = 0; f < 8; ++f)
            ASSERT_EQ(one(c, frameRequest(f, page, QByteArray(64, '\x33'))), "ZVKOK");
    ASSERT_EQ(one(c, frameRequest(0, 505, QByteArray(64, '\x44'))), "ZVKOK");
    for (int f = 1; f < 8; ++f)
        ASSERT_EQ(one(c, frameRequest(f, 505, QByteArray(64, '\xFF'))), "ZVKOK");

    EXPECT_EQ(one(c, "ZVK+DFV?"), "DFV=000003E8"
                                  "001E"
                                  "0002"
                                  "01");

    ControllerConfig shortCfg = cfg;
    shortCfg.shortDfv = true;
    Controller s(shortCfg);
    s.handleLine(frameRequest(0, 1, QByteArray(64, '\x01')));
    s.handleLine(frameRequest(0, 506, QByteArray(64, '\x01')));
    EXPECT_EQ(one(s, "ZVK+DFV?"), "DFV=0101");

    // Page 0 alone goes with "DF0PC", everything with "DFC".
    EXPECT_EQ(one(c, "ZVK+DF0PC?"), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+DFV?"), "DFV=00000000"
                                  "0000"
                                  "0002"
                                  "01");
    EXPECT_EQ(one(c, "ZVK+DFC?"), "ZVKOK");
    EXPECT_EQ(one(c, "ZVK+DFV?"), "DFV=00000000"
                                  "0000"
                                  "0000"
                                  "00");
}

TEST(SimDataFlash, BadFramesAreRefused) {
    Controller c(fixedConfig());
    const QByteArray good = frameRequest(3, 1, QByteArray(64, '\x01'));
    ASSERT_EQ(good.size(), 144);
    QByteArray badCrc = good;
    badCrc[20] = badCrc[20] == '0' ? '1' : '0';
    QByteArray frame8 = good.left(140);
    frame8[8] = '8';
    for (const QByteArray& bad : {badCrc, withCrc(good.left(138)), withCrc(frame8)})
        EXPECT_EQ(one(c, bad), "ERROR");
    EXPECT_TRUE(c.dataFlash().isEmpty());

    ControllerConfig none = fixedConfig();
    none.chip = DataFlashChip::None;
    Controller noChip(none);
    EXPECT_EQ(one(noChip, good), "ERROR");
    EXPECT_EQ(one(noChip, "ZVK+DFC?"), "ERROR");
}

TEST(SimDataFlash, BootLoaderJumpEndsTheSessionAndReboots) {
    ControllerConfig cfg = fixedConfig();
    cfg.timeScale = 1.0;
    Controller c(cfg);
    EXPECT_EQ(one(c, "ZVK+RLMORVEX?"), "RLMORVEX=FF");
    c.handleLine(frameRequest(0, 0, QByteArray(64, '\0')));
    c.handleLine(frameRequest(0, 1, QByteArray(64, '\x12')));
    const Reply jump = c.handleLine("ZVK+JampToBootLoader");
    EXPECT_EQ(jump.lines, QList<QByteArray>{"Refresh firmware start ..."});
    EXPECT_EQ(jump.after, LineAction::EndSession);
    EXPECT_TRUE(c.rebooting());
    EXPECT_TRUE(c.handleLine("ZVK+TS?").empty());
    EXPECT_TRUE(c.handleModbus(hexBytes("1F 03 00 00 00 44 46 47")).empty());
    c.advance(JobTime::BootJump + JobTime::Reboot);
    EXPECT_FALSE(c.rebooting());
    EXPECT_EQ(one(c, "ZVK+RLMORVEX?"), "RLMORVEX=00");
}

TEST(SimEeprom, ReadsTheFirstNBytesWithoutCrc) {
    QByteArray image(4096, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 7);
    ControllerConfig cfg = fixedConfig();
    cfg.eeprom = image;
    Controller c(cfg);
    EXPECT_EQ(one(c, "ZVK+EEPROM01E?"), "EEPROM=" + image.left(30).toHex().toUpper());
    EXPECT_EQ(one(c, "ZVK+EEPROM01E?").size(), 67);
    EXPECT_EQ(one(c, "ZVK+EEPROMFFF?").size(), 7 + 2 * 4095);
    EXPECT_TRUE(c.handleLine("ZVK+EEPROM1E?").empty());
    EXPECT_TRUE(c.handleLine("ZVK+EEPROMXYZ?").empty());

    Controller generated(fixedConfig());
    EXPECT_EQ(one(generated, "ZVK+EEPROM004?"), "EEPROM=00BC614E"); // the unit ID comes first
}

TEST(SimAdapterFirmware, EachServiceCommandCompletesWithZvkOkMb) {
    ControllerConfig cfg = fixedConfig();
    cfg.timeScale = 1.0;
    Controller c(cfg);
    const std::pair<const char*, int> commands[] = {
        {"ZVK+DFI_MBAD26", JobTime::AdapterDfCheck},  {"ZVK+DFC_MBAD26", JobTime::AdapterDfErase},
        {"ZVK+TFW_MBAD26", JobTime::AdapterTransfer}, {"ZVK+DFV_MBAD26", JobTime::AdapterVerify},
        {"ZVK+JBL_MBAD26", JobTime::AdapterFlash},
    };
    for (const auto& [command, ms] : commands) {
        const Reply r = c.handleLine(command);
        EXPECT_EQ(r.lines, QList<QByteArray>{"ZVKOK_MB"}) << command;
        EXPECT_EQ(r.delayMs, ms) << command;
    }
    EXPECT_EQ(one(c, "ZVK+DFI_MBAD09"), "ERROR"); // only the air conditioner's adapter
}

} // namespace
