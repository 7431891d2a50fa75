#pragma once
// The connection control on real carriers: a serial link on a pty peer, the listening socket on
// 127.0.0.1 with real client sockets, the request engine, a status view and log in a temporary
// folder, and recorders for what the user sees.

#include "BlockBuilder.h"
#include "PtyPeer.h"
#include "Recorder.h"
#include "TcpClient.h"
#include "link/Connection.h"
#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"
#include "link/TcpServerLink.h"
#include "modem/Modem.h"
#include "status/StatusLog.h"
#include "status/StatusView.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace zvk::test {

// A status reply the decoder takes whole.
inline QByteArray statusReply() {
    return BlockBuilder().version(20, 20, 1).reply();
}

struct ConnectionFixture : ::testing::Test {
    ConnectionFixture()
        : serial(state, log), tcp(log), engine(state, serial, log),
          connection(state, serial, tcp, engine, log, ui, StatusTarget{&statusView, &statusLog, nullptr}) {
        log.setView(&view);
        engine.setUi(&ui);
        engine.setTcpLink(&tcp);
        connection.setPollTimer(&pollTimer);
        connection.setPollSwitch([this] { return pollSwitch; });
        connection.setPortOpener([this] {
            QString error;
            return serial.open(&error);
        });
        pollTimer.setInterval(60000);
    }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("LOG")));
        statusLog.setAppDir(dir.path());
        ASSERT_TRUE(peer.isValid());
        serial.setPortName(peer.slavePath());
        QString error;
        ASSERT_TRUE(serial.open(&error)) << error.toStdString();
        // Attached after the port is open, so no probe runs unless a test opens the port again.
        modem = std::make_unique<Modem>(state, serial, engine, ui);
        connection.setDialler(modem.get());
        ASSERT_TRUE(connection.startListening(0));
        port = tcp.boundPort();
    }
    void TearDown() override { peer.closeMaster(); }

    bool logHas(const QString& text) const { return view.texts().contains(text); }
    // Presses Cancel in the progress window once the peer got this line.
    void cancelAfterLine(const QByteArray& line, int delayMs = 100) {
        QObject::connect(&peer, &PtyPeer::lineArrived, &engine, [this, line, delayMs](const QByteArray& l) {
            if (l == line)
                QTimer::singleShot(delayMs, &engine, [this] { engine.abort(); });
        });
    }

    QTemporaryDir dir;
    LinkState state;
    OperationLog log;
    RecorderLogView view;
    RecorderUi ui;
    SerialLink serial;
    TcpServerLink tcp;
    RequestEngine engine;
    StatusView statusView;
    StatusLog statusLog;
    QTimer pollTimer;
    bool pollSwitch = false;
    Connection connection;
    std::unique_ptr<Modem> modem;
    PtyPeer peer;
    quint16 port = 0;
};

} // namespace zvk::test
