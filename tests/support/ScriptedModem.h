#pragma once
// A GSM modem on a pty peer: echo on at power-up, the AT commands of the probe and the
// initialisation, the registration reply in one modem type's format, a dial with a chosen outcome,
// and, once connected, a controller behind it.

#include "PtyPeer.h"

#include <QByteArray>
#include <QList>
#include <functional>

namespace zvk::test {

class ScriptedModem {
public:
    enum class Dial { Connect, NoCarrier, NoAnswer, Busy, NoDialtone, Silent };

    explicit ScriptedModem(PtyPeer& peer) : m_peer(peer) {
        m_peer.onAnyLine([this](const QByteArray& line) { onLine(line); });
    }

    bool poweredOff = false; // answers nothing at all
    bool echo = true;
    bool answersAt = true;              // false: the modem stops answering after the first probe
    QByteArray creg = "+CREG: 000,001"; // Motorola G24, registered in the home network
    Dial dial = Dial::Connect;
    QByteArray connectLine = "CONNECT 9600";
    int dialDelayMs = 30;
    // The controller behind a connected call: a line in, the bytes it answers (may be empty).
    std::function<QByteArray(const QByteArray&)> controller;

    bool online = false;
    QList<QByteArray> dialled; // the numbers of every ATD
    int probes = 0;            // "ATE0" commands seen

    // The call ends from the far side.
    void dropCall() {
        online = false;
        m_peer.write("\r\nNO CARRIER\r\n");
    }

private:
    void reply(const QByteArray& text) { m_peer.write("\r\n" + text + "\r\n"); }

    void onLine(const QByteArray& line) {
        if (poweredOff)
            return;
        if (online) {
            // "+++" carries no terminator, so it arrives glued to the command after it.
            if (line.startsWith("+++")) {
                online = false;
                if (line.mid(3) == "ATH")
                    reply("OK");
                return;
            }
            if (controller) {
                const QByteArray answer = controller(line);
                if (!answer.isEmpty())
                    m_peer.write(answer);
            }
            return;
        }
        if (echo)
            m_peer.write(line + "\r\n");
        if (line == "ATE0") {
            ++probes;
            echo = false;
            if (answersAt || probes == 1)
                reply("OK");
            return;
        }
        if (!answersAt)
            return;
        if (line == "ATE1") {
            echo = true;
            reply("OK");
        } else if (line == "AT+IPR=9600" || line == "AT+CLIP=1" || line == "AT+CBST=7" ||
                   line == "AT+CBST=71" || line == "AT+CMGF=1" || line == "ATH") {
            reply("OK");
        } else if (line == "AT+CREG?") {
            m_peer.write("\r\n" + creg + "\r\n\r\nOK\r\n");
        } else if (line.startsWith("ATD")) {
            dialled << line.mid(3);
            static const char* const outcomes[] = {"", "NO CARRIER", "NO ANSWER", "BUSY", "NO DIALTONE"};
            switch (dial) {
            case Dial::Connect:
                online = true;
                m_peer.writeLater("\r\n" + connectLine + "\r\n", dialDelayMs);
                break;
            case Dial::Silent:
                break;
            default:
                m_peer.writeLater("\r\n" + QByteArray(outcomes[int(dial)]) + "\r\n", dialDelayMs);
            }
        } else {
            reply("ERROR");
        }
    }

    PtyPeer& m_peer;
};

} // namespace zvk::test
