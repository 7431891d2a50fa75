#include "LinkFixture.h"
#include "link/Frames.h"

#include <QElapsedTimer>
#include <QTimer>

using namespace zvk;
using namespace zvk::test;

using RequestEngineTest = SerialFixture;

TEST_F(RequestEngineTest, ReplyWithinFirstStep) {
    peer.on("ZVK+VT?", AddCRC("VT=010203") + "\r\n", 50);
    EXPECT_EQ(engine.Ozidanie("ZVK+VT?", "VT=", TermCRLF, Match::Prefix, RequestEngine::ReplyTimeout),
              RequestEngine::Matched);
    EXPECT_EQ(engine.LastLine, AddCRC("VT=010203"));
    EXPECT_EQ(ui.timeLabels, (QStringList{QStringLiteral("Time: "), QStringLiteral("Time: 1 sec.")}));
    EXPECT_EQ(ui.gauge, 0);
    EXPECT_EQ(ui.gaugeMax, RequestEngine::ReplyTimeout);
    EXPECT_EQ(peer.received(), QByteArray("ZVK+VT?\r\n"));
}

TEST_F(RequestEngineTest, MatchModes) {
    EXPECT_TRUE(RequestEngine::matches("ZVKOK_MB", "ZVKOK", Match::Prefix));
    EXPECT_FALSE(RequestEngine::matches("ZVKOK_MB", "ZVKOK", Match::Exact));
    EXPECT_FALSE(RequestEngine::matches("zvkok", "ZVKOK", Match::Prefix));
    peer.on("ZVK+RELOAD_3_CONDITION", "ZVKOK_MB\r\n");
    EXPECT_EQ(engine.Ozidanie("ZVK+RELOAD_3_CONDITION", "ZVKOK", TermCR, Match::Prefix, 2),
              RequestEngine::Matched);
}

TEST_F(RequestEngineTest, StrayLineFirst) {
    // Ozidanie ends with the stray line; the named-reply wait skips it.
    peer.on("ZVK+DFC?", "ECHO\r\nDFC=1\r\n", 20);
    EXPECT_EQ(engine.Ozidanie("ZVK+DFC?", "DFC=", TermCRLF, Match::Prefix, 3), RequestEngine::OtherLine);
    EXPECT_EQ(engine.LastLine, QByteArray("ECHO"));

    peer.on("ZVK+DFE", "ECHO\r\n", 20, 1);
    peer.on("ZVK+DFE", "ZVKOK_MB\r\n", 0, 1);
    // the reply arrives in a separate event, after the stray line was thrown away
    peer.onAnyLine([&](const QByteArray& l) {
        if (l == "ZVK+DFE")
            peer.writeLater("ZVKOK_MB\r\n", 200);
    });
    EXPECT_EQ(engine.OzidanieImennoOtveta("ZVK+DFE", "ZVKOK_MB", TermCRLF, Match::Prefix, 3),
              RequestEngine::Matched);
    EXPECT_EQ(engine.LastLine, QByteArray("ZVKOK_MB"));
}

TEST_F(RequestEngineTest, NoReplyCountsSteps) {
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 2), RequestEngine::NoLine);
    EXPECT_GE(t.elapsed(), 1900);
    EXPECT_EQ(ui.timeLabels.last(), QStringLiteral("Time: 2 sec."));
    EXPECT_EQ(ui.gauge, 0);

    t.restart();
    EXPECT_EQ(engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 0), RequestEngine::NoLine);
    EXPECT_LT(t.elapsed(), 200);
    ASSERT_TRUE(peer.waitForLines(2));
}

TEST_F(RequestEngineTest, CancelEndsTheWaitAndTheNextWaitIsNormal) {
    QTimer::singleShot(300, &engine, [&] { engine.abort(); });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 15), RequestEngine::NoLine);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(engine.AbortRequested);

    peer.on("ZVK+VT?", AddCRC("VT=000000") + "\r\n", 10);
    EXPECT_EQ(engine.Ozidanie("ZVK+VT?", "VT=", TermCRLF, Match::Prefix, 3), RequestEngine::Matched);
    EXPECT_FALSE(engine.AbortRequested);
}

