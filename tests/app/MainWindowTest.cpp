#include "WindowFixture.h"
#include "app/IniFile.h"
#include "app/LogWidget.h"
#include "app/Skin.h"
#include "app/TForm2.h"
#include "app/TForm4.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

using namespace zvk;
using namespace zvk::test;

using MainWindowTest = WindowFixture;

TEST_F(MainWindowTest, FirstShowCreatesFoldersAndListens) {
    writeSettings(portSection());
    TForm1& w = open();
    EXPECT_EQ(w.AppDir, appDir.path());
    for (const char* f : {"INI", "SAVE", "LOG", "PRINT_SCREEN"})
        EXPECT_TRUE(QDir(appDir.filePath(QString::fromLatin1(f))).exists()) << f;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvane v2.64"));
    EXPECT_TRUE(w.tcp().isListening());
    EXPECT_EQ(w.tcp().port(), listenPort);
    const auto* tabs = child<QTabWidget>("PageControl1");
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->count(), 7);
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Текущее состояние - 2"));
    EXPECT_FALSE(tabs->isTabVisible(6)) << "the firmware tab stays hidden until the password";
    auto* log = child<LogWidget>("RichEdit1");
    log->flushPending();
    EXPECT_EQ(log->toPlainText(), QStringLiteral("Старт прослушивания сокета"));
    EXPECT_EQ(child<QPushButton>("BitBtn2")->text(), QStringLiteral("Open  COM-port"));
    EXPECT_FALSE(w.statusPanelText(3).isEmpty());
}

TEST_F(MainWindowTest, SettingsRestoreInTableOrderAndSaveOnClose) {
    writeSettings("[Form1]\r\nForm1_Left=10\r\nForm1_Top=20\r\nForm1_Width=1000\r\nForm1_Height=700\r\n"
                  "NoCOM=2\r\nEdit1Text=+79001234567\r\nFile_sound=/no/such/file.wav\r\nChBox1=1\r\n"
                  "ChBox63=1\r\nUD1=250\r\n" +
                  portSection());
    TForm1& w = open();
    EXPECT_EQ(w.serial().portName(), QStringLiteral("/dev/ttyS1"));
    EXPECT_EQ(child<QGroupBox>("GroupBox2")->title(), QStringLiteral(" COM-port : COM-2 "));
    EXPECT_FALSE(w.serial().isOpen()) << "restoring the port never opens it";
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(), QStringLiteral("+79001234567"));
    EXPECT_EQ(w.SoundFile, QStringLiteral("/no/such/file.wav"));
    EXPECT_EQ(child<QLabel>("Label85")->text(), QStringLiteral("файл не выбран"));
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(w.pollTimer().isActive()) << "a restored poll switch starts the poll";
    EXPECT_EQ(w.pollPeriod(), 100) << "the period is clamped to its range";
    EXPECT_EQ(child<QLineEdit>("Edit3")->text(), QStringLiteral("100"));
    EXPECT_EQ(w.pollTimer().interval(), 100000);
    EXPECT_TRUE(w.operationLog().timeMarks());
    // Only Form1 in the file: the dialog keeps its design values.
    EXPECT_EQ(w.form4()->modemType(), 0);
    EXPECT_EQ(w.form4()->callProtocol(), 1);
    EXPECT_EQ(w.form4()->intensity(), 200);
    EXPECT_EQ(w.form4()->skin().name, QStringLiteral("Topaz (internal)"));

    child<QLineEdit>("Edit1")->setText(QStringLiteral("123"));
    w.close();
    const IniFile saved = IniFile::load(appDir.filePath(QStringLiteral("INI/5099.ini")));
    EXPECT_EQ(saved.readString(QStringLiteral("Form1"), QStringLiteral("Edit1Text"), {}),
              QStringLiteral("123"));
    EXPECT_EQ(saved.readInteger(QStringLiteral("Form1"), QStringLiteral("NoCOM"), 0), 2);
    EXPECT_EQ(saved.readInteger(QStringLiteral("Form1"), QStringLiteral("UD1"), 0), 100);
    EXPECT_EQ(saved.readString(QStringLiteral("Form4"), QStringLiteral("Edit1Text"), {}),
              QString::number(listenPort));
    EXPECT_EQ(saved.readInteger(QStringLiteral("Form4"), QStringLiteral("SpEd2"), 0), 200);
    for (int k = 1; k <= 7; ++k)
        EXPECT_TRUE(saved.contains(QStringLiteral("Form4"), QStringLiteral("sChBox%1").arg(k)));
}

