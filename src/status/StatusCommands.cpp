#include "status/StatusCommands.h"

#include "link/Frames.h"
#include "link/LinkState.h"
#include "link/OperationFrame.h"
#include "link/OperationUi.h"

namespace zvk {

std::optional<QString> SendActionCommand(const QByteArray& command, LinkState& state, RequestEngine& engine,
                                         OperationUi& ui, int steps) {
    if (!state.LinkUp() || engine.lineInUse())
        return std::nullopt;
    OperationFrame frame(state, ui, ActionOutcome::Start);
    QString outcome;
    switch (engine.Ozidanie(command, QByteArrayLiteral("ZVKOK"), TermCR, Match::Prefix, steps)) {
    case RequestEngine::Matched:
        outcome = state.LinkUp() ? ActionOutcome::Success : QString();
        break;
    case RequestEngine::OtherLine:
        outcome = Outcome::WrongReply + fromWire(engine.LastLine);
        break;
    default:
        outcome = Outcome::NoReply;
        break;
    }
    frame.finish(outcome);
    return outcome;
}

} // namespace zvk
