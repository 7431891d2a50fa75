#include "status/StatusBlock.h"

#include "link/Frames.h"
#include "link/OperationUi.h"
#include "status/StatusLog.h"
#include "status/StatusView.h"

namespace zvk {

StatusBlockOutcome AcceptStatusBlock(const QByteArray& block, StatusSource source, StatusView& view,
                                     StatusLog& log, OperationUi& ui, StatusRenderer* renderer,
                                     const QDateTime& now) {
    const bool modbus = source == StatusSource::CableModbus;
    DecodeContext context;
    context.crcDigits = !modbus;
    // The Modbus status read is used exactly when the cable is in Modbus mode with no modem and no
    // TCP client, which is also when the block carries the configuration.
    context.configEcho = modbus;
    context.now = now;

    StatusBlockOutcome result;
    result.decoded = DecodirovanieUL(block, view, context);
    if (!view.statusPanel2.isEmpty())
        ui.setStatusPanel(2, view.statusPanel2);
    if (renderer)
        renderer->render(view);

    if (!modbus && !result.decoded.complete) {
        result.outcome = result.decoded.pastEnd()
                             ? Outcome::BadLength
                             : Outcome::WrongReply + fromWire(block.left(10)) + QStringLiteral(" ...");
        return result;
    }
    if (log.append(result.decoded.logLine, &ui) == StatusLog::Result::FailedAndReported)
        result.logError = log.failureText();
    result.ok = true;
    return result;
}

} // namespace zvk
