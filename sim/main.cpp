// zvk35-sim: plays a ZVK-35 controller (and a GSM modem in front of it) for the service tool.

#include "carriers/PtyCarrier.h"
#include "carriers/TcpCarrier.h"
#include "core/Controller.h"
#include "core/Modem.h"
#include "core/Ports.h"
#include "core/SimOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace zvk::sim;

namespace {
constexpr int SiteTickMs = 250;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zvk35-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    ParseOutcome parsed = parseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
    case ParseOutcome::Kind::Help:
    case ParseOutcome::Kind::Version:
        std::fputs(parsed.text.toLocal8Bit().constData(), stdout);
        return 0;
    case ParseOutcome::Kind::Error:
        std::fputs(parsed.text.toLocal8Bit().constData(), stderr);
        return 2;
    case ParseOutcome::Kind::Run:
        break;
    }
    SimOptions& opt = parsed.options;
    const TrafficLog log(opt.verbose);

    if (!opt.eepromFile.isEmpty()) {
        QFile f(opt.eepromFile);
        if (!f.open(QIODevice::ReadOnly)) {
            log.note(
                QStringLiteral("cannot read the EEPROM image %1: %2").arg(opt.eepromFile, f.errorString()));
            return 1;
        }
        opt.controller.eeprom = f.read(4096);
    }

    Controller controller(opt.controller);
    FaultSet faults;
    for (const FaultRule& r : opt.faults)
        faults.add(r);

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    QTimer siteTimer;
    QObject::connect(&siteTimer, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        controller.advance(now - lastTick);
        lastTick = now;
    });
    siteTimer.start(SiteTickMs);

    std::unique_ptr<TextPort> tcpPort;
    std::unique_ptr<TcpCarrier> tcp;
    if (opt.useTcp()) {
        tcpPort = std::make_unique<TextPort>(controller, faults);
        tcp = std::make_unique<TcpCarrier>(*tcpPort, clock, log, opt.tcpHost, opt.tcpPort, opt.reconnectMs,
                                           [&controller] { return controller.rebooting(); });
    }

    std::unique_ptr<Endpoint> serialEnd;
    std::unique_ptr<PtyCarrier> pty;
    if (opt.pty) {
        if (opt.modem)
            serialEnd = std::make_unique<Modem>(*opt.modem, controller, faults);
        else
            serialEnd = std::make_unique<CablePort>(controller, faults);
        pty = std::make_unique<PtyCarrier>(*serialEnd, clock, log);
        QString error;
        if (!pty->open(&error)) {
            log.note(QStringLiteral("cannot open a pseudo-terminal: %1").arg(error));
            return 1;
        }
        // The first line of output: the device the tool opens as its serial port.
        std::printf("%s\n", pty->slavePath().toLocal8Bit().constData());
        std::fflush(stdout);
        QObject::connect(pty.get(), &PtyCarrier::serverRequested, [&] {
            log.detail(QStringLiteral("asked to connect to the configuration server"));
            if (tcp && opt.tcpOnRequest)
                tcp->start();
        });
    }
    if (tcp && !opt.tcpOnRequest)
        tcp->start();

    log.detail(
        QStringLiteral("firmware %1, seed %2").arg(controller.firmware().text()).arg(opt.controller.seed));
    return QCoreApplication::exec();
}
