#include "status/StatusDecoder.h"

#include "link/Frames.h"
#include "status/StatusFormat.h"
#include "status/StatusTables.h"

#include <QAnyStringView>
#include <algorithm>
#include <optional>

namespace zvk {

bool DecodeResult::pastEnd() const {
    return std::any_of(unread.begin(), unread.end(), [](const UnreadField& f) { return f.pastEnd; });
}

bool DecodeResult::garbled() const {
    return std::any_of(unread.begin(), unread.end(), [](const UnreadField& f) { return !f.pastEnd; });
}

QStringList DecodeResult::unreadNames() const {
    QStringList names;
    for (const UnreadField& f : unread)
        names.append(f.name);
    return names;
}

namespace {

using namespace StatusColour;
namespace tables = statustables;

constexpr int PrefixLength = 3; // "ZVK"
constexpr int CrcLength = 4;

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c - 'a' + 10; // the caller has checked IsHexChar
}

class Decoder {
public:
    Decoder(const QByteArray& block, StatusView& view, const DecodeContext& context)
        : m_view(view), m_context(context) {
        const qsizetype tail = context.crcDigits ? CrcLength : 0;
        m_data = block.constData() + std::min<qsizetype>(block.size(), PrefixLength);
        m_size = std::max<qsizetype>(0, block.size() - PrefixLength - tail);
    }

    DecodeResult run() {
        m_view.echo = {};
        header();
        identifier();
        inputs();
        for (const auto& box : tables::climateBoxes())
            climateBox(box);
        alarms();
        links();
        power();
        rectifier();
        if (m_context.configEcho)
            configEcho();
        m_result.complete = m_result.unread.isEmpty();
        m_result.layout = m_layout;
        return std::move(m_result);
    }

private:
    // The n-byte field at byte `offset`, most significant digit first, or nothing when it lies beyond
    // the block or holds a character that is not a hexadecimal digit.
    std::optional<quint32> read(int offset, int width, QAnyStringView name) {
        const qsizetype first = qsizetype(offset) * 2;
        const qsizetype digits = qsizetype(width) * 2;
        if (first + digits > m_size) {
            fail(name, offset, width, true);
            return std::nullopt;
        }
        quint32 value = 0;
        for (qsizetype i = first; i < first + digits; ++i) {
            const char c = m_data[i];
            if (!IsHexChar(c)) {
                fail(name, offset, width, false);
                return std::nullopt;
            }
            value = (value << 4) | quint32(hexValue(c));
        }
        return value;
    }

    void fail(QAnyStringView name, int offset, int width, bool pastEnd) {
        UnreadField field{name.toString().trimmed(), offset, width, pastEnd};
        if (!m_result.unread.contains(field))
            m_result.unread.append(field);
    }

    void log(const char* text) { m_result.logLine.append(text); }
    // "name;value;" with an empty value for a field that could not be read.
    void logField(const char* name, const std::optional<QByteArray>& value) {
        log(name);
        if (value)
            m_result.logLine.append(*value);
        log(";");
    }
    void logFlag(const char* name, const std::optional<quint32>& flags, int bit) {
        logField(name,
                 flags ? std::optional<QByteArray>(BitIsSet(quint8(*flags), bit) ? "1" : "0") : std::nullopt);
    }

    // 1. Version, mode and subversion, the date and time of the log line, the version gates.
    void header() {
        const auto major = read(0, 1, "major");
        const auto minor = read(1, 1, "minor");
        const auto mode = read(11, 1, "mode");
        const auto subversion = read(13, 1, "subversion");
        if (major && minor)
            m_view.sLabel2 = QString::number(*major) + QLatin1Char('.') + QString::number(*minor);
        if (subversion)
            m_view.sLabel8 = QString::number(*subversion);
        if (mode)
            m_view.sLabel11 = QString::number(*mode);

        const QDateTime now = m_context.now.isValid() ? m_context.now : QDateTime::currentDateTime();
        const QByteArray date = DateText(now).toLatin1();
        const QByteArray time = TimeText(now).toLatin1();
        m_result.logLine.reserve(400);
        m_result.logLine += date + ';' + time + ';' + date + ' ' + time + ';';

        if (major)
            m_major = int(*major);
        if (!minor || !subversion)
            return;
        int minorGate = int(*minor);
        // Two firmware lines number their minor versions backwards.
        if (minorGate == 111)
            minorGate = 10;
        else if (minorGate == 110)
            minorGate = 11;
        m_minor = minorGate;
        const int sub = int(*subversion);
        if (minorGate >= 12)
            m_layout = TemperatureLayout::New;
        else if (minorGate == 11 && sub >= 4)
            m_layout = TemperatureLayout::Intermediate;
        else
            m_layout = TemperatureLayout::Old;
        m_extraBox2 = minorGate >= 20 && sub >= 1;
        m_fullAlarmList = minorGate >= 17 || (minorGate == 11 && sub >= 4);
    }