TEST_F(RequestEngineTest, SecondRequestIsRefusedAndSharesNothing) {
    int inner = -1;
    QByteArray seenAtInner;
    peer.on("ZVK+TS?", "ZVK0102\r\n", 400);
    QTimer::singleShot(100, &engine, [&] {
        EXPECT_TRUE(engine.requestOutstanding());
        inner = engine.Ozidanie("ZVK+VT?", "VT=", TermCRLF, Match::Prefix, 5);
        seenAtInner = peer.received();
    });
    EXPECT_EQ(engine.Ozidanie("ZVK+TS?", "ZVK", TermCRLF, Match::Prefix, 3), RequestEngine::Matched);
    EXPECT_EQ(inner, RequestEngine::NoLine);
    EXPECT_EQ(engine.LastLine, QByteArray("ZVK0102"));
    EXPECT_EQ(peer.received(), QByteArray("ZVK+TS?\r\n")) << "the refused command is never sent";
    EXPECT_FALSE(engine.requestOutstanding());
}

TEST_F(RequestEngineTest, DayOtvetSkipsOtherLines) {
    peer.on("AT+CLIP=1", "AT+CLIP=1\r\nOK\r\n", 10);
    EXPECT_TRUE(engine.Day_otvet("AT+CLIP=1", "OK", Match::Exact, 500));
    EXPECT_EQ(peer.received(), QByteArray("AT+CLIP=1\r"));
    EXPECT_FALSE(engine.Day_otvet("AT+CREG?", "+CREG: 0,1", Match::Exact, 300));
    peer.on("AT+CREG?", "+CREG: 0,5\r\n");
    EXPECT_FALSE(engine.Day_otvet("AT+CREG?", "+CREG: 0,1", Match::Exact, 300));
}

TEST_F(RequestEngineTest, DayOtvet5Outcomes) {
    const QList<QByteArray> dial{"CONNECT", "NO CARRIER", "NO ANSWER", "BUSY", "NO DIALTONE"};
    peer.on("ATD123", "ATD123\r\nOK\r\nCONNECT 9600\r\n", 10, 1);
    EXPECT_EQ(engine.Day_otvet5("ATD123", dial, 2000), 1);
    EXPECT_EQ(engine.LastLine, QByteArray("CONNECT 9600"));
    peer.on("ATD123", "BUSY\r\n", 10, 1);
    EXPECT_EQ(engine.Day_otvet5("ATD123", dial, 2000), 4);
    EXPECT_EQ(engine.Day_otvet5("ATD123", dial, 300), RequestEngine::DialTimeout);
    QTimer::singleShot(200, &engine, [&] { engine.abort(); });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(engine.Day_otvet5("ATD123", dial, 5000), RequestEngine::DialCancelled);
    EXPECT_LT(t.elapsed(), 1000);
}

TEST_F(RequestEngineTest, ModbusRequestByLengthAndCrc) {
    const QByteArray frame = ModbusFrames::requestServer();
    peer.onBytes(frame, frame, 10, 1);
    EXPECT_TRUE(engine.Opros_ModBus(frame, ModbusFrames::WriteEchoLength, 500));
    EXPECT_EQ(engine.LastModbusReply, frame);
    EXPECT_EQ(view.lines.last().text, QStringLiteral("1F 06 00 00 12 34 87 03 "));
    EXPECT_EQ(view.lines.last().colour, rgb(0, 0, 255));
    EXPECT_FALSE(serial.BinaryRxMode);

    const qsizetype logged = view.lines.size();
    peer.onBytes(frame, frame + QByteArray(1, '\0'), 10, 1); // nine bytes in one block
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(engine.Opros_ModBus(frame, ModbusFrames::WriteEchoLength, 400));
    EXPECT_GE(t.elapsed(), 380);
    QByteArray bad = frame;
    bad[7] = char(bad[7] ^ 1);
    peer.onBytes(frame, bad, 10, 1);
    EXPECT_FALSE(engine.Opros_ModBus(frame, ModbusFrames::WriteEchoLength, 300));
    // only the two sent frames were logged, no failed reply
    EXPECT_EQ(view.lines.size(), logged + 2 + 1);
}

TEST_F(RequestEngineTest, DelayKeepsEventsRunning) {
    bool fired = false;
    QTimer::singleShot(50, &engine, [&] { fired = true; });
    QElapsedTimer t;
    t.start();
    engine.Delay(150);
    EXPECT_GE(t.elapsed(), 145);
    EXPECT_TRUE(fired);
}
