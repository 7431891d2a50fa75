// The tool with controllers that connect over TCP to its listening socket on 127.0.0.1.

#include "E2eFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTcpSocket>

using namespace zvk;
using namespace zvk::test;

namespace {

using TcpWindowTest = E2eFixture;

const QString TcpPolled = QStringLiteral(" TCP-cоединеие установлено, блок  успешно опрошен. ");
const QString BothTitle = QStringLiteral("Tarvane v2.64     CONNECT     TCP-CONNECT");

} // namespace

TEST_F(TcpWindowTest, OneClientThenASecondThenOneLeaving) {
    start();
    ASSERT_TRUE(logHas(QStringLiteral("Старт прослушивания сокета")));
    TcpClient first(listenPort);
    first.answerStatus(statusReply() + "\r\n", 3);
    ASSERT_TRUE(pumpUntil([&] { return panel1() == TcpPolled; }));
    EXPECT_EQ(first.received, QByteArray("ZVK+TS?\r\n"));
    EXPECT_EQ(title(), BothTitle);
    EXPECT_EQ(ST33()->text(), Established);
    EXPECT_TRUE(st33Sheet().contains(Lime));
    EXPECT_TRUE(progressHas(QStringLiteral(" Подключился клиент: IP=127.0.0.1")));
    EXPECT_TRUE(logHas(QStringLiteral("Подключился клиент: IP=127.0.0.1")));
    EXPECT_EQ(window->statusView().sLabel2, QStringLiteral("20.20"));
    EXPECT_TRUE(window->pollTimer().isActive()); // although the poll switch is off
    EXPECT_FALSE(window->form2()->isVisible());

    // A second client gets a first exchange of its own, sent to both.
    window->setStatusPanel(1, QString());
    TcpClient second(listenPort);
    ASSERT_TRUE(pumpUntil([&] { return panel1() == TcpPolled; }));
    EXPECT_EQ(first.lines, (QList<QByteArray>{"ZVK+TS?", "ZVK+TS?"}));
    EXPECT_EQ(second.lines, QList<QByteArray>{"ZVK+TS?"});

    // Either client leaving ends the link, although the other one stays.
    second.socket.disconnectFromHost();
    ASSERT_TRUE(pumpUntil([&] { return !window->linkState().LinkUp(); }));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_TRUE(st33Sheet().contains(Rose));
    EXPECT_FALSE(window->pollTimer().isActive());
    EXPECT_EQ(window->tcp().clientCount(), 1);
    EXPECT_TRUE(logHas(QStringLiteral("Отключился клиент: IP=127.0.0.1")));
    EXPECT_TRUE(window->tcp().isListening());
}

TEST_F(TcpWindowTest, DisconnectButtonEndsTheClientsSteadily) {
    start();
    TcpClient client(listenPort);
    client.answerStatus(statusReply() + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return panel1() == TcpPolled; }));
    click("sBitBtn10");
    ASSERT_TRUE(pumpUntil([&] { return client.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(client.received.endsWith("ZVK+DISCONNECT\r"));
    ASSERT_TRUE(pumpUntil([&] { return !window->linkState().LinkUp(); }));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_EQ(ST33()->text(), Absent);
    EXPECT_TRUE(st33Sheet().contains(Blue));
}

TEST_F(TcpWindowTest, SocketErrorLeavesTheTcpFlag) {
    start();
    TcpClient client(listenPort);
    client.answerStatus(statusReply() + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return panel1() == TcpPolled; }));
    auto* accepted = window->tcp().findChild<QTcpSocket*>();
    ASSERT_NE(accepted, nullptr);
    Q_EMIT accepted->errorOccurred(QAbstractSocket::NetworkError);
    const QString text = QStringLiteral("Сетевая ошибка № 10050 клиента с IP=127.0.0.1");
    EXPECT_EQ(panel1(), text);
    EXPECT_TRUE(logHas(text));
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64     TCP-CONNECT"));
    EXPECT_TRUE(shownBoxes.isEmpty());
    // The status poll needs LinkUp: its ticks now do nothing.
    client.received.clear();
    window->Timer3_APTimer();
    pump(100);
    EXPECT_TRUE(client.received.isEmpty());
}

TEST_F(TcpWindowTest, ManyShortVisitsLeaveNoConnectionBehind) {
    start();
    for (int i = 0; i < 30; ++i) {
        TcpClient client(listenPort);
        ASSERT_TRUE(client.waitConnected());
        client.send("ZVK01");
        ASSERT_TRUE(pumpUntil([&] { return window->tcp().clientCount() == 1; }));
        client.socket.abort();
        ASSERT_TRUE(pumpUntil([&] { return window->tcp().clientCount() == 0; }));
    }
    pump(300);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window->tcp().findChildren<QTcpSocket*>().isEmpty());
    EXPECT_FALSE(window->linkState().LinkUp());
    EXPECT_EQ(title(), QStringLiteral("Tarvane v2.64"));
    EXPECT_TRUE(window->tcp().isListening());
}

TEST_F(TcpWindowTest, ListeningPortInUseAndTheSettingsDialogRestartsIt) {
    QTcpServer blocker;
    ASSERT_TRUE(blocker.listen(QHostAddress::Any, listenPort));
    start();
    ASSERT_EQ(shownBoxes.size(), 1);
    EXPECT_FALSE(window->tcp().isListening());
    EXPECT_TRUE(window->isVisible()); // the tool runs on without listening

    const quint16 next = freeTcpPort();
    window->form4()->setPortText(QString::number(next));
    ASSERT_TRUE(window->form4()->closeRequest());
    EXPECT_TRUE(window->tcp().isListening());
    EXPECT_EQ(window->tcp().boundPort(), next);
    TcpClient client(next);
    EXPECT_TRUE(pumpUntil([&] { return window->linkState().TcpLinkUp(); }));

    // Confirming the dialog again drops the client and listens anew.
    ASSERT_TRUE(window->form4()->closeRequest());
    EXPECT_TRUE(pumpUntil([&] { return client.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(pumpUntil([&] { return !window->linkState().TcpLinkUp(); }));
    EXPECT_TRUE(window->tcp().isListening());
    EXPECT_EQ(shownBoxes.size(), 1);
}

TEST_F(TcpWindowTest, PollWaitEndsWhenTheLastClientLeaves) {
    start();
    TcpClient client(listenPort);
    client.answerStatus(statusReply() + "\r\n");
    ASSERT_TRUE(pumpUntil([&] { return panel1() == TcpPolled; }));
    client.onLine = nullptr; // the next poll gets no answer
    bool waited = false;
    client.onLine = [&](const QByteArray& line) {
        // The poll's request has arrived and its wait runs: the controller goes away.
        if (line == "ZVK+TS?") {
            waited = window->engine().requestOutstanding();
            QTimer::singleShot(200, &client, [&] { client.socket.disconnectFromHost(); });
        }
    };
    window->pollTimer().setInterval(100);
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(pumpUntil([&] { return !window->linkState().LinkUp(); }, 10000));
    ASSERT_TRUE(pumpUntil([&] { return !window->engine().requestOutstanding(); }, 10000));
    EXPECT_TRUE(waited);
    EXPECT_LT(t.elapsed(), 5000) << "a wait on clients that have all gone ends at once, not after its 25 s";
    EXPECT_FALSE(window->linkState().Busy());
    EXPECT_TRUE(child<QPushButton>("sBitBtn9")->isEnabled()) << "the poll's locked buttons are free again";
}