TEST_F(MainWindowTest, RefusedListeningPortLeavesTheToolRunning) {
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::Any, 0));
    writeSettings("[Form4]\r\nEdit1Text=" + QByteArray::number(squatter.serverPort()) + "\r\n");
    TForm1& w = open();
    ASSERT_EQ(shownBoxes.size(), 1);
    EXPECT_FALSE(w.tcp().isListening());
    EXPECT_EQ(child<QTabWidget>("PageControl1")->currentIndex(), 0) << "the rest of the start-up ran";
    squatter.close();
    w.form4()->setPortText(QString::number(listenPort));
    EXPECT_TRUE(w.form4()->closeRequest());
    EXPECT_TRUE(w.tcp().isListening()) << "the next successful activation listens again";
}

TEST_F(MainWindowTest, SettingsDialogPortValidation) {
    writeSettings(portSection());
    TForm1& w = open();
    TForm4* dialog = w.form4();
    for (const char* bad : {"0", "65536", "", "77x8"}) {
        shownBoxes.clear();
        dialog->pages()->setCurrentIndex(0);
        dialog->setPortText(QString::fromLatin1(bad));
        EXPECT_FALSE(dialog->closeRequest()) << bad;
        EXPECT_EQ(shownBoxes, QStringList{QStringLiteral("Ошибка в номере порта сокета (от 1 до 65535) ! ")});
        EXPECT_EQ(dialog->pages()->currentIndex(), 1) << "the Server tab comes to the front";
    }
    EXPECT_TRUE(TForm4::parsePort(QStringLiteral("1"), nullptr));
    dialog->setPortText(QString::number(listenPort));
    EXPECT_TRUE(dialog->closeRequest());
    EXPECT_TRUE(w.tcp().isListening());
}

TEST_F(MainWindowTest, PasswordRevealsTheFirmwareTab) {
    writeSettings(portSection());
    TForm1& w = open();
    auto* tabs = child<QTabWidget>("PageControl1");
    auto* password = w.form4()->findChild<QLineEdit*>(QStringLiteral("Edit2"));
    ASSERT_TRUE(password);
    w.form4()->setPortText(QString::number(listenPort));
    auto enter = [&](const QString& text) {
        password->setText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(password, &press);
    };
    enter(TForm4::FirmwarePassword + QStringLiteral(" "));
    EXPECT_FALSE(tabs->isTabVisible(6));
    enter(QStringLiteral("Quelbrastifon"));
    EXPECT_FALSE(tabs->isTabVisible(6));
    enter(TForm4::FirmwarePassword);
    EXPECT_TRUE(tabs->isTabVisible(6));
    EXPECT_EQ(tabs->currentIndex(), 6);
    EXPECT_EQ(password->text(), TForm4::FirmwarePassword) << "the typed text is not cleared";
}

TEST_F(MainWindowTest, LookAndLogControls) {
    writeSettings(portSection());
    TForm1& w = open();
    w.form4()->setIntensity(100);
    EXPECT_EQ(w.form4()->skin().saturation, 0);
    w.form4()->setSkinIndex(1);
    EXPECT_EQ(w.form4()->skin().name, QStringLiteral("Android OS (internal)"));
    EXPECT_NE(skinPalette({QStringLiteral("Topaz (internal)"), 0, 100}).window().color(),
              skinPalette({QStringLiteral("Topaz (internal)"), 120, 100}).window().color());
    EXPECT_EQ(skinPalette({QStringLiteral("Topaz (internal)"), 0, -100}).window().color().hsvSaturation(), 0);

    w.operationLog().serialSent("ZVK+VT?");
    child<QPushButton>("BitBtn9")->click();
    EXPECT_TRUE(child<QPlainTextEdit>("RichEdit1")->toPlainText().isEmpty());
    child<QPushButton>("sBitBtn22")->click();
    EXPECT_TRUE(w.form2()->isVisible());
    EXPECT_EQ(w.form2()->windowTitle(), QStringLiteral("   Ход выполнения ..."));
    w.form2()->cancelButton()->click();
    EXPECT_TRUE(w.engine().AbortRequested);
    EXPECT_TRUE(w.form2()->isVisible()) << "Cancel does not close the window";
}

TEST_F(MainWindowTest, EveryControlHasAnAccessibleName) {
    writeSettings(portSection());
    TForm1& w = open();
    QStringList unnamed;
    const QList<QWidget*> widgets = w.findChildren<QWidget*>();
    for (QWidget* c : widgets) {
        const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
                             qobject_cast<QAbstractSpinBox*>(c) || qobject_cast<QAbstractItemView*>(c);
        if (control && c->accessibleName().isEmpty() && c->focusPolicy() != Qt::NoFocus)
            unnamed << c->objectName() + QStringLiteral(":") +
                           QString::fromLatin1(c->metaObject()->className());
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(TForm1::clockText(QDateTime(QDate(2012, 4, 3), QTime(9, 5))),
              QStringLiteral("09:05 / 03.04.2012"));
}
