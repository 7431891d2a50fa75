#include "ConnectionFixture.h"
#include "ModbusResponder.h"
#include "ScriptedModem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTcpServer>

using namespace zvk;
using namespace zvk::test;

namespace {

using ConnectionTest = ConnectionFixture;

const QString Waiting = QStringLiteral(" Ожидание соединения ...");
const QString StatusRequest = QStringLiteral(" Запрос текущего состояния ...");
const QString Resumed = QStringLiteral("Восстановление прослушивания сокета");
const QString Restarted = QStringLiteral("Возобновление прослушивания сокета");
const QString Paused = QStringLiteral("Приостановка прослушивания сокета");

QByteArray modbusData() {
    QByteArray data(ModbusFrames::ReadStatusDataBytes, '\0');
    data[0] = char(20);
    data[1] = char(20);
    return data;
}

} // namespace

// --- Cable in config mode -----------------------------------------------------------------------

TEST_F(ConnectionTest, ConfigModeGreetsReadsStatusAndKeepsListeningPaused) {
    peer.on("SET_CONFIG_MODE?", "ZVKOK\r\n", 20);
    peer.on("ZVK+TS?", statusReply() + "\r\n", 20);
    state.setDisconnectExpected(true);
    pollSwitch = true;
    connection.Connect({});

    EXPECT_EQ(peer.received(), QByteArray("SET_CONFIG_MODE?\rZVK+TS?\r\n"));
    EXPECT_EQ(ui.progress,
              (QStringList{QString(), Waiting, Connection::Connected, StatusRequest, Connection::Polled}));
    EXPECT_EQ(ui.events, (QStringList{QStringLiteral("show"), QStringLiteral("close")}));
    EXPECT_EQ(ui.lastStatus(), Connection::Polled);
    EXPECT_EQ(ui.gaugeMax, Connection::ConnectStatusSteps);
    EXPECT_TRUE(state.LinkUp());
    EXPECT_FALSE(state.DisconnectExpected());
    EXPECT_EQ(state.label(), LinkLabel::Established);
    EXPECT_EQ(state.RefreshConnecta(), QStringLiteral("Tarvane v2.64     CONNECT"));
    EXPECT_EQ(statusView.sLabel2, QStringLiteral("20.20"));
    EXPECT_TRUE(pollTimer.isActive());
    EXPECT_FALSE(tcp.isListening());
    EXPECT_TRUE(logHas(Paused));
    EXPECT_FALSE(logHas(Resumed));

    // A second click while connected does nothing at all.
    ui.events.clear();
    connection.Connect({});
    EXPECT_TRUE(ui.events.isEmpty());
}

