#include "core/SimOptions.h"

#include "core/Hex.h"

#include <QCommandLineParser>
#include <QRandomGenerator>

namespace zvk::sim {

namespace {

const QString Description = QStringLiteral(
    "Plays a ZVK-35 controller for the service tool: as a GPRS/LAN client on TCP, or on a serial\n"
    "line (a pseudo-terminal) by cable in text or Modbus RTU mode, or behind a GSM modem.\n"
    "\n"
    "Faults (--fault, repeatable): KIND[=VALUE][:CMD][@COUNT]\n"
    "  no-reply            answer nothing (the request still takes effect)\n"
    "  wrong-line-first[=TEXT]  send TEXT (default \"UNEXPECTED LINE\") before the reply\n"
    "  bad-crc             spoil the CRC of the reply\n"
    "  split[=N]           send the reply in N fragments (default 3), 100 ms apart\n"
    "  delay=MS            answer MS milliseconds later\n"
    "  drop                drop the connection (TCP) or the call (modem) instead of answering\n"
    "  dial=busy|no-answer|no-carrier|no-dialtone|silent|connect   outcome of ATD\n"
    "CMD names the request: TS, VT, MBADRW, DFP, DISCONNECT, SET_CONFIG_MODE, MODBUS03,\n"
    "MODBUS06, ATD, AT+CREG, ... (without CMD: every request). @COUNT: only the first COUNT.");

std::optional<std::uint32_t> ipv4(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    std::uint32_t v = 0;
    for (const QString& p : parts) {
        bool ok = false;
        const uint octet = p.toUInt(&ok);
        if (!ok || octet > 255)
            return std::nullopt;
        v = (v << 8) | octet;
    }
    return v;
}

struct Parsed {
    QCommandLineOption tcp{QStringLiteral("tcp"),
                           QStringLiteral("Connect to the tool at HOST:PORT as a TCP client."),
                           QStringLiteral("HOST:PORT")};
    QCommandLineOption tcpOnRequest{
        QStringLiteral("tcp-on-request"),
        QStringLiteral("With --pty and --tcp: connect only after the Modbus request "
                       "to connect to the server (register 0 = 0x1234).")};
    QCommandLineOption pty{
        QStringLiteral("pty"),
        QStringLiteral("Open a pseudo-terminal; its device path is the first line of output.")};
    QCommandLineOption modbus{
        QStringLiteral("modbus"),
        QStringLiteral("The controller's configuration port starts in Modbus RTU mode.")};
    QCommandLineOption modem{QStringLiteral("modem"),
                             QStringLiteral("A GSM modem in front of the controller."),
                             QStringLiteral("g24|siemens")};
    QCommandLineOption modemEcho{QStringLiteral("modem-echo"),
                                 QStringLiteral("Modem echo at power-up (default on)."),
                                 QStringLiteral("on|off")};
    QCommandLineOption creg{QStringLiteral("creg"),
                            QStringLiteral("Registration state the modem reports (default 1, home network)."),
                            QStringLiteral("N")};
    QCommandLineOption firmware{QStringLiteral("firmware"),
                                QStringLiteral("Firmware version in the status block (default 20.20.1)."),
                                QStringLiteral("MAJOR.MINOR.SUB")};
    QCommandLineOption rectifier{QStringLiteral("rectifier"),
                                 QStringLiteral("Rectifier plant at start (default emerson)."),
                                 QStringLiteral("emerson|huawei")};
    QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("Seed of the site's random events."),
                            QStringLiteral("N")};
    QCommandLineOption still{QStringLiteral("static"), QStringLiteral("Site values do not move.")};
    QCommandLineOption verbose{QStringLiteral("verbose"),
                               QStringLiteral("Log the exchanged bytes to stderr.")};
    QCommandLineOption fault{QStringLiteral("fault"),
                             QStringLiteral("Inject a fault (see above; repeatable)."),
                             QStringLiteral("FAULT")};
    QCommandLineOption reconnect{QStringLiteral("reconnect-ms"),
                                 QStringLiteral("Pause before a TCP reconnect (default 1500)."),
                                 QStringLiteral("MS")};
    QCommandLineOption timeScale{
        QStringLiteral("time-scale"),
        QStringLiteral("Scale of the time slow jobs take: erase, verify, dial, reboot "
                       "(default 1)."),
        QStringLiteral("F")};
    QCommandLineOption dataflash{QStringLiteral("dataflash"), QStringLiteral("DataFlash chip (default 2)."),
                                 QStringLiteral("2|16|none")};
    QCommandLineOption dfv{QStringLiteral("dfv"),
                           QStringLiteral("Form of the DataFlash check reply (default long, 22 characters)."),
                           QStringLiteral("short|long")};
    QCommandLineOption frameKey{
        QStringLiteral("frame-key"),
        QStringLiteral("The loader's 64-byte frame key as 128 hex digits (default zeros)."),
        QStringLiteral("HEX")};
    QCommandLineOption eeprom{QStringLiteral("eeprom"),
                              QStringLiteral("EEPROM image file (default: a generated one)."),
                              QStringLiteral("FILE")};
    QCommandLineOption acVersion{
        QStringLiteral("ac-version"),
        QStringLiteral("Software version of the air-conditioner adapter (default 9)."), QStringLiteral("N")};
};

} // namespace

