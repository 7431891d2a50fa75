// The GSM modem in front of the controller: probe, initialisation, data calls, escape, hang-up.

#include "SimTestUtil.h"
#include "core/Modem.h"

#include <gtest/gtest.h>

using namespace zvk::sim;
using namespace zvk::sim::test;

namespace {

struct Bench {
    explicit Bench(ModemType type, bool echo = true) : controller(fixedConfig()) {
        ModemConfig m;
        m.type = type;
        m.echoAtPowerUp = echo;
        modem = std::make_unique<Modem>(m, controller, faults);
    }
    QByteArray send(const QByteArray& bytes) {
        now += 10;
        return joined(modem->feed(bytes, now));
    }
    // Lets time pass up to the modem's next deadline and returns what it sends then.
    Emissions waitForDeadline() {
        const qint64 d = modem->nextDeadline();
        if (d < 0)
            return {};
        now = d;
        return modem->poll(now);
    }
    void pause(qint64 ms) { now += ms; }
    QByteArray dial() {
        send("ATD89001234567\r");
        return joined(waitForDeadline());
    }
    Controller controller;
    FaultSet faults;
    std::unique_ptr<Modem> modem;
    qint64 now = 100000;
};

class ModemTypes : public ::testing::TestWithParam<ModemType> {};

TEST_P(ModemTypes, ProbeAndInitialisation) {
    Bench b(GetParam());
    // Echo is on at power-up: the first probe is echoed before its "OK" (so the tool counts no
    // modem), and it turns the echo off, so the next probe gets "OK" first.
    EXPECT_EQ(b.send("ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));
    EXPECT_EQ(b.send("ATE0\r"), QByteArray("\r\nOK\r\n"));
    for (const char* cmd : {"AT+IPR=9600\r", "AT+CLIP=1\r", "AT+CBST=7\r", "AT+CBST=71\r", "AT+CMGF=1\r"})
        EXPECT_EQ(b.send(cmd), QByteArray("\r\nOK\r\n")) << cmd;
    const QByteArray creg = GetParam() == ModemType::G24 ? "+CREG: 000,001" : "+CREG: 0,1";
    EXPECT_EQ(b.send("AT+CREG?\r"), "\r\n" + creg + "\r\n\r\nOK\r\n");
    EXPECT_EQ(b.send("AT+NOSUCH\r"), QByteArray("\r\nERROR\r\n"));
    EXPECT_EQ(b.send("ZVK+TS?\r\n"), QByteArray()); // not a command: ignored in command mode
}

TEST_P(ModemTypes, DataCallCarriesTheControllerUntilEscapeAndHangUp) {
    Bench b(GetParam(), false);
    EXPECT_EQ(b.dial(), QByteArray("\r\nCONNECT 9600\r\n"));
    EXPECT_EQ(b.modem->state(), Modem::State::Online);
    EXPECT_EQ(b.send("ZVK+VT?\r\n"), withCrc("VT=1E3C78") + "\r\n");

    b.pause(1500);
    EXPECT_EQ(b.send("+++"), QByteArray());
    EXPECT_EQ(joined(b.waitForDeadline()), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(b.modem->state(), Modem::State::OnlineCommand);
    const Emissions hangup = b.modem->feed("ATH\r", b.now + 2000);
    EXPECT_EQ(joined(hangup), QByteArray("\r\nNO CARRIER\r\n\r\nOK\r\n"));
    ASSERT_FALSE(hangup.isEmpty());
    EXPECT_EQ(hangup.last().action, LineAction::CarrierLost);
    EXPECT_EQ(b.modem->state(), Modem::State::Command);
}

TEST_P(ModemTypes, ControllerDisconnectEndsTheCall) {
    Bench b(GetParam(), false);
    b.dial();
    const Emissions e = b.modem->feed("ZVK+DISCONNECT\r", b.now + 100);
    EXPECT_EQ(joined(e), QByteArray("DISCONNECT\r\n\r\nNO CARRIER\r\n"));
    ASSERT_FALSE(e.isEmpty());
    EXPECT_EQ(e.last().action, LineAction::CarrierLost);
    EXPECT_EQ(b.modem->state(), Modem::State::Command);
    EXPECT_EQ(b.send("AT\r"), QByteArray("\r\nOK\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Modems, ModemTypes, ::testing::Values(ModemType::G24, ModemType::Siemens),
                         [](const auto& info) { return info.param == ModemType::G24 ? "G24" : "Siemens"; });

TEST(SimModem, PlusesTooSoonAfterDataAreData) {
    Bench b(ModemType::G24, false);
    b.dial();
    b.send("ZVK+VT?\r\n");
    EXPECT_EQ(b.send("+++"), QByteArray()); // 10 ms after the last byte: no guard time
    EXPECT_EQ(b.modem->nextDeadline(), -1);
    EXPECT_EQ(b.modem->state(), Modem::State::Online);
    // Pluses followed by more data within the guard time go through to the controller too.
    b.pause(1500);
    b.send("+++");
    EXPECT_EQ(b.send("\rZVK+VT?\r\n"), withCrc("VT=1E3C78") + "\r\n");
    EXPECT_EQ(b.modem->state(), Modem::State::Online);
}

TEST(SimModem, DialOutcomesOnRequest) {
    const std::pair<const char*, const char*> cases[] = {
        {"dial=busy", "\r\nBUSY\r\n"},
        {"dial=no-answer", "\r\nNO ANSWER\r\n"},
        {"dial=no-carrier", "\r\nNO CARRIER\r\n"},
        {"dial=no-dialtone", "\r\nNO DIALTONE\r\n"},
    };
    for (const auto& [faultText, reply] : cases) {
        Bench b(ModemType::Siemens, false);
        b.faults.add(*parseFault(QString::fromLatin1(faultText), nullptr));
        EXPECT_EQ(b.dial(), QByteArray(reply)) << faultText;
        EXPECT_EQ(b.modem->state(), Modem::State::Command) << faultText;
    }
    Bench silent(ModemType::Siemens, false);
    silent.faults.add(*parseFault(QStringLiteral("dial=silent"), nullptr));
    silent.send("ATD123\r");
    EXPECT_EQ(silent.modem->nextDeadline(), -1);
    // A character typed while dialling aborts the attempt (the tool's "ATH" after a cancel).
    EXPECT_EQ(silent.send("ATH\r"), QByteArray("\r\nNO CARRIER\r\n"));
    EXPECT_EQ(silent.modem->state(), Modem::State::Command);
    EXPECT_EQ(silent.send("ATD\r"), QByteArray("\r\nERROR\r\n")); // no number
}

TEST(SimModem, ClosingThePortDropsTheCallButKeepsTheEchoSetting) {
    Bench b(ModemType::G24);
    b.send("ATE0\r");
    b.dial();
    b.modem->reset();
    EXPECT_EQ(b.modem->state(), Modem::State::Command);
    EXPECT_FALSE(b.modem->echo());
    EXPECT_EQ(b.send("ATE0\r"), QByteArray("\r\nOK\r\n"));
}

TEST(SimModem, RegistrationStateInEachFormat) {
    for (const auto& [type, text] :
         {std::pair{ModemType::G24, "+CREG: 000,005"}, std::pair{ModemType::Siemens, "+CREG: 0,5"}}) {
        Controller c(fixedConfig());
        FaultSet f;
        ModemConfig m;
        m.type = type;
        m.echoAtPowerUp = false;
        m.registration = 5;
        Modem modem(m, c, f);
        EXPECT_EQ(joined(modem.feed("AT+CREG?\r", 0)), "\r\n" + QByteArray(text) + "\r\n\r\nOK\r\n");
    }
}

} // namespace
