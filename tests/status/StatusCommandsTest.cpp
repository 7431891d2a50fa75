#include "status/StatusCommands.h"
#include "LinkFixture.h"
#include "link/Frames.h"

#include <QTimer>

using namespace zvk;
using namespace zvk::test;

namespace {

struct ActionCase {
    const char* name;
    int box;
    QByteArray reply; // what the peer answers to the command; empty: nothing
    int steps;
    bool dropLinkInWait;
    QString outcome;
};

class StatusCommandsTest : public SerialFixture, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(StatusCommandsTest, OneOperationPerButton) {
    const ActionCase& c = GetParam();
    const QByteArray command = ActionCommands[c.box];
    state.setLinkUp(true);
    bool busyInWait = false;
    peer.onAnyLine([&](const QByteArray& line) {
        if (line != command)
            return;
        busyInWait = state.Busy() && ui.progressVisible;
        if (c.dropLinkInWait)
            state.setLinkUp(false);
        if (!c.reply.isEmpty())
            peer.writeLater(c.reply, 30);
    });

    const std::optional<QString> outcome = SendActionCommand(command, state, engine, ui, c.steps);

    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome, c.outcome);
    EXPECT_EQ(peer.received(), command + '\r') << "the bare command, no CRC, CR only";
    EXPECT_TRUE(busyInWait) << "Busy raised and the progress window shown while waiting";
    EXPECT_FALSE(state.Busy());
    EXPECT_FALSE(ui.progressVisible);
    EXPECT_EQ(ui.events, (QStringList{QStringLiteral("show"), QStringLiteral("close")}));
    EXPECT_EQ(ui.progress, (QStringList{QString(), QStringLiteral(" Запись параметров ..."), c.outcome}));
    EXPECT_EQ(ui.status1, QStringList{c.outcome});
    EXPECT_EQ(ui.gaugeMax, c.steps);
    EXPECT_TRUE(ui.boxes.isEmpty());
}

const QString Success = QStringLiteral(" Запись параметров прошла успешно.");

INSTANTIATE_TEST_SUITE_P(
    Replies, StatusCommandsTest,
    ::testing::Values(
        ActionCase{"Acknowledged", 0, "ZVKOK\r\n", RequestEngine::ReplyTimeout, false, Success},
        // Only the beginning is compared, so the adapter acknowledgement counts too.
        ActionCase{"AdapterAcknowledgement", 2, "ZVKOK_MB\r\n", RequestEngine::ReplyTimeout, false, Success},
        ActionCase{"OtherLineQuotedWhole", 1, toWire(QStringLiteral("ОШИБКА: бокс 2 занят\r\nZVKOK\r\n")),
                   RequestEngine::ReplyTimeout, false,
                   QStringLiteral(" Ошибка в ответе: ОШИБКА: бокс 2 занят")},
        ActionCase{"NoReply", 0, {}, 1, false, QStringLiteral(" Ошибка : нет ответа")},
        ActionCase{"LinkLostDuringWait", 1, "ZVKOK\r\n", RequestEngine::ReplyTimeout, true, QString()}),
    [](const ::testing::TestParamInfo<ActionCase>& info) { return std::string(info.param.name); });

TEST(StatusCommands, CommandsOfTheThreeButtons) {
    EXPECT_EQ(ActionCommands[0], QByteArray("ZVK+RELOAD_FIRST_CONDITION"));
    EXPECT_EQ(ActionCommands[1], QByteArray("ZVK+RELOAD_SECOND_CONDITION"));
    EXPECT_EQ(ActionCommands[2], QByteArray("ZVK+RELOAD_3_CONDITION"));
}

using StatusCommandsRefusedTest = SerialFixture;

// A click with no link, or while another operation or request holds the line, does nothing at all:
// no command, no progress window, no outcome over the other operation's.
TEST_F(StatusCommandsRefusedTest, NothingHappensWithoutLinkOrWhileTheLineIsInUse) {
    auto expectNothing = [&](const char* situation) {
        SCOPED_TRACE(situation);
        EXPECT_TRUE(ui.events.isEmpty());
        EXPECT_TRUE(ui.progress.isEmpty());
        EXPECT_TRUE(ui.status1.isEmpty());
        EXPECT_TRUE(ui.boxes.isEmpty());
    };
    state.setBusy(false);
    EXPECT_FALSE(SendActionCommand(ActionCommands[0], state, engine, ui).has_value());
    pump(100);
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_TRUE(view.lines.isEmpty()) << "nothing logged either";
    expectNothing("no link");

    state.setLinkUp(true);
    state.setBusy(true); // another operation, between its exchanges
    EXPECT_FALSE(SendActionCommand(ActionCommands[1], state, engine, ui).has_value());
    pump(100);
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_TRUE(state.Busy()) << "the other operation keeps its Busy";
    expectNothing("Busy");

    state.setBusy(false);
    peer.on("ZVK+TS?", "ZVKOK\r\n", 300);
    std::optional<QString> inWait = QStringLiteral("not called");
    QTimer::singleShot(50, &engine,
                       [&] { inWait = SendActionCommand(ActionCommands[2], state, engine, ui); });
    EXPECT_TRUE(engine.Day_otvet("ZVK+TS?", "ZVKOK", Match::Exact, 2000));
    EXPECT_FALSE(inWait.has_value());
    EXPECT_EQ(peer.received(), QByteArray("ZVK+TS?\r")) << "only the request that was waiting";
    expectNothing("inside another wait");
}

} // namespace