TEST_F(ConnectionTest, ConfigModeOutcomes) {
    struct Case {
        const char* name;
        QByteArray greeting; // reply to SET_CONFIG_MODE?
        QByteArray status;   // reply to ZVK+TS?
        QString outcome;
        bool linkUp;
    };
    const Case cases[] = {
        {"other line to the greeting",
         "CONFIG?\r\n",
         {},
         Outcome::WrongReply + QStringLiteral("CONFIG?"),
         false},
        {"stray line before the status", "ZVKOK\r\n", "HELLO FROM BLOCK 7\r\n",
         Outcome::WrongReply + QStringLiteral("HELLO FROM BLOCK 7"), true},
        {"status with a wrong CRC", "ZVKOK\r\n", statusReply().chopped(1) + "0\r\n", Outcome::BadCrc, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        peer.on("SET_CONFIG_MODE?", c.greeting, 10, 1);
        if (!c.status.isEmpty())
            peer.on("ZVK+TS?", c.status, 10, 1);
        ui.progress.clear();
        view.lines.clear();
        connection.Connect({});
        EXPECT_EQ(ui.progress.last(), c.outcome);
        EXPECT_EQ(ui.lastStatus(), c.outcome);
        EXPECT_EQ(state.LinkUp(), c.linkUp);
        // A failed greeting gives the socket back; an established link keeps it paused.
        EXPECT_EQ(tcp.isListening(), !c.linkUp);
        EXPECT_EQ(logHas(Resumed), !c.linkUp);
        EXPECT_FALSE(pollTimer.isActive());
        connection.Reset();
        ASSERT_TRUE(tcp.isListening());
    }
}

TEST_F(ConnectionTest, SilentControllerOnACallIsHungUpAndTheLinkStays) {
    ScriptedModem modemPeer(peer);
    modemPeer.echo = false;
    state.setModemPresent(1);
    cancelAfterLine("ZVK+TS?"); // the 25 s wait ends the same way when cancelled
    connection.Connect("5550101");

    ASSERT_TRUE(peer.waitForBytes(27));
    EXPECT_EQ(peer.received(), QByteArray("ATD5550101\rZVK+TS?\r\n+++ATH\r"));
    EXPECT_EQ(ui.progress, (QStringList{QString(), QStringLiteral(" Звонок по указанному номеру ..."),
                                        Waiting, Connection::Connected, StatusRequest, Outcome::NoReply}));
    EXPECT_TRUE(state.LinkUp());
    EXPECT_EQ(state.label(), LinkLabel::Established);
    EXPECT_FALSE(tcp.isListening());
    EXPECT_EQ(ui.gaugeMax, Connection::ConnectStatusSteps);

    // The modem then reports the end of the call: an unexpected loss.
    modemPeer.dropCall();
    ASSERT_TRUE(pumpUntil([&] { return !state.LinkUp(); }));
    EXPECT_EQ(state.label(), LinkLabel::Lost);
    EXPECT_EQ(ui.lastStatus(), Connection::Ended);
    EXPECT_TRUE(tcp.isListening());
    EXPECT_TRUE(logHas(Restarted));
}

TEST_F(ConnectionTest, CallConnectsAndReadsStatus) {
    ScriptedModem modemPeer(peer);
    modemPeer.echo = false;
    modemPeer.controller = [](const QByteArray& line) {
        return line == "ZVK+TS?" ? statusReply() + "\r\n" : QByteArray();
    };
    state.setModemPresent(1);
    connection.Connect("5550101");
    EXPECT_EQ(modemPeer.dialled, QList<QByteArray>{"5550101"});
    EXPECT_EQ(ui.lastStatus(), Connection::Polled);
    EXPECT_TRUE(state.LinkUp());
    EXPECT_EQ(statusView.sLabel2, QStringLiteral("20.20"));
}

TEST_F(ConnectionTest, RefusedCallGivesTheSocketBackWithoutHangingUp) {
    ScriptedModem modemPeer(peer);
    modemPeer.echo = false;
    modemPeer.dial = ScriptedModem::Dial::Busy;
    state.setModemPresent(1);
    connection.Connect("5550101");
    EXPECT_EQ(ui.lastStatus(), QStringLiteral(" Ошибка установки соединения: BUSY"));
    pump(100);
    EXPECT_EQ(peer.received(), QByteArray("ATD5550101\r"));
    EXPECT_FALSE(state.LinkUp());
    EXPECT_TRUE(tcp.isListening());
    EXPECT_TRUE(logHas(Resumed));
}

TEST_F(ConnectionTest, GuardsBeforeConnecting) {
    // A modem needs a number.
    state.setModemPresent(1);
    connection.Connect({});
    EXPECT_EQ(ui.boxes, QStringList{QStringLiteral("warning:Введите телефонный номер блока!")});
    // A port that cannot be opened.
    state.setModemPresent(0);
    serial.close();
    serial.setPortName(dir.filePath(QStringLiteral("no-such-tty")));
    ui.boxes.clear();
    connection.Connect({});
    EXPECT_EQ(ui.boxes, QStringList{QStringLiteral("warning:Не открыт СОМ-порт !")});
    EXPECT_TRUE(ui.events.isEmpty());
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_TRUE(tcp.isListening());
}

TEST_F(ConnectionTest, ConnectClickedInsideAnotherRequestDoesNothing) {
    // The modem's set-up is still waiting for a reply: a dial now would be refused, reported as an
    // unanswered call and followed by a hang-up sent into the set-up.
    state.setModemPresent(1);
    peer.on("AT+CMGF=1", "OK\r\n", 300);
    QTimer::singleShot(50, &engine, [&] { connection.Connect("5550101"); });
    EXPECT_TRUE(engine.Day_otvet("AT+CMGF=1", "OK", Match::Exact, 2000));
    pump(100);
    EXPECT_EQ(peer.received(), QByteArray("AT+CMGF=1\r"));
    EXPECT_TRUE(ui.events.isEmpty());
    EXPECT_TRUE(ui.status1.isEmpty());
    EXPECT_TRUE(tcp.isListening());
    EXPECT_FALSE(logHas(Paused));

    // Between the set-up's commands (its pause after the first "ATE0") only Busy tells.
    peer.clearReceived();
    state.setBusy(true);
    QTimer::singleShot(50, &engine, [&] { connection.Connect("5550101"); });
    engine.Delay(300);
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_TRUE(ui.events.isEmpty());
}

// --- Cable in Modbus mode -----------------------------------------------------------------------

TEST_F(ConnectionTest, ModbusModeConnectsWithTheStatusFrameOnly) {
    ModbusResponder controller(peer, modbusData());
    state.setCableMode(CableModbus);
    connection.Connect({});
    EXPECT_EQ(peer.received(), ModbusFrames::readStatus());
    EXPECT_EQ(ui.lastStatus(), Connection::Polled);
    EXPECT_TRUE(state.LinkUp());
    EXPECT_EQ(statusView.sLabel2, QStringLiteral("20.20"));
    EXPECT_FALSE(pollTimer.isActive()); // the poll switch is off
    EXPECT_TRUE(logHas(QString::fromLatin1(SpacedHex(ModbusResponder::statusReply(modbusData())))));
}

TEST_F(ConnectionTest, ModbusModeFailures) {
    ModbusResponder controller(peer, modbusData());
    state.setCableMode(CableModbus);
    for (auto fault : {ModbusResponder::Fault::ShortReply, ModbusResponder::Fault::BadCrc,
                       ModbusResponder::Fault::Silent}) {
        SCOPED_TRACE(int(fault));
        controller.fault = fault;
        connection.Connect({});
        EXPECT_EQ(ui.lastStatus(), Outcome::NoModbusReply);
        EXPECT_FALSE(state.LinkUp());
        EXPECT_TRUE(tcp.isListening());
    }
}

// --- Ending a serial connection -----------------------------------------------------------------

TEST_F(ConnectionTest, DisconnectInConfigModeWaitsForTheController) {
    peer.on("SET_CONFIG_MODE?", "ZVKOK\r\n");
    peer.on("ZVK+TS?", statusReply() + "\r\n");
    pollSwitch = true;
    connection.Connect({});
    ASSERT_TRUE(state.LinkUp());
    peer.clearReceived();

    connection.Disconnect();
    EXPECT_FALSE(pollTimer.isActive());
    ASSERT_TRUE(peer.waitForLines(1));
    EXPECT_EQ(peer.received(), QByteArray("ZVK+DISCONNECT\r"));
    EXPECT_TRUE(state.LinkUp());
    EXPECT_EQ(state.label(), LinkLabel::Established);

    peer.write("DISCONNECT\r\n");
    ASSERT_TRUE(pumpUntil([&] { return !state.LinkUp(); }));
    EXPECT_EQ(state.label(), LinkLabel::Absent);
    EXPECT_EQ(ui.lastStatus(), Connection::Ended);
    EXPECT_TRUE(tcp.isListening());
    EXPECT_TRUE(logHas(Restarted));
}

TEST_F(ConnectionTest, HowALinkEndsDecidesTheLabel) {
    struct Case {
        const char* name;
        std::function<void()> end;
        LinkLabel label;
    };
    const Case cases[] = {
        {"NO CARRIER", [&] { peer.write("NO CARRIER\r\n"); }, LinkLabel::Lost},
        {"res", [&] { connection.Reset(); }, LinkLabel::Absent},
        {"DISCONNECT on a Modbus cable",
         [&] {
             state.setCableMode(CableModbus);
             connection.Disconnect();
         },
         LinkLabel::Absent},
        {"port vanished", [&] { peer.closeMaster(); }, LinkLabel::Lost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.setLinkUp(true);
        state.setLabel(LinkLabel::Established);
        state.setDisconnectExpected(false);
        state.setCableMode(CableConfig);
        pollTimer.start();
        peer.clearReceived();
        c.end();
        ASSERT_TRUE(pumpUntil([&] { return !state.LinkUp(); }));
        EXPECT_EQ(state.label(), c.label);
        EXPECT_FALSE(pollTimer.isActive());
        EXPECT_EQ(ui.lastStatus(), Connection::Ended);
        pump(50);
        EXPECT_TRUE(peer.received().isEmpty());
    }
}

TEST_F(ConnectionTest, ServerRequestOnAModbusCable) {
    ModbusResponder controller(peer, modbusData());
    // Only a Modbus cable can carry it.
    state.setLinkUp(true);
    state.setLabel(LinkLabel::Established);
    connection.RequestServer();
    EXPECT_TRUE(ui.events.isEmpty());

    state.setCableMode(CableModbus);
    // Nor while another operation holds the line (here between its exchanges): it would end that
    // operation's Busy and close its progress window.
    state.setBusy(true);
    connection.RequestServer();
    pump(50);
    EXPECT_TRUE(peer.received().isEmpty());
    EXPECT_TRUE(ui.events.isEmpty());
    EXPECT_TRUE(state.Busy());
    state.setBusy(false);

    pollTimer.start();
    connection.RequestServer();
    EXPECT_EQ(peer.received(), QByteArray::fromHex("1F06000012348703"));
    EXPECT_EQ(ui.progress,
              (QStringList{QString(), QStringLiteral(" Запрос подключения к серверу-конфигуратору ..."),
                           QStringLiteral(" Запрос успешно выполнен")}));
    EXPECT_EQ(ui.lastStatus(), QStringLiteral(" Запрос успешно выполнен"));
    EXPECT_FALSE(state.LinkUp());
    EXPECT_FALSE(state.Busy());
    EXPECT_EQ(state.label(), LinkLabel::Absent);
    EXPECT_FALSE(pollTimer.isActive());
    EXPECT_TRUE(tcp.isListening());

    state.setLinkUp(true);
    controller.fault = ModbusResponder::Fault::Silent;
    connection.RequestServer();
    EXPECT_EQ(ui.lastStatus(), Outcome::NoModbusReply);
    EXPECT_TRUE(state.LinkUp());
}

// --- TCP clients --------------------------------------------------------------------------------

TEST_F(ConnectionTest, ClientIsPolledOnceAfterConnecting) {
    TcpClient client(port);
    client.answerStatus(statusReply() + "\r\n", 3);
    ASSERT_TRUE(pumpUntil([&] { return state.TcpLinkUp(); }));
    EXPECT_TRUE(state.LinkUp());
    EXPECT_EQ(ui.progress, (QStringList{QString(), QStringLiteral(" Подключился клиент: IP=127.0.0.1")}));
    EXPECT_TRUE(logHas(QStringLiteral("Подключился клиент: IP=127.0.0.1")));
    EXPECT_EQ(state.label(), LinkLabel::Absent); // until the exchange

    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Connection::TcpPolled; }));
    EXPECT_EQ(client.received, QByteArray("ZVK+TS?\r\n"));
    EXPECT_EQ(ui.progress.mid(2),
              (QStringList{QString(), Connection::Connected, StatusRequest, Connection::TcpPolled}));
    EXPECT_EQ(ui.gaugeMax, Connection::ClientStatusSteps);
    EXPECT_EQ(state.label(), LinkLabel::Established);
    EXPECT_EQ(state.RefreshConnecta(), QStringLiteral("Tarvane v2.64     CONNECT     TCP-CONNECT"));
    EXPECT_EQ(statusView.sLabel2, QStringLiteral("20.20"));
    EXPECT_TRUE(pollTimer.isActive()); // whatever the poll switch says
    EXPECT_TRUE(tcp.isListening());
}