ParseOutcome parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    Parsed o;
    parser.addOptions({o.tcp,       o.tcpOnRequest, o.pty,  o.modbus,   o.modem,   o.modemEcho, o.creg,
                       o.firmware,  o.rectifier,    o.seed, o.still,    o.verbose, o.fault,     o.reconnect,
                       o.timeScale, o.dataflash,    o.dfv,  o.frameKey, o.eeprom,  o.acVersion});

    ParseOutcome out;
    const auto fail = [&](const QString& why) {
        out.kind = ParseOutcome::Kind::Error;
        out.text = QStringLiteral("zvk35-sim: %1\n\n%2").arg(why, parser.helpText());
        return out;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        out.kind = ParseOutcome::Kind::Help;
        out.text = parser.helpText();
        return out;
    }
    if (parser.isSet(version)) {
        out.kind = ParseOutcome::Kind::Version;
        out.text = QStringLiteral("zvk35-sim 1.0\n");
        return out;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    SimOptions& s = out.options;
    ControllerConfig& c = s.controller;
    s.pty = parser.isSet(o.pty);
    s.modbus = parser.isSet(o.modbus);
    s.verbose = parser.isSet(o.verbose);
    s.tcpOnRequest = parser.isSet(o.tcpOnRequest);
    c.staticSite = parser.isSet(o.still);
    c.modbusPort = s.modbus;

    if (parser.isSet(o.tcp)) {
        const QString v = parser.value(o.tcp);
        const qsizetype colon = v.lastIndexOf(u':');
        bool ok = false;
        const uint port = colon > 0 ? v.mid(colon + 1).toUInt(&ok) : 0;
        if (!ok || port == 0 || port > 65535)
            return fail(QStringLiteral("--tcp needs HOST:PORT, got '%1'").arg(v));
        s.tcpHost = v.left(colon);
        s.tcpPort = static_cast<quint16>(port);
        // The configuration server the controller knows is the one it connects to.
        if (const auto ip = ipv4(s.tcpHost))
            c.payloads["CONSRV"] = hexField(*ip, 8) + hexField(s.tcpPort, 4);
    }
    if (!s.pty && !s.useTcp())
        return fail(QStringLiteral("choose a carrier: --pty and/or --tcp HOST:PORT"));
    if (s.modbus && !s.pty)
        return fail(QStringLiteral("--modbus is a mode of the cable: it needs --pty"));
    if (s.tcpOnRequest && !(s.pty && s.useTcp()))
        return fail(QStringLiteral("--tcp-on-request needs both --pty and --tcp"));

    if (parser.isSet(o.modem)) {
        const QString v = parser.value(o.modem);
        ModemConfig m;
        if (v == u"g24")
            m.type = ModemType::G24;
        else if (v == u"siemens")
            m.type = ModemType::Siemens;
        else
            return fail(QStringLiteral("--modem is g24 or siemens, got '%1'").arg(v));
        if (!s.pty)
            return fail(QStringLiteral("--modem sits on the serial line: it needs --pty"));
        if (s.modbus)
            return fail(QStringLiteral(
                "a data call carries the text protocol: --modem and --modbus exclude each other"));
        s.modem = m;
    }
    if (parser.isSet(o.modemEcho) || parser.isSet(o.creg)) {
        if (!s.modem)
            return fail(QStringLiteral("--modem-echo and --creg need --modem"));
        if (parser.isSet(o.modemEcho)) {
            const QString v = parser.value(o.modemEcho);
            if (v != u"on" && v != u"off")
                return fail(QStringLiteral("--modem-echo is on or off"));
            s.modem->echoAtPowerUp = v == u"on";
        }
        if (parser.isSet(o.creg)) {
            bool ok = false;
            const int n = parser.value(o.creg).toInt(&ok);
            if (!ok || n < 0 || n > 5)
                return fail(QStringLiteral("--creg is a registration state from 0 to 5"));
            s.modem->registration = n;
        }
    }
    if (parser.isSet(o.firmware)) {
        const auto fw = parseFirmware(parser.value(o.firmware));
        if (!fw)
            return fail(QStringLiteral("--firmware needs MAJOR.MINOR.SUB, each 0 to 255, got '%1'")
                            .arg(parser.value(o.firmware)));
        c.firmware = *fw;
    }
    if (parser.isSet(o.rectifier)) {
        const QString v = parser.value(o.rectifier);
        if (v != u"emerson" && v != u"huawei")
            return fail(QStringLiteral("--rectifier is emerson or huawei"));
        c.rectifier = v == u"huawei" ? 1 : 0;
    }
    if (parser.isSet(o.seed)) {
        bool ok = false;
        c.seed = parser.value(o.seed).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed needs an unsigned number"));
    } else {
        c.seed = QRandomGenerator::global()->generate();
    }
    for (const QString& faultText : parser.values(o.fault)) {
        QString why;
        const auto rule = parseFault(faultText, &why);
        if (!rule)
            return fail(QStringLiteral("--fault %1: %2").arg(faultText, why));
        s.faults.append(*rule);
    }
    if (parser.isSet(o.reconnect)) {
        bool ok = false;
        s.reconnectMs = parser.value(o.reconnect).toInt(&ok);
        if (!ok || s.reconnectMs < 0 || s.reconnectMs > 600000)
            return fail(QStringLiteral("--reconnect-ms needs milliseconds from 0 to 600000"));
    }
    if (parser.isSet(o.timeScale)) {
        bool ok = false;
        c.timeScale = parser.value(o.timeScale).toDouble(&ok);
        if (!ok || c.timeScale < 0.0 || c.timeScale > 100.0)
            return fail(QStringLiteral("--time-scale needs a number from 0 to 100"));
    }
    if (s.modem)
        s.modem->dialMs = static_cast<int>(s.modem->dialMs * c.timeScale);
    if (parser.isSet(o.dataflash)) {
        const QString v = parser.value(o.dataflash);
        if (v == u"2")
            c.chip = DataFlashChip::Mbit2;
        else if (v == u"16")
            c.chip = DataFlashChip::Mbit16;
        else if (v == u"none")
            c.chip = DataFlashChip::None;
        else
            return fail(QStringLiteral("--dataflash is 2, 16 or none"));
    }
    if (parser.isSet(o.dfv)) {
        const QString v = parser.value(o.dfv);
        if (v != u"short" && v != u"long")
            return fail(QStringLiteral("--dfv is short or long"));
        c.shortDfv = v == u"short";
    }
    if (parser.isSet(o.frameKey)) {
        const QByteArray hex = parser.value(o.frameKey).toLatin1();
        if (hex.size() != 128 || !allHex(hex))
            return fail(QStringLiteral("--frame-key needs 128 hex digits"));
        c.frameKey = QByteArray::fromHex(hex);
    }
    if (parser.isSet(o.eeprom))
        s.eepromFile = parser.value(o.eeprom);
    if (parser.isSet(o.acVersion)) {
        bool ok = false;
        c.airConditionerVersion = parser.value(o.acVersion).toInt(&ok);
        if (!ok || c.airConditionerVersion < 0 || c.airConditionerVersion > 255)
            return fail(QStringLiteral("--ac-version is 0 to 255"));
    }
    return out;
}

} // namespace zvk::sim
