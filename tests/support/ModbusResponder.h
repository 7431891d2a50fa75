#pragma once
// A controller whose configuration port speaks Modbus RTU, on a pty peer: it answers the status read
// (function 03, 68 registers from 0) with its 136 data bytes and echoes register writes (function
// 06), each reply with its CRC computed here. Requests with a bad CRC or another slave address get
// no answer, as on a real bus.

#include "PtyPeer.h"
#include "link/Frames.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

namespace zvk::test {

// frame followed by its Modbus CRC, low byte first.
inline QByteArray withModbusCrc(QByteArray frame) {
    const std::uint16_t crc = Crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

class ModbusResponder : public QObject {
public:
    enum class Fault { None, ShortReply, BadCrc, Silent };

    ModbusResponder(PtyPeer& peer, QByteArray data) : m_peer(peer), m_data(std::move(data)) {
        m_data.resize(ModbusFrames::ReadStatusDataBytes, '\0');
        // The peer's line assembly does not see binary frames; read what arrives at each change.
        connect(&m_timer, &QTimer::timeout, this, &ModbusResponder::scan);
        m_timer.start(5);
    }

    void setData(QByteArray data) {
        m_data = std::move(data);
        m_data.resize(ModbusFrames::ReadStatusDataBytes, '\0');
    }
    Fault fault = Fault::None;
    QList<QByteArray> requests; // every valid request frame, in order

    // The reply to a status read for these data bytes.
    static QByteArray statusReply(const QByteArray& data) {
        QByteArray frame;
        frame.append(char(ModbusFrames::SlaveAddress));
        frame.append(char(0x03));
        frame.append(char(data.size()));
        frame.append(data);
        return withModbusCrc(frame);
    }

private:
    void scan() {
        const QByteArray all = m_peer.received();
        if (all.size() < m_seen)
            m_seen = 0; // the peer's record was cleared
        while (m_seen + 8 <= all.size()) {
            const QByteArray frame = all.mid(m_seen, 8);
            if (frame[0] != char(ModbusFrames::SlaveAddress) || !CheckModbusCRC(frame)) {
                ++m_seen; // not a frame start for us: resynchronise byte by byte
                continue;
            }
            m_seen += 8;
            requests << frame;
            answer(frame);
        }
    }
    void answer(const QByteArray& request) {
        if (fault == Fault::Silent)
            return;
        QByteArray reply;
        if (request[1] == char(0x03))
            reply = statusReply(m_data);
        else if (request[1] == char(0x06))
            reply = request;
        else
            return;
        if (fault == Fault::ShortReply)
            reply.chop(1);
        else if (fault == Fault::BadCrc)
            reply[reply.size() - 1] = char(reply[reply.size() - 1] ^ 0x5A);
        m_peer.write(reply);
    }

    PtyPeer& m_peer;
    QByteArray m_data;
    qsizetype m_seen = 0;
    QTimer m_timer;
};

} // namespace zvk::test