TEST_F(ConnectionTest, TwoClientsFormOneLinkAndEitherLeavingEndsIt) {
    TcpClient first(port);
    first.answerStatus(statusReply() + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Connection::TcpPolled; }));
    ui.status1.clear();
    TcpClient second(port); // silent: the first one answers for both
    ASSERT_TRUE(second.waitForLine("ZVK+TS?"));
    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Connection::TcpPolled; }));
    EXPECT_EQ(first.lines, (QList<QByteArray>{"ZVK+TS?", "ZVK+TS?"}));
    const QStringList texts = view.texts();
    EXPECT_EQ(texts.count(QStringLiteral("ZVK+TS?")), 3); // once per client and exchange

    second.socket.disconnectFromHost();
    ASSERT_TRUE(pumpUntil([&] { return !state.LinkUp(); }));
    EXPECT_FALSE(state.TcpLinkUp());
    EXPECT_EQ(state.label(), LinkLabel::Lost);
    EXPECT_FALSE(pollTimer.isActive());
    EXPECT_TRUE(logHas(QStringLiteral("Отключился клиент: IP=127.0.0.1")));
    EXPECT_EQ(tcp.clientCount(), 1);
    EXPECT_TRUE(tcp.isListening());
}

TEST_F(ConnectionTest, DisconnectSendsToTheClientsAndClosesThem) {
    TcpClient client(port);
    client.answerStatus(statusReply() + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Connection::TcpPolled; }));
    connection.Disconnect();
    EXPECT_FALSE(state.TcpLinkUp());
    ASSERT_TRUE(pumpUntil([&] { return client.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(client.received.endsWith("ZVK+DISCONNECT\r"));
    ASSERT_TRUE(pumpUntil([&] { return !state.LinkUp(); }));
    EXPECT_EQ(state.label(), LinkLabel::Absent);
    EXPECT_EQ(state.RefreshConnecta(), QStringLiteral("Tarvane v2.64"));
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST_F(ConnectionTest, SocketErrorDropsTheLinkButNotTheTcpFlag) {
    TcpClient client(port);
    client.answerStatus(statusReply() + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Connection::TcpPolled; }));
    // The platform reports an error on the tool's end of the connection.
    auto* accepted = tcp.findChild<QTcpSocket*>();
    ASSERT_NE(accepted, nullptr);
    Q_EMIT accepted->errorOccurred(QAbstractSocket::NetworkError);
    const QString text = QStringLiteral("Сетевая ошибка № 10050 клиента с IP=127.0.0.1");
    EXPECT_TRUE(logHas(text));
    EXPECT_EQ(ui.lastStatus(), text);
    EXPECT_FALSE(state.LinkUp());
    EXPECT_TRUE(state.TcpLinkUp());
    EXPECT_EQ(state.RefreshConnecta(), QStringLiteral("Tarvane v2.64     TCP-CONNECT"));
    EXPECT_FALSE(state.TextLinkReady());
}

TEST_F(ConnectionTest, ClientsComingAndGoingFastLeaveNothingBehind) {
    for (int i = 0; i < 40; ++i) {
        TcpClient client(port);
        ASSERT_TRUE(client.waitConnected());
        client.send("ZVK0102"); // a line never finished
        ASSERT_TRUE(pumpUntil([&] { return tcp.clientCount() == 1; }));
        client.socket.abort();
        ASSERT_TRUE(pumpUntil([&] { return tcp.clientCount() == 0; }));
    }
    pump(300); // past every Timer_ClientConnect
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tcp.findChildren<QTcpSocket*>().isEmpty());
    EXPECT_FALSE(state.LinkUp());
    EXPECT_FALSE(state.TcpLinkUp());
    EXPECT_TRUE(tcp.RxBuffer.isEmpty());
    EXPECT_FALSE(connection.clientConnectTimer().isActive());
    EXPECT_FALSE(ui.progress.contains(Connection::Connected));
}

