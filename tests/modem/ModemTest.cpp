#include "modem/Modem.h"
#include "LinkFixture.h"
#include "ScriptedModem.h"
#include "link/Frames.h"

#include <QElapsedTimer>
#include <QTimer>

using namespace zvk;
using namespace zvk::test;

namespace {

struct ModemTest : SerialFixture {
    // The port is open before the modem is attached: each test starts its own probe.
    void SetUp() override {
        SerialFixture::SetUp();
        modem = std::make_unique<Modem>(state, serial, engine, ui);
        modem->setSettings([this] { return settings; });
    }
    QList<QByteArray> commandsAfter(qsizetype first) const { return peer.lines().mid(first); }

    ModemSettings settings;
    std::unique_ptr<Modem> modem;
    ScriptedModem scripted{peer};
};

const QString Found = QStringLiteral(" Модем успешно обнаружен.");
const QString NotFound = QStringLiteral(" Модем не обнаружен - работа с блоком по кабелю.");
const QString InitOk = QStringLiteral(" Модем успешно инициализирован");
const QString InitErrors = QStringLiteral(" Модем инициализирован с ошибками!!!");

} // namespace

TEST_F(ModemTest, EchoOfTheProbeMeansNoModemUntilAProbeGetsOkFirst) {
    // Power-up echo: the first probe sees "ATE0" before "OK" and reports the cable.
    modem->TestModema();
    EXPECT_EQ(state.ModemPresent(), 0);
    EXPECT_EQ(ui.lastStatus(), NotFound);
    EXPECT_EQ(ui.progress,
              (QStringList{QString(), QStringLiteral(" Тестирование наличия модема ..."), NotFound}));
    EXPECT_EQ(ui.events, (QStringList{QStringLiteral("show"), QStringLiteral("close")}));
    EXPECT_EQ(peer.received(), QByteArray("ATE0\r"));

    // The probe switched the echo off: the next one finds the modem and initialises it.
    ui.progress.clear();
    modem->TestModema();
    EXPECT_EQ(state.ModemPresent(), 1);
    EXPECT_FALSE(state.Busy());
    EXPECT_EQ(ui.lastStatus(), Found);
    EXPECT_EQ(ui.progress.last(), Found);
    EXPECT_TRUE(ui.progress.contains(QStringLiteral(" Инициализация GSM-модема...")));
    EXPECT_EQ(ui.progress[ui.progress.size() - 2], InitOk);
    EXPECT_EQ(commandsAfter(1), (QList<QByteArray>{"ATE0", "ATE0", "ATE0", "AT+IPR=9600", "AT+CLIP=1",
                                                   "AT+CBST=7", "AT+CMGF=1", "AT+CREG?"}));
    EXPECT_TRUE(ui.status1.contains(InitOk));
}

TEST_F(ModemTest, InitialisationFollowsModemTypeAndProtocol) {
    struct Case {
        int type;
        int protocol;
        QByteArray creg;
        QByteArray cbst;
        QString outcome;
        QString error;
    };
    const QString cregError = QStringLiteral(" Ошибка выполнения команды CREG");
    const Case cases[] = {
        {ModemSettings::MotorolaG24, ModemSettings::Cbst7, "+CREG: 000,001", "AT+CBST=7", InitOk, {}},
        {ModemSettings::Siemens, ModemSettings::Cbst71, "+CREG: 0,1", "AT+CBST=71", InitOk, {}},
        // The other type's number format, and roaming, are registration errors.
        {ModemSettings::Siemens, ModemSettings::Cbst7, "+CREG: 000,001", "AT+CBST=7", InitErrors, cregError},
        {ModemSettings::MotorolaG24, ModemSettings::Cbst71, "+CREG: 000,005", "AT+CBST=71", InitErrors,
         cregError},
    };
    scripted.echo = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.creg.toStdString());
        settings.modemType = c.type;
        settings.callProtocol = c.protocol;
        scripted.creg = c.creg;
        ui.progress.clear();
        ui.status1.clear();
        const qsizetype first = peer.lines().size();
        modem->InitModem();
        EXPECT_EQ(commandsAfter(first), (QList<QByteArray>{"ATE0", "ATE0", "AT+IPR=9600", "AT+CLIP=1", c.cbst,
                                                           "AT+CMGF=1", "AT+CREG?"}));
        EXPECT_EQ(ui.progress.last(), c.outcome);
        EXPECT_EQ(ui.lastStatus(), c.outcome);
        QStringList errors;
        for (const QString& line : std::as_const(ui.progress))
            if (line.startsWith(QStringLiteral(" Ошибка")))
                errors << line;
        EXPECT_EQ(errors, c.error.isEmpty() ? QStringList() : QStringList{c.error});
        EXPECT_FALSE(state.Busy());
    }
}

