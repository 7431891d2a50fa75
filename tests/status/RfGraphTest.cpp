#include "status/RfGraph.h"
#include "Recorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace zvk;
using namespace zvk::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString Overwrite = QStringLiteral("confirm:Файл уже существует. Вы хотите перезаписать его?");

TEST(RfGraph, FileIs150RecordsOfZeroValueAndSpace) {
    const QByteArray bytes = RfGraph().serialize();
    ASSERT_EQ(bytes.size(), 750);
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(bytes.mid(i * 5, 5), QByteArray("\0\0\0\0 ", 5)) << "record " << i;
}

TEST(RfGraph, SaveNewAndOverwriteOnlyWhenConfirmed) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.grf"));
    RecorderUi ui;
    EXPECT_TRUE(SaveRfGraph(RfGraph(), path, ui));
    EXPECT_EQ(readAll(path), RfGraph().serialize());
    EXPECT_TRUE(ui.boxes.isEmpty()) << "a new file is written without asking";

    writeFile(path, "previous graph");
    ui.confirmAnswer = false;
    EXPECT_FALSE(SaveRfGraph(RfGraph(), path, ui));
    EXPECT_EQ(ui.boxes, QStringList{Overwrite});
    EXPECT_EQ(readAll(path), QByteArray("previous graph")) << "Cancel keeps the file";

    ui.boxes.clear();
    ui.confirmAnswer = true;
    EXPECT_TRUE(SaveRfGraph(RfGraph(), path, ui));
    EXPECT_EQ(ui.boxes, QStringList{Overwrite});
    EXPECT_EQ(readAll(path).size(), 750);
}

TEST(RfGraph, UnwritableTargetGivesMessageAndNoFile) {
    QTemporaryDir dir;
    // A folder below a plain file cannot exist, whoever runs the test.
    writeFile(dir.filePath(QStringLiteral("plain")), "x");
    QStringList folders{dir.filePath(QStringLiteral("plain/SAVE"))};
    if (geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QDir(dir.path()).mkdir(QStringLiteral("locked"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        folders << locked;
    }
    for (const QString& folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        const QString path = folder + QStringLiteral("/graph.grf");
        RecorderUi ui;
        EXPECT_FALSE(SaveRfGraph(RfGraph(), path, ui));
        ASSERT_EQ(ui.boxes.size(), 1);
        EXPECT_TRUE(
            ui.boxes[0].startsWith(QStringLiteral("error:Не удалось записать файл графика RF\n") + path))
            << ui.boxes[0].toStdString();
        EXPECT_FALSE(QFile::exists(path));
        if (QDir(folder).exists()) {
            EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no temporary left";
        }
    }
    // Let the temporary folder remove itself.
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(RfGraph, ReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.grf"));
    writeFile(path, "kept");
    QFile::setPermissions(path, QFile::ReadOwner);
    RecorderUi ui;
    EXPECT_FALSE(SaveRfGraph(RfGraph(), path, ui));
    EXPECT_EQ(ui.boxes.size(), 2) << "asked, then told";
    EXPECT_EQ(readAll(path), QByteArray("kept"));
}

} // namespace
