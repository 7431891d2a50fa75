#include "status/StatusPoll.h"
#include "ConnectionFixture.h"
#include "ModbusResponder.h"

using namespace zvk;
using namespace zvk::test;

namespace {

struct StatusPollTest : ConnectionFixture {
    StatusPollTest() : poll(state, engine, ui, StatusTarget{&statusView, &statusLog, nullptr}) {
        PollHooks hooks;
        hooks.setButtonsEnabled = [this](bool on) { trace << (on ? "buttons on" : "buttons off"); };
        hooks.showBusyBar = [this](bool on) {
            trace << (on ? "bar shown" : "bar hidden");
            busyWhileBar << state.Busy();
        };
        hooks.adapterPoll = [this] { trace << "adapter poll"; };
        hooks.operationRunning = [this] { return operationRunning; };
        poll.setHooks(std::move(hooks));
    }
    StatusPoll poll;
    QByteArrayList trace;
    QList<bool> busyWhileBar;
    bool operationRunning = false;
};

} // namespace

TEST_F(StatusPollTest, TicksAreSkippedWhileTheLinkIsDownOrTaken) {
    EXPECT_FALSE(poll.Timer3_APTimer()); // no link
    state.setLinkUp(true);
    state.setBusy(true);
    EXPECT_FALSE(poll.Timer3_APTimer());
    state.setBusy(false);
    operationRunning = true;
    EXPECT_FALSE(poll.Timer3_APTimer());
    operationRunning = false;
    // A tick falling due inside another request's wait.
    bool inner = true;
    peer.on("ZVK+VT?", AddCRC("VT=000000") + "\r\n", 200);
    QTimer::singleShot(50, &engine, [&] { inner = poll.Timer3_APTimer(); });
    engine.Ozidanie("ZVK+VT?", "VT=", TermCRLF, Match::Prefix, 2);
    EXPECT_FALSE(inner);
    EXPECT_EQ(peer.lines(), QList<QByteArray>{"ZVK+VT?"});
    EXPECT_TRUE(trace.isEmpty());
    EXPECT_TRUE(ui.status1.isEmpty());
}

TEST_F(StatusPollTest, TextRequestOutcomes) {
    const QByteArray good = statusReply();
    struct Case {
        const char* name;
        QByteArray reply; // empty: nothing arrives, the wait is cancelled
        QString outcome;
    };
    const Case cases[] = {
        {"valid block", good + "\r\n", StatusPoll::Polled},
        {"wrong CRC", good.chopped(4) + "0000\r\n", Outcome::BadCrc},
        {"stray line", "ABCDEFGHIJKLMNO\r\n", Outcome::WrongReply + QStringLiteral("ABCDEFGHIJ ...")},
        {"short stray line", "SHORT\r\n", Outcome::WrongReply + QStringLiteral("SHORT ...")},
        {"no reply", {}, Outcome::NoReply},
    };
    state.setLinkUp(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.clear();
        busyWhileBar.clear();
        statusView.sLabel2.clear();
        peer.clearReceived();
        if (c.reply.isEmpty())
            QTimer::singleShot(300, &engine, [&] { engine.abort(); });
        else
            peer.on("ZVK+TS?", c.reply, 10, 1);
        EXPECT_TRUE(poll.Timer3_APTimer());
        EXPECT_EQ(peer.received(), QByteArray("ZVK+TS?\r\n"));
        EXPECT_EQ(ui.lastStatus(), c.outcome);
        EXPECT_EQ(poll.lastMessage(), c.outcome);
        EXPECT_EQ(statusView.sLabel2.isEmpty(), c.outcome != StatusPoll::Polled);
        // The whole tick runs under Busy with the buttons locked; the adapter poll runs whatever
        // the outcome.
        EXPECT_EQ(trace,
                  (QByteArrayList{"bar shown", "buttons off", "adapter poll", "buttons on", "bar hidden"}));
        EXPECT_EQ(busyWhileBar, (QList<bool>{false, false}));
        EXPECT_FALSE(state.Busy());
        EXPECT_TRUE(ui.events.isEmpty()) << "a tick opens no progress window";
    }
    EXPECT_EQ(ui.gaugeMax, StatusPoll::TextSteps);
}

