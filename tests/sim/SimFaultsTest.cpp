// Fault rules: their syntax, which requests they hit, what they do to a reply.

#include "SimTestUtil.h"
#include "core/Faults.h"
#include "core/Ports.h"

#include <gtest/gtest.h>

using namespace zvk::sim;
using namespace zvk::sim::test;

namespace {

TEST(SimFaults, Syntax) {
    struct Case {
        const char* faultText;
        bool ok;
        FaultKind kind;
        const char* command;
        int remaining;
    } cases[] = {
        {"no-reply", true, FaultKind::NoReply, "", -1},
        {"no-reply:TS", true, FaultKind::NoReply, "TS", -1},
        {"no-reply:ZVK+TS?", true, FaultKind::NoReply, "TS?", -1},
        {"bad-crc:VT@2", true, FaultKind::BadCrc, "VT", 2},
        {"split=5:TS", true, FaultKind::Split, "TS", -1},
        {"delay=2500:MBADRW@1", true, FaultKind::Delay, "MBADRW", 1},
        {"wrong-line-first=HELLO:VT", true, FaultKind::WrongLineFirst, "VT", -1},
        {"drop:DISCONNECT", true, FaultKind::Drop, "DISCONNECT", -1},
        {"dial=busy", true, FaultKind::Dial, "ATD", -1},
        {"explode", false, FaultKind::NoReply, "", 0},
        {"delay", false, FaultKind::NoReply, "", 0},
        {"delay=-5", false, FaultKind::NoReply, "", 0},
        {"split=1", false, FaultKind::NoReply, "", 0},
        {"no-reply=3", false, FaultKind::NoReply, "", 0},
        {"no-reply:", false, FaultKind::NoReply, "", 0},
        {"bad-crc@0", false, FaultKind::NoReply, "", 0},
        {"dial=maybe", false, FaultKind::NoReply, "", 0},
    };
    for (const Case& k : cases) {
        QString why;
        const auto r = parseFault(QString::fromLatin1(k.faultText), &why);
        ASSERT_EQ(r.has_value(), k.ok) << k.faultText;
        if (!k.ok) {
            EXPECT_FALSE(why.isEmpty()) << k.faultText;
            continue;
        }
        EXPECT_EQ(r->kind, k.kind) << k.faultText;
        EXPECT_EQ(r->command, QByteArray(k.command)) << k.faultText;
        EXPECT_EQ(r->remaining, k.remaining) << k.faultText;
    }
}

TEST(SimFaults, CommandMatching) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"VT", "VT?", true},
        {"VT", "VT=1E3C78C315", true},
        {"vt", "VT?", true},
        {"TS", "TS?", true},
        {"TS", "TSX?", false},
        {"DFV", "DFV_MBAD26", false},
        {"DFV", "DFV?", true},
        {"MBADRW", "MBADRW09002F?", true},
        {"DFI_MBAD", "DFI_MBAD26", true},
        {"RELOAD", "RELOAD_3_CONDITION", false},
        {"ATD", "ATD89001234567", true},
        {"AT+CREG", "AT+CREG?", true},
        {"MODBUS", "MODBUS03", true},
        {"MODBUS06", "MODBUS03", false},
        {"", "anything", true},
    };
    for (const auto& [command, request, match] : cases)
        EXPECT_EQ(commandMatches(command, request), match) << command << " / " << request;
}

Emissions run(const char* faultText, const QByteArray& line = "ZVK+VT?") {
    Controller c(fixedConfig());
    FaultSet f;
    f.add(*parseFault(QString::fromLatin1(faultText), nullptr));
    TextPort port(c, f);
    return port.feed(line + "\r\n", 0);
}

TEST(SimFaults, WhatEachFaultDoesToAReply) {
    const QByteArray vt = withCrc("VT=1E3C78") + "\r\n";
    EXPECT_EQ(joined(run("no-reply")), QByteArray());
    EXPECT_EQ(joined(run("no-reply:TS")), vt); // another command: untouched
    EXPECT_EQ(joined(run("wrong-line-first")), "UNEXPECTED LINE\r\n" + vt);
    EXPECT_EQ(joined(run("wrong-line-first=ZVKOK:VT")), "ZVKOK\r\n" + vt);

    const QByteArray spoiled = joined(run("bad-crc"));
    EXPECT_EQ(spoiled.size(), vt.size());
    EXPECT_EQ(spoiled.left(9), vt.left(9));
    EXPECT_FALSE(crcOk(spoiled.chopped(2)));
    EXPECT_EQ(joined(run("bad-crc", "SET_CONFIG_MODE?")), QByteArray("ZVKOK\r\n")); // nothing to spoil

    const Emissions pieces = run("split=4");
    ASSERT_EQ(pieces.size(), 4);
    EXPECT_EQ(joined(pieces), vt);
    for (int i = 1; i < 4; ++i)
        EXPECT_GT(pieces[i].delayMs, 0);

    const Emissions late = run("delay=1234");
    ASSERT_FALSE(late.isEmpty());
    EXPECT_EQ(late.first().delayMs, 1234);

    const Emissions dropped = run("drop");
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_TRUE(dropped[0].bytes.isEmpty());
    EXPECT_EQ(dropped[0].action, LineAction::EndSession);
}

TEST(SimFaults, CountedRulesWearOut) {
    Controller c(fixedConfig());
    FaultSet f;
    f.add(*parseFault(QStringLiteral("no-reply:VT@2"), nullptr));
    TextPort port(c, f);
    EXPECT_TRUE(port.feed("ZVK+VT?\r", 0).isEmpty());
    EXPECT_TRUE(port.feed("ZVK+VT?\r", 0).isEmpty());
    EXPECT_EQ(joined(port.feed("ZVK+VT?\r", 0)), withCrc("VT=1E3C78") + "\r\n");
}

TEST(SimFaults, ModbusRepliesCanBeSpoiledToo) {
    ControllerConfig cfg = fixedConfig();
    cfg.modbusPort = true;
    Controller c(cfg);
    FaultSet f;
    f.add(*parseFault(QStringLiteral("bad-crc:MODBUS03"), nullptr));
    CablePort port(c, f);
    const QByteArray reply = joined(port.feed(hexBytes("1F 03 00 00 00 44 46 47"), 0));
    ASSERT_EQ(reply.size(), 141);
    const std::uint16_t crc = crcBitwise(reply.left(139));
    EXPECT_FALSE(byteAt(reply, 139) == (crc & 0xFF) && byteAt(reply, 140) == (crc >> 8));
    // The register writes are not named, so they stay intact.
    EXPECT_EQ(joined(port.feed(hexBytes("1F 06 00 05 00 00 9A 75"), 1000)),
              hexBytes("1F 06 00 05 00 00 9A 75"));
}

TEST(SimFaults, QueueKeepsRepliesInOrder) {
    OutputQueue q;
    q.push({{100, "a", LineAction::None}, {50, "b", LineAction::None}}, 1000);
    q.push({{0, "c", LineAction::None}}, 1010); // due after "b", not before it
    EXPECT_EQ(q.nextDue(), 1100);
    EXPECT_TRUE(q.takeDue(1099).isEmpty());
    EXPECT_EQ(joined(q.takeDue(1150)), QByteArray("abc"));
    EXPECT_TRUE(q.isEmpty());
}

} // namespace
