#include "link/OperationFrame.h"
#include "Recorder.h"
#include "link/LinkState.h"

#include <gtest/gtest.h>

using namespace zvk;
using zvk::test::RecorderUi;

TEST(OperationFrame, FramesAnOperationAndFinishesOnEveryPath) {
    LinkState state;
    RecorderUi ui;
    {
        OperationFrame frame(state, ui, QStringLiteral(" Запись параметров ..."));
        EXPECT_TRUE(state.Busy());
        EXPECT_TRUE(ui.progressVisible);
        frame.finish(QStringLiteral(" Запись параметров прошла успешно."));
        frame.finish(QStringLiteral("twice")); // only the first outcome counts
    }
    EXPECT_FALSE(state.Busy());
    EXPECT_FALSE(ui.progressVisible);
    EXPECT_EQ(ui.progress, (QStringList{QString(), QStringLiteral(" Запись параметров ..."),
                                        QStringLiteral(" Запись параметров прошла успешно.")}));
    EXPECT_EQ(ui.status1, QStringList{QStringLiteral(" Запись параметров прошла успешно.")});

    // An operation that returns early still lowers Busy and closes the window.
    { OperationFrame frame(state, ui, QStringLiteral(" start")); }
    EXPECT_FALSE(state.Busy());
    EXPECT_FALSE(ui.progressVisible);
}

TEST(LinkState, GuardAndCaption) {
    LinkState s;
    EXPECT_EQ(s.cableMode(), CableConfig) << "design value of the cable selector";
    EXPECT_FALSE(s.TextLinkReady());
    s.setLinkUp(true);
    EXPECT_TRUE(s.TextLinkReady());
    s.setCableMode(CableModbus);
    EXPECT_FALSE(s.TextLinkReady()) << "Modbus cable carries no text commands";
    s.setTcpLinkUp(true);
    EXPECT_TRUE(s.TextLinkReady());
    EXPECT_EQ(s.RefreshConnecta(), QStringLiteral("Tarvane v2.64     CONNECT     TCP-CONNECT"));
    s.setLinkUp(false);
    EXPECT_EQ(s.RefreshConnecta(), QStringLiteral("Tarvane v2.64     TCP-CONNECT"));
    s.setTcpLinkUp(false);
    s.setModemPresent(1);
    s.setLinkUp(true);
    EXPECT_TRUE(s.TextLinkReady());
}
