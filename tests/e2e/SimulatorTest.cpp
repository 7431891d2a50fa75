// The whole tool against the controller simulator, as an engineer would connect them: the
// simulator dials in over TCP, or sits on a pseudo-terminal as a cable controller (text or Modbus
// mode) or behind a GSM modem. The simulator builds its replies from the protocol on its own, so
// these tests catch a layout read differently on the two sides.

#include "PtyPeer.h"
#include "WindowFixture.h"
#include "app/LogWidget.h"
#include "app/StatusTabs.h"
#include "app/TForm2.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSpinBox>

#include <QAbstractItemModel>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextStream>

using namespace zvk;
using namespace zvk::test;

namespace {

struct SimulatorTest : WindowFixture {
    void TearDown() override {
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(3000);
        }
        WindowFixture::TearDown();
    }
    // Starts the simulator; with --pty returns its device path.
    QString startSim(QStringList args) {
        args << QStringLiteral("--static") << QStringLiteral("--seed") << QStringLiteral("7")
             << QStringLiteral("--time-scale") << QStringLiteral("0");
        sim.start(QStringLiteral(ZVK_SIM_PATH), args);
        EXPECT_TRUE(sim.waitForStarted(5000));
        if (!args.contains(QStringLiteral("--pty")))
            return {};
        EXPECT_TRUE(sim.waitForReadyRead(5000));
        return QString::fromLocal8Bit(sim.readLine().trimmed());
    }
    QString cell(int grid, int column, int row) const {
        QAbstractItemModel* m = window->statusTabs()->grid(grid)->model();
        return m->data(m->index(row, column)).toString();
    }
    QString logText() const {
        auto* log = child<LogWidget>("RichEdit1");
        log->flushPending();
        return log->toPlainText();
    }
    void expectDecoded() {
        EXPECT_EQ(window->statusTabs()->sLabel2()->text(), QStringLiteral("20.20"));
        EXPECT_FALSE(window->statusTabs()->sEdit1()->text().isEmpty());
        EXPECT_EQ(window->statusPanelText(2),
                  QStringLiteral("IMEI: ") + window->statusTabs()->sEdit1()->text());
        EXPECT_EQ(cell(6, 1, 1), QStringLiteral("OK")) << "the simulator reaches its modules";
        EXPECT_FALSE(cell(3, 1, 1).isEmpty()) << "box 1 temperature";
    }
    qsizetype statusLogLines() const {
        QFile f(appDir.filePath(QStringLiteral("LOG/log_TS.csv")));
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        return f.readAll().count("\r\n");
    }
    QProcess sim;
};

} // namespace

TEST_F(SimulatorTest, ControllerConnectsOverTcpAndIsPolled) {
    writeSettings(portSection());
    TForm1& w = open();
    startSim({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(listenPort)});
    ASSERT_TRUE(pumpUntil([&] { return w.statusPanelText(1).startsWith(QStringLiteral(" TCP-")); }, 10000))
        << w.statusPanelText(1).toStdString();
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" TCP-cоединеие установлено, блок  успешно опрошен. "));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvane v2.64     CONNECT     TCP-CONNECT"));
    EXPECT_EQ(child<QLabel>("ST33")->text(), QStringLiteral(" УСТАНОВЛЕНО"));
    expectDecoded();
    EXPECT_EQ(statusLogLines(), 1);
    EXPECT_TRUE(logText().contains(QStringLiteral("Подключился клиент: IP=127.0.0.1")));

    // The poll runs after a TCP client's first read, whatever the switch says.
    child<QSpinBox>("UpDown1")->setValue(1);
    ASSERT_TRUE(pumpUntil([&] { return statusLogLines() >= 2; }, 5000));
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Текущее состояние успешно опрошено. "));

    // DISCONNECT: the controller answers and leaves; the tool ended it, so the label is steady blue.
    child<QPushButton>("sBitBtn10")->click();
    ASSERT_TRUE(pumpUntil([&] { return !w.linkState().LinkUp(); }, 5000));
    EXPECT_TRUE(logText().contains(QStringLiteral("ZVK+DISCONNECT")));
    EXPECT_EQ(w.linkState().label(), LinkLabel::Absent);
    EXPECT_FALSE(w.pollTimer().isActive());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvane v2.64"));
}

