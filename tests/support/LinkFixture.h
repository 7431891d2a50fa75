#pragma once
// A serial link opened on a pty peer, with its engine, log and recorders: the common fixture of
// the link and modem suites.

#include "PtyPeer.h"
#include "Recorder.h"
#include "link/LinkState.h"
#include "link/OperationLog.h"
#include "link/RequestEngine.h"
#include "link/SerialLink.h"

#include <gtest/gtest.h>

namespace zvk::test {

struct SerialFixture : ::testing::Test {
    SerialFixture() : serial(state, log), engine(state, serial, log) {
        log.setView(&view);
        engine.setUi(&ui);
    }
    void SetUp() override {
        ASSERT_TRUE(peer.isValid());
        serial.setPortName(peer.slavePath());
        QString error;
        ASSERT_TRUE(serial.open(&error)) << error.toStdString();
    }
    LinkState state;
    OperationLog log;
    RecorderLogView view;
    RecorderUi ui;
    SerialLink serial;
    RequestEngine engine;
    PtyPeer peer;
};

} // namespace zvk::test
