// The tool on a cable: a controller on a pseudo-terminal in config mode (text protocol) and in Modbus
// mode (a Modbus RTU responder), the connect, poll and disconnect controls, and the status poll's
// switch and period.

#include "E2eFixture.h"
#include "ModbusResponder.h"
#include "link/Frames.h"

#include <QSpinBox>
#include <QTest>

using namespace zvk;
using namespace zvk::test;

namespace {

using CableTest = E2eFixture;

const QString Polled = QStringLiteral(" Соединеие установлено, блок  успешно опрошен. ");
const QString PollPolled = QStringLiteral(" Текущее состояние успешно опрошено. ");
const QString NoModem = QStringLiteral(" Модем не обнаружен - работа с блоком по кабелю.");

} // namespace

TEST_F(CableTest, ConfigModeConnectPollAndDisconnect) {
    peer.on("SET_CONFIG_MODE?", "ZVKOK\r\n", 20);
    peer.on("ZVK+TS?", statusReply() + "\r\n", 20);
    peer.on("ZVK+DISCONNECT", "DISCONNECT\r\n", 20);
    start();
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_TRUE(st33Sheet().contains(Blue));
    EXPECT_TRUE(window->tcp().isListening());

    selectPort();
    EXPECT_EQ(panel1(), NoModem);
    EXPECT_EQ(child<QPushButton>("sBitBtn9")->toolTip(),
              QStringLiteral("Установить прямое соединеие с блоком по кабелю"));

    click("sBitBtn9");
    EXPECT_EQ(peer.received(), QByteArray("ATE0\rSET_CONFIG_MODE?\rZVK+TS?\r\n"));
    EXPECT_EQ(ST33()->text(), Established);
    EXPECT_TRUE(st33Sheet().contains(Lime));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64     CONNECT"));
    EXPECT_EQ(panel1(), Polled);
    EXPECT_TRUE(progressHas(QStringLiteral(" Соединение установлено ...")));
    EXPECT_FALSE(window->form2()->isVisible());
    EXPECT_FALSE(window->tcp().isListening());
    EXPECT_TRUE(logHas(QStringLiteral("Приостановка прослушивания сокета")));
    EXPECT_FALSE(window->pollTimer().isActive()); // the switch is off

    // Ticking the switch polls at once; the tick locks the buttons and shows the red bar.
    bool lockedDuringTick = false;
    bool barDuringTick = false;
    peer.onAnyLine([&](const QByteArray& line) {
        if (line == "ZVK+TS?") {
            lockedDuringTick = !child<QPushButton>("sBitBtn9")->isEnabled() &&
                               !child<QPushButton>("sBitBtn25")->isEnabled() &&
                               child<QPushButton>("sBitBtn22")->isEnabled() &&
                               window->form2()->cancelButton()->isEnabled();
            barDuringTick = child<QFrame>("Shape20")->isVisible();
        }
    });
    peer.clearReceived();
    child<QCheckBox>("CheckBox1")->click();
    EXPECT_EQ(peer.received(), QByteArray("ZVK+TS?\r\n"));
    EXPECT_EQ(panel1(), PollPolled);
    EXPECT_TRUE(lockedDuringTick);
    EXPECT_TRUE(barDuringTick);
    EXPECT_FALSE(child<QFrame>("Shape20")->isVisible());
    EXPECT_TRUE(child<QPushButton>("sBitBtn9")->isEnabled());
    EXPECT_TRUE(window->pollTimer().isActive());
    EXPECT_FALSE(window->linkState().Busy());

    // DISCONNECT waits for the controller's "DISCONNECT"; the tool ended it, so the label is steady blue.
    peer.clearReceived();
    click("sBitBtn10");
    EXPECT_FALSE(window->pollTimer().isActive());
    ASSERT_TRUE(pumpUntil([&] { return !window->linkState().LinkUp(); }));
    EXPECT_EQ(peer.received(), QByteArray("ZVK+DISCONNECT\r"));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_TRUE(st33Sheet().contains(Blue));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_EQ(panel1(), QStringLiteral(" Соединение разорвано. "));
    EXPECT_TRUE(window->tcp().isListening());
    EXPECT_TRUE(logHas(QStringLiteral("Возобновление прослушивания сокета")));
}

TEST_F(CableTest, ConfigModeStrayGreetingResumesListening) {
    peer.on("SET_CONFIG_MODE?", "NOT NOW\r\n", 20);
    start();
    selectPort();
    click("sBitBtn9");
    EXPECT_EQ(panel1(), QStringLiteral(" Ошибка в ответе: NOT NOW"));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_TRUE(window->tcp().isListening());
    EXPECT_TRUE(logHas(QStringLiteral("Восстановление прослушивания сокета")));
}

