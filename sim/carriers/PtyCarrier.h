#pragma once
// The serial line: a pseudo-terminal whose slave side the tool opens as its COM port. The
// master stays open for the whole run, so the device path survives the tool closing and
// reopening its port; while nobody holds the slave, nothing is sent.

#include "carriers/Carrier.h"

#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>

namespace zvk::sim {

class PtyCarrier : public Carrier {
    Q_OBJECT
public:
    PtyCarrier(Endpoint& endpoint, const QElapsedTimer& clock, const TrafficLog& log,
               QObject* parent = nullptr);
    ~PtyCarrier() override;

    bool open(QString* error);
    QString slavePath() const { return m_slavePath; }

Q_SIGNALS:
    void serverRequested();

protected:
    bool writeBytes(const QByteArray& bytes) override;
    void act(LineAction action) override;

private:
    void onReadable();
    void checkAttached();
    void detach();

    int m_master = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_attachPoll;
    bool m_attached = false;
    bool m_dcdReported = false;
};

} // namespace zvk::sim