    // 2. Controller identifier.
    void identifier() {
        const auto id = read(14, 4, "identifier");
        if (!id)
            return;
        const QString text = QString::number(qint32(*id));
        m_view.sEdit1 = text;
        m_view.statusPanel2 = QStringLiteral("IMEI: ") + text;
        m_view.ControllerId = text;
    }

    // 3. Discrete inputs of boxes 1, 2 and 3.
    void inputs() {
        inputWord(m_view.SG1, 18, 12, false, "inputs1");
        inputWord(m_view.SG2, 20, 9, true, "inputs2");
        inputWord(m_view.SG10, 104, 9, true, "inputs3");
    }

    void inputWord(StatusGrid& grid, int offset, int bits, bool clearFirst, const char* name) {
        const auto word = read(offset, 2, name);
        if (!word)
            return;
        if (clearFirst) {
            for (int row = 1; row <= 12; ++row)
                grid.setText(1, row, {});
        }
        const auto& table = tables::inputBits();
        for (int bit = 0; bit < bits; ++bit) {
            const auto& entry = table[bit];
            const bool set = BitIsSet(quint16(*word), bit);
            grid.setText(1, bit + 1, set ? entry.setText : entry.clearText);
            grid.setRowColour(bit + 1, set ? entry.setColour : entry.clearColour);
        }
    }

    // 4. Temperatures and climate flags of one box, with its log fields.
    void climateBox(const tables::ClimateBox& box) {
        StatusGrid& grid = *m_view.grid(box.grid);
        for (const auto& row : box.rows)
            temperature(grid, row);

        const auto flags = read(box.flagsByte, 1, box.flagsName);
        logFlag(box.heaterLog, flags, 0);
        logFlag(box.coolerLog, flags, 1);
        if (box.fcPanel) {
            logFlag("FC=;", flags, 4);
            logFlag("MIXER=;", flags, 5);
        }
        if (!flags)
            return;
        const quint8 f = quint8(*flags);
        m_view.panel(box.heaterPanel).visible = BitIsSet(f, 0);
        m_view.panel(box.coolerPanel).visible = BitIsSet(f, 1);
        m_view.panel(box.lowPanel).colour = BitIsSet(f, 2) ? Red : ButtonFace;
        m_view.panel(box.highPanel).colour = BitIsSet(f, 3) ? Red : ButtonFace;
        if (box.fcPanel) {
            m_view.panel(box.fcPanel).visible = BitIsSet(f, 4);
            m_view.panel(box.mixPanel).visible = BitIsSet(f, 5);
        }
    }

    void temperature(StatusGrid& grid, const tables::TemperatureRow& row) {
        switch (m_layout) {
        case TemperatureLayout::Unknown:
            return;
        case TemperatureLayout::New: {
            if (row.extraOnly && !m_extraBox2)
                return; // keeps what an earlier block showed
            const auto v = read(row.newByte, 1, row.caption);
            if (v)
                grid.setText(1, row.row, SignedValueOrNoInfo(quint8(*v)));
            logField(row.logName, v ? std::optional(QByteArray::number(qint8(*v))) : std::nullopt);
            return;
        }
        case TemperatureLayout::Intermediate:
        case TemperatureLayout::Old: {
            const bool old = m_layout == TemperatureLayout::Old;
            const int byte = old ? row.oldByte : row.intermediateByte;
            if (byte < 0) {
                grid.setText(1, row.row, {});
                return;
            }
            const auto v = read(byte, 1, row.caption);
            if (!v)
                return;
            if (old)
                grid.setText(1, row.row, *v == 255 ? QStringLiteral("No inform.") : QString::number(*v));
            else
                grid.setText(1, row.row, ValueOrNoInfo(quint8(*v)));
            return;
        }
        }
    }

