#include "app/IniFile.h"
#include "link/Frames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zvk;

namespace {
QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("5099.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}
} // namespace

TEST(IniFile, ForgivingRead) {
    QTemporaryDir dir;
    const QByteArray path1251 = toWire(QStringLiteral("C:\\Прошивки\\Блок"));
    const QString path =
        writeFile(dir, "junk before any section\r\n[Form1]\r\nForm1_Left=300\r\nnot a key line\r\n=7\r\n"
                       "UD1=abc\r\nPathToFolder_proshivki=" +
                           path1251 + "\r\n  ChBox1 = 1\r\n[form4]\r\nEdit1Text=17778\n");
    const IniFile ini = IniFile::load(path);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Form1"), QStringLiteral("Form1_Left"), 0), 300);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Form1"), QStringLiteral("UD1"), 10), 10)
        << "junk value keeps default";
    EXPECT_EQ(ini.readInteger(QStringLiteral("Form1"), QStringLiteral("Form1_Top"), 114), 114);
    EXPECT_EQ(ini.readString(QStringLiteral("Form1"), QStringLiteral("PathToFolder_proshivki"), {}),
              QStringLiteral("C:\\Прошивки\\Блок"));
    EXPECT_TRUE(ini.readBool(QStringLiteral("Form1"), QStringLiteral("ChBox1"), false));
    EXPECT_EQ(ini.readString(QStringLiteral("Form4"), QStringLiteral("Edit1Text"), {}),
              QStringLiteral("17778"));
    EXPECT_FALSE(ini.contains(QStringLiteral("Form1"), QString()));
    EXPECT_EQ(IniFile::load(dir.filePath(QStringLiteral("missing.ini")))
                  .readString(QStringLiteral("Form1"), QStringLiteral("x"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(IniFile, RoundTripAndAtomicSave) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("5099.ini"));
    IniFile ini;
    ini.writeInteger(QStringLiteral("Form1"), QStringLiteral("NoCOM"), 3);
    ini.writeBool(QStringLiteral("Form1"), QStringLiteral("ChBox63"), true);
    ini.writeString(QStringLiteral("Form1"), QStringLiteral("File_sound"), QStringLiteral("/tmp/звук.wav"));
    ini.writeString(QStringLiteral("Form4"), QStringLiteral("Edit1Text"), QStringLiteral("two\nlines"));
    ini.writeInteger(QStringLiteral("Form1"), QStringLiteral("NoCOM"), 4); // replaces, keeps order
    ASSERT_TRUE(ini.save(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("[Form1]\r\nNoCOM=4\r\nChBox63=1\r\n")) << text.constData();
    const IniFile back = IniFile::load(path);
    EXPECT_EQ(back.readString(QStringLiteral("Form1"), QStringLiteral("File_sound"), {}),
              QStringLiteral("/tmp/звук.wav"));
    EXPECT_EQ(back.readString(QStringLiteral("Form4"), QStringLiteral("Edit1Text"), {}),
              QStringLiteral("two lines"));
    // No temporary file is left behind next to it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("5099.ini")});

    // A folder that cannot be written reports the failure and leaves the old file whole.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    IniFile other;
    other.writeInteger(QStringLiteral("Form1"), QStringLiteral("NoCOM"), 9);
    QString error;
    const bool saved = other.save(path, &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!saved) { // root may write anyway
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(IniFile::load(path).readInteger(QStringLiteral("Form1"), QStringLiteral("NoCOM"), 0), 4);
    }
}
