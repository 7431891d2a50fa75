#include "link/OperationLog.h"
#include "link/Frames.h"

#include "Recorder.h"

#include <gtest/gtest.h>

using namespace zvk;
using zvk::test::RecorderLogView;

namespace {
struct LogFixture : ::testing::Test {
    LogFixture() { log.setView(&view); }
    OperationLog log;
    RecorderLogView view;
};
} // namespace

TEST_F(LogFixture, CommandAndReplyAreSeparatedByBlankLines) {
    log.WriteInfToRich(QStringLiteral("Старт прослушивания сокета"));
    log.serialSent("ZVK+VT?");
    log.serialReceived("VT=0102030000");
    EXPECT_EQ(view.texts(), (QStringList{QStringLiteral("Старт прослушивания сокета"),
                                         {},
                                         QStringLiteral("ZVK+VT?"),
                                         {},
                                         QStringLiteral("VT=0102030000")}));
    EXPECT_EQ(view.lines[2].colour, rgb(255, 0, 0));
    EXPECT_EQ(view.lines[4].colour, rgb(0, 0, 255));
}

TEST_F(LogFixture, FirstEntryRules) {
    // A received line is preceded by a blank line even in an empty log; sent and info lines are not.
    struct Case {
        LogKind kind;
        int lines;
    };
    for (const Case c : {Case{LogKind::SerialReceived, 2}, Case{LogKind::TcpReceived, 2},
                         Case{LogKind::SerialSent, 1}, Case{LogKind::TcpSent, 1}, Case{LogKind::Info, 1}}) {
        OperationLog fresh;
        RecorderLogView v;
        fresh.setView(&v);
        fresh.write(c.kind, QStringLiteral("x"));
        EXPECT_EQ(v.lines.size(), c.lines) << int(c.kind);
        EXPECT_EQ(v.lines.last().colour, OperationLog::colour(c.kind));
    }
}

TEST_F(LogFixture, RunsOfOneKindAndInfoLines) {
    log.serialSent("A");
    log.serialSent("B");
    log.serialSent("C");
    EXPECT_EQ(view.texts(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    log.WriteInfToRich(QStringLiteral("i1"));
    log.WriteInfToRich(QStringLiteral("i2"));
    EXPECT_EQ(view.texts().mid(3), (QStringList{{}, QStringLiteral("i1"), {}, QStringLiteral("i2")}));
    log.tcpSent("T");
    EXPECT_EQ(view.lines.last().colour, rgb(255, 0, 255));
    log.tcpReceived("R");
    EXPECT_EQ(view.lines.last().colour, rgb(128, 0, 128));
}

TEST_F(LogFixture, ClearKeepsTheLastKind) {
    log.serialSent("A");
    log.clear();
    EXPECT_TRUE(view.lines.isEmpty());
    EXPECT_EQ(log.LastLogKind(), LogKind::SerialSent);
    log.serialSent("B"); // same kind: no blank line
    log.WriteInfToRich(QStringLiteral("i"));
    EXPECT_EQ(view.texts(), (QStringList{QStringLiteral("B"), {}, QStringLiteral("i")}));

    log.clear();
    log.serialReceived("R"); // received after clear, other kind: blank line though the log is empty
    EXPECT_EQ(view.texts(), (QStringList{{}, QStringLiteral("R")}));
}

TEST_F(LogFixture, TimeMarks) {
    EXPECT_EQ(OperationLog::TimeMark(QTime(9, 5, 3, 42)), QStringLiteral("9:05:03.042 >"));
    EXPECT_EQ(OperationLog::TimeMark(QTime(23, 59, 59, 999)), QStringLiteral("23:59:59.999 >"));
    log.setTimeMarks(true);
    log.serialSent("A");
    log.serialReceived("1F 03 ");
    ASSERT_EQ(view.lines.size(), 3);
    EXPECT_TRUE(view.lines[0].text.endsWith(QStringLiteral(" >A")));
    EXPECT_TRUE(view.lines[1].text.isEmpty()) << "separator lines carry no mark";
    EXPECT_TRUE(view.lines[2].text.contains(QStringLiteral(".")));
    EXPECT_TRUE(view.lines[2].text.endsWith(QStringLiteral(" >1F 03 ")));
}

TEST_F(LogFixture, WireTextIsWindows1251) {
    log.serialReceived(toWire(QStringLiteral("АПН=internet")));
    EXPECT_EQ(view.lines.last().text, QStringLiteral("АПН=internet"));
}
