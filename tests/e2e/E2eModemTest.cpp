// The tool with a GSM modem on the serial port: the probe at every opening, the initialisation for
// both modem types, the data call with its outcomes, cancel, and the hang-up of a silent call.

#include "E2eFixture.h"
#include "ScriptedModem.h"

#include <QProgressBar>
#include <QTest>

using namespace zvk;
using namespace zvk::test;

namespace {

struct ModemWindowTest : E2eFixture {
    // Opens the port with a modem that already has its echo off: found at the first probe.
    void startWithModem(const QByteArray& form4 = {}) {
        modem.echo = false;
        start({}, form4);
        selectPort();
        ASSERT_EQ(window->linkState().ModemPresent(), 1);
        peer.clearReceived();
    }
    void reopenPort() {
        click("BitBtn2");
        click("BitBtn2");
    }
    // Presses Cancel in the progress window shortly after the peer got this line.
    void cancelAfter(const QByteArray& line) {
        QObject::connect(&peer, &PtyPeer::lineArrived, window.get(), [this, line](const QByteArray& l) {
            if (l == line)
                QTimer::singleShot(300, window.get(), [this] { window->form2()->cancelButton()->click(); });
        });
    }
    void dial(const QString& number) {
        auto* edit = child<QLineEdit>("Edit1");
        edit->setText(number);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    ScriptedModem modem{peer};
};

const QString Found = QStringLiteral(" Модем успешно обнаружен.");
const QString InitOk = QStringLiteral(" Модем успешно инициализирован");
const QString InitErrors = QStringLiteral(" Модем инициализирован с ошибками!!!");
const QString ModemHint = QStringLiteral("Установить через модем CSD-соединеие с блоком");
const QString CableHint = QStringLiteral("Установить прямое соединеие с блоком по кабелю");

} // namespace

TEST_F(ModemWindowTest, ProbeInitialiseDialAndLoseTheCarrier) {
    modem.controller = [](const QByteArray& line) {
        return line == "ZVK+TS?" ? statusReply() + "\r\n" : QByteArray();
    };
    start();
    // Echo on at power-up: the first probe sees its own command and settles for the cable.
    selectPort();
    EXPECT_EQ(peer.received(), QByteArray("ATE0\r"));
    EXPECT_EQ(panel1(), QStringLiteral(" Модем не обнаружен - работа с блоком по кабелю."));
    EXPECT_EQ(child<QPushButton>("sBitBtn9")->toolTip(), CableHint);

    reopenPort();
    EXPECT_EQ(window->linkState().ModemPresent(), 1);
    EXPECT_EQ(panel1(), Found);
    EXPECT_EQ(child<QPushButton>("sBitBtn9")->toolTip(), ModemHint);
    EXPECT_TRUE(progressHas(InitOk));
    // The settings dialog's design values: Motorola G24, "AT+CBST=71".
    EXPECT_EQ(peer.lines().mid(1), (QList<QByteArray>{"ATE0", "ATE0", "ATE0", "AT+IPR=9600", "AT+CLIP=1",
                                                      "AT+CBST=71", "AT+CMGF=1", "AT+CREG?"}));
    EXPECT_FALSE(window->linkState().Busy());

    // A modem needs a number; Enter in the number field connects.
    click("sBitBtn9");
    EXPECT_EQ(shownBoxes, QStringList{QStringLiteral("Введите телефонный номер блока!")});
    peer.clearReceived();
    dial(QStringLiteral("89001234567"));
    EXPECT_EQ(modem.dialled, QList<QByteArray>{"89001234567"});
    EXPECT_EQ(peer.received(), QByteArray("ATD89001234567\rZVK+TS?\r\n"));
    EXPECT_EQ(ST33()->text(), Established);
    EXPECT_TRUE(st33Sheet().contains(Lime));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64     CONNECT"));
    EXPECT_EQ(panel1(), QStringLiteral(" Соединеие установлено, блок  успешно опрошен. "));
    EXPECT_TRUE(progressHas(QStringLiteral(" Звонок по указанному номеру ...")));
    EXPECT_FALSE(window->tcp().isListening());

    // The call ends without the user: a loss, shown blinking in rose.
    modem.dropCall();
    ASSERT_TRUE(pumpUntil([&] { return !window->linkState().LinkUp(); }));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_TRUE(st33Sheet().contains(Rose));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_TRUE(window->tcp().isListening());
}

TEST_F(ModemWindowTest, RegistrationFormatOfEachModemType) {
    const QString cregError = QStringLiteral(" Ошибка выполнения команды CREG");
    struct Case {
        int type;
        QByteArray creg;
        QString outcome;
    };
    const Case cases[] = {
        {0, "+CREG: 000,001", InitOk},     // Motorola G24
        {1, "+CREG: 0,1", InitOk},         // Siemens
        {1, "+CREG: 000,001", InitErrors}, // a G24 answer where a Siemens is set up
        {0, "+CREG: 0,1", InitErrors},
    };
    startWithModem("F4RG2=0\r\n"); // "AT+CBST=7" instead of the design value
    for (const Case& c : cases) {
        SCOPED_TRACE(c.creg.toStdString());
        window->form4()->setModemType(c.type);
        modem.creg = c.creg;
        window->form2()->memo()->clear();
        peer.clearReceived();
        reopenPort();
        EXPECT_TRUE(peer.lines().contains("AT+CBST=7"));
        EXPECT_FALSE(peer.lines().contains("AT+CBST=71"));
        EXPECT_TRUE(progressHas(c.outcome));
        EXPECT_EQ(progressHas(cregError), c.outcome == InitErrors);
        EXPECT_EQ(panel1(), Found);
    }
}

TEST_F(ModemWindowTest, CallsThatDoNotConnect) {
    const QString failed = QStringLiteral(" Ошибка установки соединения: ");
    struct Case {
        ScriptedModem::Dial dial;
        bool cancel;
        QString outcome;
        QByteArray sent;
    };
    const Case cases[] = {
        {ScriptedModem::Dial::Busy, false, failed + QStringLiteral("BUSY"), "ATD112\r"},
        {ScriptedModem::Dial::NoAnswer, false, failed + QStringLiteral("NO ANSWER"), "ATD112\r"},
        {ScriptedModem::Dial::Silent, true, QStringLiteral(" Отменено пользователем."), "ATD112\rATH\r"},
    };
    startWithModem();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome.toStdString());
        modem.dial = c.dial;
        peer.clearReceived();
        QObject::disconnect(&peer, &PtyPeer::lineArrived, window.get(), nullptr);
        if (c.cancel)
            cancelAfter("ATD112");
        dial(QStringLiteral("112"));
        pump(100);
        EXPECT_EQ(panel1(), c.outcome);
        EXPECT_EQ(peer.received(), c.sent);
        EXPECT_EQ(ST33()->text(), Absent);
        EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
        EXPECT_TRUE(window->tcp().isListening());
        EXPECT_FALSE(window->form2()->isVisible());
    }
}

TEST_F(ModemWindowTest, SilentControllerOnAConnectedCallIsHungUp) {
    startWithModem();
    cancelAfter("ZVK+TS?"); // what the 25 s without a reply would end in
    dial(QStringLiteral("112"));
    ASSERT_TRUE(peer.waitForBytes(23));
    EXPECT_EQ(peer.received(), QByteArray("ATD112\rZVK+TS?\r\n+++ATH\r"));
    EXPECT_EQ(panel1(), QStringLiteral(" Ошибка : нет ответа"));
    EXPECT_EQ(window->form2()->gauge()->maximum(), 25);
    // The flags stay up until the modem reports the end of the call.
    EXPECT_EQ(ST33()->text(), Established);
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64     CONNECT"));
}
