#include "status/StatusBlock.h"
#include "BlockBuilder.h"
#include "Recorder.h"
#include "status/StatusLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zvk;
using zvk::test::BlockBuilder;
using zvk::test::RecorderUi;

namespace {

class CountingRenderer : public StatusRenderer {
public:
    void render(const StatusView& view) override {
        ++renders;
        lastLabel = view.sLabel2;
    }
    int renders = 0;
    QString lastLabel;
};

class StatusBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("LOG")));
        log.setAppDir(dir.path());
    }
    QByteArray logFile() const {
        QFile file(log.filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    StatusBlockOutcome accept(const QByteArray& block, StatusSource source) {
        return AcceptStatusBlock(block, source, view, log, ui, &renderer,
                                 QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    }

    QTemporaryDir dir;
    StatusLog log;
    StatusView view;
    RecorderUi ui;
    CountingRenderer renderer;
};

} // namespace

TEST_F(StatusBlockTest, TextReplyIsDecodedDrawnAndLogged) {
    const auto r = accept(BlockBuilder().version(20, 20, 1).set32(14, 5).reply(), StatusSource::TextReply);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.outcome, QString());
    EXPECT_EQ(renderer.renders, 1);
    EXPECT_EQ(renderer.lastLabel, QStringLiteral("20.20"));
    EXPECT_EQ(ui.status2, QStringLiteral("IMEI: 5"));
    EXPECT_TRUE(view.echo.isEmpty());
    const QByteArray line = logFile();
    EXPECT_TRUE(line.startsWith("02.01.2024;03:04:05;02.01.2024 03:04:05;T1-1=;0;"));
    EXPECT_TRUE(line.endsWith(";\r\n"));
    EXPECT_EQ(line.count(';'), 43);
}

TEST_F(StatusBlockTest, ShortTextReplyIsALengthErrorWithoutLogLine) {
    const auto r = accept(BlockBuilder(140).version(20, 12, 0).set(11, 3).reply(), StatusSource::TextReply);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.outcome, QStringLiteral(" Ошибка длины ответа"));
    EXPECT_EQ(view.sLabel11, QStringLiteral("3")); // what could be read is shown
    EXPECT_EQ(renderer.renders, 1);
    EXPECT_FALSE(QFile::exists(log.filePath()));
}

TEST_F(StatusBlockTest, GarbledTextReplyIsAWrongReply) {
    QByteArray text = BlockBuilder().version(20, 10, 0).text();
    text[3 + 2 * 38] = '?'; // the alarm flags
    const auto r = accept(AddCRC(text), StatusSource::TextReply);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.outcome, QStringLiteral(" Ошибка в ответе: ZVK140A000 ..."));
    EXPECT_FALSE(QFile::exists(log.filePath()));
}

TEST_F(StatusBlockTest, ModbusBlockOfNewLayoutIsLoggedWithWhatItHas) {
    auto block = BlockBuilder().version(20, 12, 0).allLinks().set(106, 30);
    const auto r = accept(block.modbus(), StatusSource::CableModbus);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.decoded.complete);
    EXPECT_EQ(view.echo.Edit8, QStringLiteral("30"));
    const QByteArray line = logFile();
    EXPECT_EQ(line.count(';'), 39);
    EXPECT_TRUE(line.contains("T3-1=;;T3-2=;;T3sr=;;Heater-3=;0;"));
}

TEST_F(StatusBlockTest, LogFailureDoesNotStopDecoding) {
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("LOG")));
    const auto first = accept(BlockBuilder().version(20, 10, 0).reply(), StatusSource::TextReply);
    EXPECT_TRUE(first.ok);
    EXPECT_FALSE(first.logError.isEmpty());
    const auto second = accept(BlockBuilder().version(20, 10, 1).reply(), StatusSource::TextReply);
    EXPECT_TRUE(second.ok);
    EXPECT_TRUE(second.logError.isEmpty());
    EXPECT_EQ(view.sLabel8, QStringLiteral("1"));
    EXPECT_EQ(ui.status1, QStringList{first.logError});
}