TEST_F(StatusPollTest, BusyIsHeldDuringTheRequest) {
    state.setLinkUp(true);
    bool busyInside = false;
    peer.onAnyLine([&](const QByteArray&) { busyInside = state.Busy(); });
    peer.on("ZVK+TS?", statusReply() + "\r\n", 10);
    poll.Timer3_APTimer();
    EXPECT_TRUE(busyInside);
}

TEST_F(StatusPollTest, ModbusCableIsReadWithTheStatusFrame) {
    QByteArray data(ModbusFrames::ReadStatusDataBytes, '\0');
    data[0] = char(0x0A);
    data[1] = char(0xFF);
    const QByteArray reply = ModbusResponder::statusReply(data);
    EXPECT_TRUE(modbusStatusText(reply).startsWith("ZVK0AFF00"));
    EXPECT_EQ(modbusStatusText(reply).size(), 3 + 2 * ModbusFrames::ReadStatusDataBytes);

    data[0] = char(20);
    data[1] = char(20);
    ModbusResponder controller(peer, data);
    state.setLinkUp(true);
    state.setCableMode(CableModbus);
    EXPECT_TRUE(poll.Timer3_APTimer());
    EXPECT_EQ(peer.received(), ModbusFrames::readStatus());
    EXPECT_EQ(ui.lastStatus(), StatusPoll::Polled);
    EXPECT_EQ(statusView.sLabel2, QStringLiteral("20.20"));

    for (auto fault : {ModbusResponder::Fault::ShortReply, ModbusResponder::Fault::BadCrc}) {
        controller.fault = fault;
        EXPECT_TRUE(poll.Timer3_APTimer());
        EXPECT_EQ(ui.lastStatus(), Outcome::NoModbusReply);
    }
}

TEST_F(StatusPollTest, TcpLinkUsesTheTextRequestOnAModbusCable) {
    TcpClient client(port);
    ASSERT_TRUE(pumpUntil([&] { return state.TcpLinkUp(); }));
    connection.clientConnectTimer().stop(); // this test polls by itself
    client.answerStatus(statusReply() + "\r\n");
    state.setCableMode(CableModbus);
    EXPECT_TRUE(poll.Timer3_APTimer());
    EXPECT_EQ(client.received, QByteArray("ZVK+TS?\r\n"));
    EXPECT_EQ(ui.lastStatus(), StatusPoll::Polled);
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST_F(StatusPollTest, LockedButtonsAreTheListedOnes) {
    const QStringList& names = StatusPoll::pollLockedButtons();
    for (const char* locked : {"BitBtn3",   "BitBtn5",   "BitBtn7",   "BitBtn8",   "BitBtn39",  "BitBtn53",
                               "BitBtn55",  "BitBtn57",  "BitBtn60",  "sBitBtn1",  "sBitBtn9",  "sBitBtn10",
                               "sBitBtn21", "sBitBtn23", "sBitBtn25", "sBitBtn40", "sBitBtn45", "sBitBtn50",
                               "sBitBtn52", "sBitBtn57", "sBitBtn61", "sBitBtn77"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(locked))) << locked;
    for (const char* free : {"BitBtn1", "BitBtn2", "BitBtn6", "BitBtn9", "BitBtn54", "sBitBtn22", "sBitBtn41",
                             "sBitBtn44", "sBitBtn51", "sBitBtn58", "sBitBtn60", "sBitBtn78", "sBitBtn79"})
        EXPECT_FALSE(names.contains(QString::fromLatin1(free))) << free;
    EXPECT_EQ(names.size(), 11 + 21 + 18 + 6 + 6 + 17);
}