TEST_F(ConnectionTest, ClientLeavingDuringItsExchangeEndsTheWait) {
    TcpClient client(port);
    client.onLine = [&](const QByteArray& line) {
        if (line == "ZVK+TS?")
            QTimer::singleShot(0, &client, [&] { client.socket.abort(); });
    };
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Outcome::NoReply; }, 5000));
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(state.LinkUp());
    EXPECT_FALSE(state.TcpLinkUp());
    EXPECT_FALSE(ui.progressVisible);
}

TEST_F(ConnectionTest, ClientExchangeWaitsForAnOutstandingRequest) {
    std::unique_ptr<TcpClient> client;
    peer.on("ZVK+VT?", AddCRC("VT=000000") + "\r\n", 600);
    QTimer::singleShot(50, &engine, [&] {
        client = std::make_unique<TcpClient>(port);
        client->answerStatus(statusReply() + "\r\n");
    });
    EXPECT_EQ(engine.Ozidanie("ZVK+VT?", "VT=", TermCRLF, Match::Prefix, 3), RequestEngine::Matched);
    ASSERT_TRUE(client);
    EXPECT_TRUE(state.TcpLinkUp());
    EXPECT_TRUE(client->received.isEmpty()) << "the exchange ran inside another request";
    ASSERT_TRUE(pumpUntil([&] { return ui.lastStatus() == Connection::TcpPolled; }));
    EXPECT_EQ(client->received, QByteArray("ZVK+TS?\r\n"));
}

