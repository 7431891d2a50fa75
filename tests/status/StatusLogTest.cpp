#include "status/StatusLog.h"
#include "Recorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zvk;
using zvk::test::RecorderUi;

namespace {
QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(StatusLog, CreatesFileAndAppendsWithCrLf) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("LOG")));
    StatusLog log(dir.path());
    EXPECT_EQ(log.filePath(), dir.path() + QStringLiteral("/LOG/log_TS.csv"));
    RecorderUi ui;
    EXPECT_EQ(log.append("a;1;", &ui), StatusLog::Result::Written);
    EXPECT_EQ(contents(log.filePath()), QByteArrayLiteral("a;1;\r\n"));
    EXPECT_EQ(log.append("b;2;", &ui), StatusLog::Result::Written);
    EXPECT_EQ(contents(log.filePath()), QByteArrayLiteral("a;1;\r\nb;2;\r\n"));
    EXPECT_TRUE(ui.status1.isEmpty());
}

TEST(StatusLog, FailureReportedOnceUntilAWriteSucceeds) {
    QTemporaryDir dir;
    StatusLog log(dir.path()); // no LOG folder yet
    RecorderUi ui;
    EXPECT_EQ(log.append("x;", &ui), StatusLog::Result::FailedAndReported);
    EXPECT_EQ(log.append("x;", &ui), StatusLog::Result::Failed);
    EXPECT_EQ(log.append("x;", &ui), StatusLog::Result::Failed);
    ASSERT_EQ(ui.status1.size(), 1);
    EXPECT_TRUE(ui.status1[0].startsWith(QStringLiteral(" Ошибка записи в файл ")));
    EXPECT_TRUE(ui.status1[0].endsWith(QStringLiteral("log_TS.csv")));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("LOG")));
    EXPECT_EQ(log.append("y;", &ui), StatusLog::Result::Written);
    EXPECT_EQ(contents(log.filePath()), QByteArrayLiteral("y;\r\n"));

    // A new failure after a success is reported again. A folder in the file's place cannot be opened
    // for writing even with the permissions of root, which a read-only file can.
    ASSERT_TRUE(QFile::remove(log.filePath()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("LOG/log_TS.csv")));
    EXPECT_EQ(log.append("z;", &ui), StatusLog::Result::FailedAndReported);
    EXPECT_EQ(log.append("z;", &ui), StatusLog::Result::Failed);
    EXPECT_EQ(ui.status1.size(), 2);
}
