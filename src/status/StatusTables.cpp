#include "status/StatusTables.h"

#include "status/StatusView.h"

namespace zvk::statustables {

using namespace StatusColour;

const std::array<InputBit, 12>& inputBits() {
    // Bits 2 and 4 run the other way: a set bit means the detector is not connected.
    static const std::array<InputBit, 12> table{{
        {QStringLiteral("Дверь закрыта"), Green, QStringLiteral("Дверь открыта"), Red},
        {QStringLiteral("Датчик дыма 1 - НОРМА"), Green, QStringLiteral("Датчик дыма 1 - СРАБОТКА"), Red},
        {QStringLiteral("Датчик дыма 1 - НЕ ПОДКЛЮЧЕН"), Yellow, QStringLiteral("Датчик дыма 1 - ПОДКЛЮЧЕН"),
         Green},
        {QStringLiteral("Датчик дыма 2 - НОРМА"), Green, QStringLiteral("Датчик дыма 2 - СРАБОТКА"), Red},
        {QStringLiteral("Датчик дыма 2 - НЕ ПОДКЛЮЧЕН"), Yellow, QStringLiteral("Датчик дыма 2 - ПОДКЛЮЧЕН"),
         Green},
        {QStringLiteral("Выпрямитель ИВП - НОРМА"), Green, QStringLiteral("Выпрямитель ИВП - АВАРИЯ"), Red},
        {QStringLiteral("Датчик затопления - НОРМА"), Green, QStringLiteral("Датчик затопления - СРАБОТКА"),
         Red},
        {QStringLiteral("Датчик удара - НОРМА"), Green, QStringLiteral("Датчик удара - СРАБОТКА"), Red},
        {QStringLiteral("Кондиционер - НОРМА"), Green, QStringLiteral("Кондиционер - АВАРИЯ"), Red},
        {QStringLiteral("Блок RET - НОРМА"), Green, QStringLiteral("Блок RET - АВАРИЯ"), Red},
        {QStringLiteral("Лампы СОМ 1 - НОРМА"), Green, QStringLiteral("Лампы СОМ 1 - АВАРИЯ"), Red},
        {QStringLiteral("Лампы СОМ 2 - НОРМА"), Green, QStringLiteral("Лампы СОМ 2 - АВАРИЯ"), Red},
    }};
    return table;
}

const std::array<LinkEntry, 15>& links() {
    static const std::array<LinkEntry, 15> table{{
        {33, 0, 1, QStringLiteral("Модуль  TQ7710-5М2 (1)"), 1, 0},
        {33, 2, 2, QStringLiteral("   - термодатчик T1 - 1"), 3, 1},
        {33, 3, 3, QStringLiteral("   - термодатчик T1 - 2"), 3, 2},
        {33, 1, 5, QStringLiteral("Модуль  TQ7710-5М2 (2)"), 2, 0},
        {33, 4, 6, QStringLiteral("   - термодатчик T2 - 1"), 4, 1},
        {33, 5, 7, QStringLiteral("   - термодатчик T2 - 2"), 4, 2},
        {33, 6, 8, QStringLiteral("Модуль  TQ7760-16"), 0, 0},
        {33, 7, 9, QStringLiteral("Модуль  TQ7770"), 0, 0},
        {32, 0, 10, QStringLiteral("Модуль  TQ7710-5М2 (3)"), 10, 0},
        {32, 1, 11, QStringLiteral("   - термодатчик T3 - 1"), 11, 1},
        {32, 2, 12, QStringLiteral("   - термодатчик T3 - 2"), 11, 2},
        {32, 3, 4, QStringLiteral("   - термодатчик T1 - 3"), 3, 4},
        {32, 4, 13, QStringLiteral("Кондиционер"), 0, 0},
        {32, 5, 14, QStringLiteral("Термодатчик T2 - 3 (5М2 - 2)"), 4, 4},
        {32, 6, 15, QStringLiteral("Термодатчик T2 - 4 (5М2 - 2)"), 4, 5},
    }};
    return table;
}

const std::array<ClimateBox, 3>& climateBoxes() {
    static const std::array<ClimateBox, 3> table{{
        {3,
         37,
         "climate1",
         2,
         3,
         5,
         4,
         14,
         15,
         "Heater-1=;",
         "Freezer-1=;",
         {
             {1, QStringLiteral("T1 - 1"), 23, 23, 22, "T1-1=;", false},
             {2, QStringLiteral("T1 - 2"), 25, 25, 23, "T1-2=;", false},
             {3, QStringLiteral("T1, средняя"), 103, 103, -1, "T1sr=;", false},
             {4, QStringLiteral("T1 - 3 (внеш.)"), 3, -1, -1, "T1-3=;", false},
         }},
        {4,
         36,
         "climate2",
         6,
         7,
         9,
         8,
         0,
         0,
         "Heater-2=;",
         "Freezer-2=;",
         {
             {1, QStringLiteral("T2 - 1"), 137, 137, 24, "T2-1=;", false},
             {2, QStringLiteral("T2 - 2"), 139, 139, 25, "T2-2=;", false},
             {3, QStringLiteral("T2, средняя"), 141, 141, -1, "T2sr=;", false},
             {4, QStringLiteral("T2 - 3"), 149, -1, -1, "T2-3=;", true},
             {5, QStringLiteral("T2 - 4"), 151, -1, -1, "T2-4=;", true},
         }},
        {11,
         34,
         "climate3",
         10,
         11,
         13,
         12,
         0,
         0,
         "Heater-3=;",
         "Freezer-3=;",
         {
             {1, QStringLiteral("T3 - 1"), 143, 143, 102, "T3-1=;", false},
             {2, QStringLiteral("T3 - 2"), 145, 145, 103, "T3-2=;", false},
             {3, QStringLiteral("T3, средняя"), 147, 147, -1, "T3sr=;", false},
         }},
    }};
    return table;
}

const std::array<QString, 16>& alarmListA() {
    static const std::array<QString, 16> list{
        QStringLiteral("Пропадание 220 В"),
        QStringLiteral("Превышение температуры верхн. порог"),
        QStringLiteral("Понижение температуры нижн. порог"),
        QStringLiteral("Открытие двери"),
        QStringLiteral("Датчик задымления"),
        QStringLiteral("Неисправн. выпр. ИВП"),
    };
    return list;
}

const std::array<QString, 16>& alarmListB() {
    static const std::array<QString, 16> list{
        QStringLiteral("Пропадание 220 В"),
        QStringLiteral("Превышение температуры верхн. порог"),
        QStringLiteral("Понижение температуры нижн. порог"),
        QStringLiteral("Открытие двери"),
        QStringLiteral("Датчик удара"),
        QStringLiteral("Загрязнение фильтра"),
        QStringLiteral("Датчик задымления"),
        QStringLiteral("Неисправн. пож. системы"),
        QStringLiteral("Датчик затопления"),
        QStringLiteral("Огни мачтовые 1 линия"),
        QStringLiteral("Огни мачтовые 2 линия"),
        QStringLiteral("Неисправн. выпр. ИВП"),
        QStringLiteral("Неисправн. блока управления ант. (RET)"),
    };
    return list;
}

const std::array<QString, 16>& alarmListC() {
    static const std::array<QString, 16> list{
        QStringLiteral("Пропадание 220 В"),
        QStringLiteral("Нарушение температ. ВАП аппарт. шкафа"),
        QStringLiteral("Нарушение температ. НАП аппарт. шкафа"),
        QStringLiteral("Открытие двери"),
        QStringLiteral("Датчик удара"),
        QStringLiteral("Загрязнение фильтра"),
        QStringLiteral("Датчик задымления"),
        QStringLiteral("Неисправн. пож. системы"),
        QStringLiteral("Датчик затопления"),
        QStringLiteral("Огни мачтовые 1 линия"),
        QStringLiteral("Огни мачтовые 2 линия"),
        QStringLiteral("Неисправн. выпр. ИВП"),
        QStringLiteral("Неисправн. блока управления ант. (RET)"),
        QStringLiteral("Нарушение температуры ВАП шкафа АКБ"),
        QStringLiteral("Нарушение температуры НАП шкафа АКБ"),
        QStringLiteral("Авария кондиционера"),
    };
    return list;
}

namespace {

const std::vector<QString>& systemStatusTexts() {
    static const std::vector<QString> texts{
        {},
        QStringLiteral(" (unknown - status has not yet been defined)"),
        QStringLiteral(" (normal - there are no activated alarms)"),
        QStringLiteral(" (warning - OA, lowest level of 'abnormal' status)"),
        QStringLiteral(" (minor - A3)"),
        QStringLiteral(" (major - MA)"),
        QStringLiteral(" (critical - CA, highest level of 'abnormal' status)"),
        QStringLiteral(" (unmanaged)"),
        QStringLiteral(" (restricted)"),
        QStringLiteral(" (testing)"),
        QStringLiteral(" (disabled)"),
    };
    return texts;
}

const std::vector<QString>& communicationTexts() {
    static const std::vector<QString> texts{{}, {}, QStringLiteral(" (normal)"), QStringLiteral(" (errors)")};
    return texts;
}

const std::vector<QString>& batteryModeTexts() {
    static const std::vector<QString> texts{
        {},
        {},
        QStringLiteral(" (FloatCharging)"),
        QStringLiteral(" (ShortTest)"),
        QStringLiteral(" (BoostChargingForTest)"),
        QStringLiteral(" (ManualTesting)"),
        QStringLiteral(" (PlanTesting)"),
        QStringLiteral(" (ACFailTesting)"),
        QStringLiteral(" (ACFail)"),
        QStringLiteral(" (ManualBoostCharging)"),
        QStringLiteral(" (AutoBoostCharging)"),
        QStringLiteral(" (CyclicBoostCharging)"),
        QStringLiteral(" (MasterBoostCharging)"),
        QStringLiteral(" (MasterBateryTesting)"),
    };
    return texts;
}

const std::vector<QString>& chargeStatusTexts() {
    static const std::vector<QString> texts{
        {},
        QStringLiteral(" (battery group in the float charging state)"),
        QStringLiteral(" (battery group in the even charging state)"),
        QStringLiteral(" (battery group in the discharging state)"),
    };
    return texts;
}

} // namespace

const std::vector<RectifierRow>& emersonRows() {
    using enum RectifierValue;
    const QString volts = QStringLiteral("  V");
    const QString amps = QStringLiteral("  A");
    const QString degrees = QStringLiteral("  °C");
    static const std::vector<RectifierRow> rows{
        {QStringLiteral("systemStatus"), 56, 2, Coded, {}, &systemStatusTexts()},
        {QStringLiteral("systemVoltage"), 58, 4, Scaled, volts, nullptr},
        {QStringLiteral("systemCurrent "), 62, 4, Scaled, amps, nullptr},
        {QStringLiteral("systemUsedCapacity"), 66, 4, Count, QStringLiteral("  %"), nullptr},
        {QStringLiteral("psBatteryVoltage"), 70, 4, Scaled, volts, nullptr},
        {QStringLiteral("psBatteryCurrent"), 74, 4, Scaled, amps, nullptr},
        {QStringLiteral("psInputLineAVoltage"), 78, 4, Scaled, volts, nullptr},
        {QStringLiteral("psInputLineBVoltage"), 82, 4, Scaled, volts, nullptr},
        {QStringLiteral("psInputLineCVoltage"), 86, 4, Scaled, volts, nullptr},
        {QStringLiteral("psTemperature1 "), 90, 4, Scaled, degrees, nullptr},
        {QStringLiteral("psTemperature2 "), 94, 4, Scaled, degrees, nullptr},
        {QStringLiteral("psStatusCommunication"), 98, 2, Coded, {}, &communicationTexts()},
        {QStringLiteral("psStatusBatteryMode"), 100, 2, Coded, {}, &batteryModeTexts()},
    };
    return rows;
}

const std::vector<RectifierRow>& huaweiRows() {
    using enum RectifierValue;
    const QString volts = QStringLiteral("  V");
    const QString amps = QStringLiteral("  A");
    const QString degrees = QStringLiteral("  °C");
    static const std::vector<RectifierRow> rows{
        {QStringLiteral("hwDcsTotalVoltage"), 58, 4, Scaled, volts, nullptr},
        {QStringLiteral("hwDcsTotalCurrent"), 62, 4, Scaled, amps, nullptr},
        {QStringLiteral("hwRectsRatedVoltage"), 70, 4, Scaled, volts, nullptr},
        {QStringLiteral("hwBattsTotalCurrent"), 74, 4, Scaled, amps, nullptr},
        {QStringLiteral("hwRectsTotalCurrent"), 78, 4, Scaled, amps, nullptr},
        {QStringLiteral("hwRectsTotalQuantity"), 82, 4, Count, QStringLiteral("  шт."), nullptr},
        {QStringLiteral("hwBattsTemprature1"), 90, 4, Scaled, degrees, nullptr},
        {QStringLiteral("hwBattsTemprature2"), 94, 4, Scaled, degrees, nullptr},
        {QStringLiteral("hwBattsChargeStatus)"), 100, 2, Coded, {}, &chargeStatusTexts()},
    };
    return rows;
}

const std::array<QString, 5>& meterCaptions() {
    static const std::array<QString, 5> captions{
        QStringLiteral("Код ошибки опроса счётчика"), QStringLiteral("Потреблённая энергия (A+)"),
        QStringLiteral("Мощность, фаза A"), QStringLiteral("Мощность, фаза B"),
        QStringLiteral("Мощность, фаза C")};
    return captions;
}

} // namespace zvk::statustables