// --- Listening socket ---------------------------------------------------------------------------

TEST_F(ConnectionTest, PortInUseIsReportedAndALaterActivationListens) {
    auto blocker = std::make_unique<QTcpServer>();
    ASSERT_TRUE(blocker->listen(QHostAddress::Any, 0));
    const quint16 taken = blocker->serverPort();
    EXPECT_FALSE(connection.restartListening(taken));
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_TRUE(ui.boxes[0].startsWith(QStringLiteral("error:"))) << ui.boxes[0].toStdString();
    EXPECT_FALSE(tcp.isListening());

    blocker.reset();
    EXPECT_TRUE(connection.restartListening(taken));
    EXPECT_TRUE(tcp.isListening());
    EXPECT_EQ(tcp.boundPort(), taken);
}

TEST_F(ConnectionTest, RestartingListeningDropsTheClients) {
    TcpClient client(port);
    ASSERT_TRUE(pumpUntil([&] { return state.TcpLinkUp(); }));
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::Any, 0));
    const quint16 next = probe.serverPort();
    probe.close();
    EXPECT_TRUE(connection.restartListening(next));
    ASSERT_TRUE(pumpUntil([&] { return client.socket.state() == QAbstractSocket::UnconnectedState; }));
    ASSERT_TRUE(pumpUntil([&] { return !state.LinkUp(); }));
    EXPECT_FALSE(state.TcpLinkUp());
    EXPECT_EQ(tcp.boundPort(), next);
    EXPECT_TRUE(ui.boxes.isEmpty());
}