TEST_F(CableTest, ConnectWithoutAPort) {
    start();
    click("sBitBtn9");
    EXPECT_EQ(shownBoxes, QStringList{QStringLiteral("Не открыт СОМ-порт !")});
    EXPECT_FALSE(window->form2()->isVisible());
}

TEST_F(CableTest, ModbusModeConnectPollAndServerRequest) {
    QByteArray data(ModbusFrames::ReadStatusDataBytes, '\0');
    data[0] = char(20);
    data[1] = char(20);
    ModbusResponder controller(peer, data);
    start();
    child<QRadioButton>("sRadioGroup1_0")->click();
    selectPort();
    peer.clearReceived();

    click("sBitBtn9");
    EXPECT_EQ(peer.received(), ModbusFrames::readStatus());
    EXPECT_EQ(ST33()->text(), Established);
    EXPECT_TRUE(st33Sheet().contains(Lime));
    EXPECT_EQ(panel1(), Polled);
    EXPECT_EQ(window->statusView().sLabel2, QStringLiteral("20.20"));

    child<QCheckBox>("CheckBox1")->click();
    EXPECT_EQ(panel1(), PollPolled);
    EXPECT_EQ(controller.requests,
              (QList<QByteArray>{ModbusFrames::readStatus(), ModbusFrames::readStatus()}));

    // The request to connect to the server, on its tab: the echo ends the link as the tool's own doing.
    click("sBitBtn25");
    EXPECT_EQ(controller.requests.last(), QByteArray::fromHex("1F06000012348703"));
    EXPECT_EQ(panel1(), QStringLiteral(" Запрос успешно выполнен"));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_TRUE(st33Sheet().contains(Blue));
    EXPECT_FALSE(window->pollTimer().isActive());
    EXPECT_TRUE(window->tcp().isListening());

    // Text operations have no carrier here; the server request in config mode does nothing.
    child<QRadioButton>("sRadioGroup1_1")->click();
    window->linkState().setLinkUp(true);
    const qsizetype before = controller.requests.size();
    click("sBitBtn25");
    pump(100);
    EXPECT_EQ(controller.requests.size(), before);
}

TEST_F(CableTest, VanishedPortEndsTheConnectionAsALoss) {
    peer.on("SET_CONFIG_MODE?", "ZVKOK\r\n");
    peer.on("ZVK+TS?", statusReply() + "\r\n");
    start();
    selectPort();
    click("sBitBtn9");
    ASSERT_EQ(ST33()->text(), Established);
    peer.closeMaster();
    ASSERT_TRUE(pumpUntil([&] { return !window->linkState().LinkUp(); }));
    EXPECT_TRUE(st33Sheet().contains(Rose));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_EQ(child<QPushButton>("BitBtn2")->text(), QStringLiteral("Open  COM-port"));
    // The label blinks until the next connection.
    int toggles = 0;
    bool shown = ST33()->isVisible();
    EXPECT_TRUE(pumpUntil(
        [&] {
            if (ST33()->isVisible() != shown) {
                shown = !shown;
                ++toggles;
            }
            return toggles >= 2;
        },
        2000));
}

TEST_F(CableTest, PollSwitchAndPeriodComeFromTheSettingsFile) {
    peer.on("SET_CONFIG_MODE?", "ZVKOK\r\n");
    peer.on("ZVK+TS?", statusReply() + "\r\n");
    start("ChBox1=1\r\nUD1=1\r\n");
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(window->pollTimer().isActive());
    EXPECT_EQ(window->pollTimer().interval(), 1000);
    EXPECT_EQ(child<QLineEdit>("Edit3")->text(), QStringLiteral("1"));
    auto* upDown = child<QSpinBox>("UpDown1");
    upDown->stepDown();
    EXPECT_EQ(upDown->value(), 1);
    upDown->setValue(100);
    upDown->stepUp();
    EXPECT_EQ(upDown->value(), 100);
    EXPECT_EQ(window->pollTimer().interval(), 100000);
    upDown->setValue(1);

    // With no link the ticks do nothing; once connected, the timer polls by itself.
    pump(1200);
    EXPECT_TRUE(panel1().isEmpty());
    selectPort();
    click("sBitBtn9");
    ASSERT_EQ(panel1(), Polled);
    peer.clearReceived();
    EXPECT_TRUE(pumpUntil([&] { return panel1() == PollPolled; }, 2500));
    EXPECT_EQ(peer.received(), QByteArray("ZVK+TS?\r\n"));

    window->close();
    QFile ini(appDir.filePath(QStringLiteral("INI/5099.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("ChBox1=1")) << text.constData();
    EXPECT_TRUE(text.contains("UD1=1\r\n")) << text.constData();
}
