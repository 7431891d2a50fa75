#pragma once
// The "ППК" buttons of the three temperature groups: each sends one action command to the
// controller for its cabinet and reports the acknowledgement.

#include "link/RequestEngine.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace zvk {

class LinkState;
class OperationUi;

// Commands of sBitBtn17, sBitBtn18 and sBitBtn19, for boxes 1, 2 and 3.
inline const std::array<QByteArray, 3> ActionCommands{
    QByteArrayLiteral("ZVK+RELOAD_FIRST_CONDITION"),
    QByteArrayLiteral("ZVK+RELOAD_SECOND_CONDITION"),
    QByteArrayLiteral("ZVK+RELOAD_3_CONDITION"),
};

namespace ActionOutcome {
inline const QString Start = QStringLiteral(" Запись параметров ...");
inline const QString Success = QStringLiteral(" Запись параметров прошла успешно.");
} // namespace ActionOutcome

// Sends the command with CR, no CRC, and waits for a line beginning with "ZVKOK" inside the
// operation frame. With no link, or while another operation or request holds the line, nothing
// happens and there is no result; otherwise the result is the outcome written to the progress
// window and status panel 1 (empty when the acknowledgement came but the link went down meanwhile).
std::optional<QString> SendActionCommand(const QByteArray& command, LinkState& state, RequestEngine& engine,
                                         OperationUi& ui, int steps = RequestEngine::ReplyTimeout);

} // namespace zvk