TEST_F(ModemTest, ModemThatStopsAnsweringStaysPresent) {
    scripted.echo = false;
    scripted.answersAt = false;
    QElapsedTimer t;
    t.start();
    modem->TestModema();
    EXPECT_GE(t.elapsed(), 5000); // the second "ATE0" waits its full 5 s
    EXPECT_EQ(state.ModemPresent(), 1);
    const QString silent = QStringLiteral(" Ошибка - GSM-модем не отвечает.");
    EXPECT_EQ(ui.progress[ui.progress.size() - 2], silent);
    EXPECT_TRUE(ui.status1.contains(silent));
    EXPECT_EQ(ui.lastStatus(), Found);
    EXPECT_EQ(peer.lines(), (QList<QByteArray>{"ATE0", "ATE0", "ATE0"}));
}

TEST_F(ModemTest, EveryOpeningProbesButNotInsideAnotherOperation) {
    scripted.poweredOff = true;
    serial.close();
    state.setBusy(true);
    QString error;
    ASSERT_TRUE(serial.open(&error));
    pump(200);
    EXPECT_TRUE(ui.progress.isEmpty()) << "a probe must wait for the running operation";
    state.setBusy(false);
    ASSERT_TRUE(pumpUntil([&] { return !ui.progress.isEmpty(); }));
    EXPECT_EQ(ui.progress[1], QStringLiteral(" Тестирование наличия модема ..."));
    EXPECT_EQ(peer.lines().first(), QByteArray("ATE0"));
}

TEST_F(ModemTest, DialOutcomes) {
    scripted.echo = false;
    const QString failed = QStringLiteral(" Ошибка установки соединения: ");
    struct Case {
        ScriptedModem::Dial dial;
        bool connected;
        QString outcome;
    };
    const Case cases[] = {
        {ScriptedModem::Dial::Connect, true, {}},
        {ScriptedModem::Dial::Busy, false, failed + QStringLiteral("BUSY")},
        {ScriptedModem::Dial::NoAnswer, false, failed + QStringLiteral("NO ANSWER")},
        {ScriptedModem::Dial::NoCarrier, false, failed + QStringLiteral("NO CARRIER")},
        {ScriptedModem::Dial::NoDialtone, false, failed + QStringLiteral("NO DIALTONE")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome.toStdString());
        scripted.dial = c.dial;
        scripted.online = false;
        peer.clearReceived();
        const Dialler::Result r = modem->dial("89001234567");
        EXPECT_EQ(r.connected, c.connected);
        EXPECT_EQ(r.outcome, c.outcome);
        pump(100);
        // Only the dial was sent: a refused call needs no hang-up.
        EXPECT_EQ(peer.received(), QByteArray("ATD89001234567\r"));
    }
    EXPECT_EQ(ui.gaugeMax, Modem::DialWaitMs / 100);
}

TEST_F(ModemTest, CancelledDialHangsUp) {
    scripted.echo = false;
    scripted.dial = ScriptedModem::Dial::Silent;
    QTimer::singleShot(300, &engine, [&] { engine.abort(); });
    QElapsedTimer t;
    t.start();
    const Dialler::Result r = modem->dial("112");
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_FALSE(r.connected);
    EXPECT_EQ(r.outcome, QStringLiteral(" Отменено пользователем."));
    ASSERT_TRUE(peer.waitForLines(2));
    EXPECT_EQ(peer.received(), QByteArray("ATD112\rATH\r"));
}

TEST_F(ModemTest, HangUpAfterSilenceEscapesWaitsAndHangsUp) {
    QElapsedTimer t;
    t.start();
    qint64 athAt = -1;
    QObject::connect(&peer, &PtyPeer::lineArrived, [&](const QByteArray&) { athAt = t.elapsed(); });
    modem->hangUpAfterSilence();
    ASSERT_TRUE(pumpUntil([&] { return athAt >= 0; }));
    EXPECT_GE(athAt, Modem::EscapePauseMs);
    EXPECT_EQ(peer.received(), QByteArray("+++ATH\r"));
}
