#pragma once
// The one way a status block enters the tool: the status poll, the connect operation and the first
// exchange of a TCP client hand their block here once its transport checks (text CRC or Modbus CRC)
// have passed.

#include "status/StatusDecoder.h"

#include <QDateTime>
#include <QString>

namespace zvk {

class OperationUi;
class StatusLog;
struct StatusView;

enum class StatusSource {
    TextReply,   // the reply to "ZVK+TS?", CRC digits included
    CableModbus, // "ZVK" and the 136 data bytes of the Modbus read; carries the configuration echo
};

// Draws the status view: the window's status tabs, or nothing in tests.
class StatusRenderer {
public:
    virtual ~StatusRenderer() = default;
    virtual void render(const StatusView& view) = 0;
};

struct StatusBlockOutcome {
    bool ok = false;
    // Empty on success; otherwise the outcome text of the caller's operation.
    QString outcome;
    // The status log failure reported in panel 1 by this block, if any: a caller that writes its own
    // message into panel 1 afterwards may append it so it stays visible.
    QString logError;
    DecodeResult decoded;
};

// Decodes the block into view, draws it once, and appends its status log line. A text reply that
// lacks fields its layout needs (or holds a non-hexadecimal digit) is still decoded as far as it goes
// and drawn, but gives an error outcome and no log line. The Modbus block stops at byte 135, short of
// the newer layouts; it is decoded as far as it goes and logged with the fields it has.
StatusBlockOutcome AcceptStatusBlock(const QByteArray& block, StatusSource source, StatusView& view,
                                     StatusLog& log, OperationUi& ui, StatusRenderer* renderer,
                                     const QDateTime& now = QDateTime::currentDateTime());

} // namespace zvk