    // 5. Alarm flags and relay outputs.
    void alarms() {
        if (!m_major)
            return;
        StatusGrid& grid = m_view.SG7;
        const auto word = read(38, 2, "alarms");
        auto writeList = [&grid](const std::array<QString, 16>& list) {
            for (int row = 1; row <= 16; ++row)
                grid.setText(1, row, list[row - 1]);
        };
        auto colourRows = [&](int bits) {
            for (int bit = 0; bit < bits; ++bit)
                grid.setRowColour(bit + 1, BitIsSet(quint16(*word), bit) ? Red : Green);
        };
        if (*m_major < 20) {
            writeList(tables::alarmListA());
            for (int row = 7; row <= 16; ++row)
                grid.setRowColour(row, White);
            if (word)
                colourRows(6);
            return;
        }
        if (!m_minor)
            return;
        if (*m_minor < 17)
            writeList(tables::alarmListB());
        if (m_fullAlarmList)
            writeList(tables::alarmListC());
        if (const auto link = read(33, 1, "links1"))
            m_view.sg7OutputColour = BitIsSet(quint8(*link), 6) ? White : Yellow;
        if (word)
            colourRows(16);
    }

    // 6. Equipment links and their overrides of the input and temperature cells.
    void links() {
        const auto first = read(33, 1, "links1");
        const auto second = read(32, 1, "links2");
        for (const auto& link : tables::links()) {
            const auto& flags = link.byte == 33 ? first : second;
            if (!flags)
                continue;
            if (BitIsSet(quint8(*flags), link.bit)) {
                m_view.SG6.setText(1, link.row, QStringLiteral("OK"));
                m_view.SG6.setRowColour(link.row, Green);
                continue;
            }
            m_view.SG6.setText(1, link.row, {});
            m_view.SG6.setRowColour(link.row, White);
            if (link.overrideGrid == 0)
                continue;
            StatusGrid& target = *m_view.grid(link.overrideGrid);
            if (link.overrideRow == 0) {
                for (int row = 1; row <= 12; ++row) {
                    target.setText(1, row, QStringLiteral("No inform."));
                    target.setRowColour(row, White);
                }
            } else {
                target.setText(1, link.overrideRow, QStringLiteral("No sensor"));
            }
        }
    }

    // 7. Electricity meter and phase voltages.
    void power() {
        if (!m_major)
            return;
        StatusGrid& meter = m_view.SG8;
        if (*m_major < 20) {
            for (int row = 1; row <= 5; ++row) {
                meter.setText(1, row, {});
                meter.setRowColour(row, White);
            }
            m_view.sg5CellColours.fill(White);
            return;
        }
        const auto error = read(41, 1, "meterError");
        if (error) {
            const bool failed = *error != 0;
            meter.setText(1, 1, QString::number(*error));
            meter.setRowColour(1, failed ? Red : White);
            for (int row = 2; row <= 5; ++row)
                meter.setRowColour(row, failed ? Yellow : White);
            if (failed) {
                m_view.sg5CellColours.fill(Yellow);
            } else if (const auto flags = read(35, 1, "phaseFlags")) {
                m_view.sg5CellColours.fill(White);
                // Bits 0..5: U-A low, U-A high, U-B low, U-B high, U-C low, U-C high.
                for (int bit = 0; bit < 6; ++bit) {
                    if (BitIsSet(quint8(*flags), bit))
                        m_view.setSg5CellColour(2 + bit % 2, 1 + bit / 2, Red);
                }
            }
        }
        if (const auto energy = read(42, 4, "energy"))
            meter.setText(1, 2, FixedText(double(*energy) / 1000.0, 3) + QStringLiteral("  КВт * ч"));
        static const char* const powerNames[] = {"powerA", "powerB", "powerC"};
        static const char* const voltageNames[] = {"voltageA", "voltageB", "voltageC"};
        for (int phase = 0; phase < 3; ++phase) {
            if (const auto watts = read(46 + 2 * phase, 2, powerNames[phase]))
                meter.setText(1, 3 + phase, QString::number(*watts) + QStringLiteral("  Ватт"));
            if (const auto volts = read(26 + 2 * phase, 2, voltageNames[phase]))
                m_view.SG5.setText(1, 1 + phase, QString::number(*volts));
        }
    }