TEST_F(SimulatorTest, CableInConfigMode) {
    writeSettings(portSection());
    TForm1& w = open();
    chosenPort = startSim({QStringLiteral("--pty")});
    child<QPushButton>("BitBtn1")->click(); // select and open; the probe finds no modem
    ASSERT_TRUE(w.serial().isOpen());
    EXPECT_EQ(w.linkState().ModemPresent(), 0);
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Модем не обнаружен - работа с блоком по кабелю."));

    child<QPushButton>("sBitBtn9")->click();
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Соединеие установлено, блок  успешно опрошен. "));
    EXPECT_TRUE(w.linkState().LinkUp());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvane v2.64     CONNECT"));
    expectDecoded();
    const QString log = logText();
    EXPECT_TRUE(log.contains(QStringLiteral("SET_CONFIG_MODE?\nZVKOK")) ||
                log.contains(QStringLiteral("SET_CONFIG_MODE?\n\nZVKOK")));
    EXPECT_TRUE(log.contains(QStringLiteral("Приостановка прослушивания сокета")));

    child<QPushButton>("sBitBtn10")->click(); // the controller answers "DISCONNECT"
    ASSERT_TRUE(pumpUntil([&] { return !w.linkState().LinkUp(); }, 5000));
    EXPECT_EQ(w.linkState().label(), LinkLabel::Absent);
    EXPECT_TRUE(w.tcp().isListening());
}

TEST_F(SimulatorTest, CableInModbusMode) {
    writeSettings(portSection());
    TForm1& w = open();
    chosenPort = startSim({QStringLiteral("--pty"), QStringLiteral("--modbus")});
    child<QRadioButton>("sRadioGroup1_0")->click(); // "Режим Modbus"
    child<QPushButton>("BitBtn1")->click();
    ASSERT_TRUE(w.serial().isOpen());
    child<QPushButton>("sBitBtn9")->click();
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Соединеие установлено, блок  успешно опрошен. "));
    expectDecoded();
    EXPECT_TRUE(logText().contains(QStringLiteral("1F 03 00 00 00 44 46 47 ")));
    EXPECT_FALSE(logText().contains(QStringLiteral("ZVK+TS?"))) << "no text command on a Modbus cable";
    EXPECT_TRUE(w.statusView().echo.Edit8.has_value()) << "the Modbus block carries the configuration echo";
    EXPECT_EQ(statusLogLines(), 1);

    // The poll in Modbus form.
    child<QSpinBox>("UpDown1")->setValue(1);
    child<QCheckBox>("CheckBox1")->setChecked(true);
    ASSERT_TRUE(pumpUntil([&] { return statusLogLines() >= 2; }, 5000));
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Текущее состояние успешно опрошено. "));
}

TEST_F(SimulatorTest, DataCallThroughAModem) {
    writeSettings("[Form1]\r\nEdit1Text=+79001234567\r\n" + portSection());
    TForm1& w = open();
    chosenPort = startSim({QStringLiteral("--pty"), QStringLiteral("--modem"), QStringLiteral("g24"),
                           QStringLiteral("--modem-echo"), QStringLiteral("off")});
    child<QPushButton>("BitBtn1")->click();
    ASSERT_EQ(w.linkState().ModemPresent(), 1);
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Модем успешно обнаружен."));
    EXPECT_TRUE(w.form2()
                    ->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
                    ->toPlainText()
                    .contains(QStringLiteral(" Модем успешно инициализирован")));

    child<QPushButton>("sBitBtn9")->click();
    EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Соединеие установлено, блок  успешно опрошен. "));
    EXPECT_TRUE(logText().contains(QStringLiteral("ATD+79001234567")));
    expectDecoded();

    child<QPushButton>("sBitBtn10")->click();
    ASSERT_TRUE(pumpUntil([&] { return !w.linkState().LinkUp(); }, 5000));
    EXPECT_EQ(w.linkState().label(), LinkLabel::Absent);
}