    // 8. Rectifier plant.
    void rectifier() {
        const auto type = read(134, 1, "rectifierType");
        if (!type)
            return;
        const int kind = int(*type & 0x0F);
        const bool emerson = kind == 0;
        const bool huawei = kind == 1;
        const std::vector<tables::RectifierRow> none;
        const auto& rows = emerson ? tables::emersonRows() : huawei ? tables::huaweiRows() : none;
        const int count = int(rows.size());

        std::optional<quint32> alarmFlags;
        std::optional<quint32> link;
        if (count > 0) {
            alarmFlags = read(54, 2, "rectifierAlarms");
            link = read(33, 1, "links1");
            m_view.GroupBox10Caption = emerson ? QStringLiteral(" Emerson ") : QStringLiteral(" Huawei ");
        }
        const bool unreachable = link && !BitIsSet(quint8(*link), 7);

        StatusGrid& grid = m_view.SG9;
        for (int row = 1; row <= 13; ++row) {
            if (row > count) {
                grid.setText(0, row, {});
                grid.setText(1, row, {});
                grid.setRowColour(row, White);
                continue;
            }
            const auto& entry = rows[row - 1];
            grid.setText(0, row, entry.name);
            if (const auto value = read(entry.offset, entry.width, entry.name))
                grid.setText(1, row, rectifierValue(entry, *value, emerson));
            if (unreachable)
                grid.setRowColour(row, Yellow);
            else if (link && alarmFlags)
                grid.setRowColour(row, BitIsSet(quint16(*alarmFlags), row) ? Yellow : White);
        }
    }

    static QString rectifierValue(const tables::RectifierRow& row, quint32 raw, bool emerson) {
        switch (row.kind) {
        case tables::RectifierValue::Scaled: {
            const double value = double(qint32(raw));
            return (emerson ? FixedText(value / 1000.0, 3) : FixedText(value / 10.0, 1)) + row.unit;
        }
        case tables::RectifierValue::Count:
            return QString::number(qint32(raw)) + row.unit;
        case tables::RectifierValue::Coded: {
            QString text = QString::number(raw);
            if (raw < row.codes->size())
                text += (*row.codes)[raw];
            return text;
        }
        }
        return {};
    }

    // 9. The configuration echo of the cable's Modbus mode.
    void configEcho() {
        ConfigEcho& echo = m_view.echo;
        for (const auto& edit : ConfigEcho::edits()) {
            if (const auto v = read(edit.offset, edit.width, edit.objectName))
                echo.*edit.value = QString::number(*v);
        }
        if (const auto cabinets = read(127, 1, "RadioGroup1"))
            echo.RadioGroup1 = int(std::min<quint32>(*cabinets, 3));
        if (const auto meterType = read(40, 1, "meterType")) {
            echo.sRadioButton1 = *meterType == 1;
            echo.sRadioButton2 = *meterType == 2;
        }
        if (const auto port = read(132, 2, "sEdit3"))
            echo.sEdit3 = QString::number(*port);
        if (const auto portMode = read(134, 1, "RadioGroup2"))
            echo.RadioGroup2 = *portMode == 0 ? 0 : 1;
    }

    StatusView& m_view;
    const DecodeContext& m_context;
    const char* m_data = nullptr;
    qsizetype m_size = 0; // hexadecimal digits of block data

    std::optional<int> m_major;
    std::optional<int> m_minor; // after the remapping
    TemperatureLayout m_layout = TemperatureLayout::Unknown;
    bool m_extraBox2 = false;
    bool m_fullAlarmList = false;

    DecodeResult m_result;
};

} // namespace

DecodeResult DecodirovanieUL(const QByteArray& block, StatusView& view, const DecodeContext& context) {
    return Decoder(block, view, context).run();
}

} // namespace zvk
