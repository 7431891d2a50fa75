#pragma once
// The frame every controller operation runs in: Busy raised, progress window shown with the start
// message, the outcome written to the progress window and status panel 1, window closed, Busy
// lowered. The destructor finishes a frame that was left early, so no path can leave Busy raised or
// the progress window open.

#include "link/LinkState.h"
#include "link/OperationUi.h"

namespace zvk {

class OperationFrame {
public:
    OperationFrame(LinkState& state, OperationUi& ui, const QString& startMessage);
    ~OperationFrame();
    OperationFrame(const OperationFrame&) = delete;
    OperationFrame& operator=(const OperationFrame&) = delete;

    void progress(const QString& line) { m_ui.addProgress(line); }
    void finish(const QString& outcome);

private:
    LinkState& m_state;
    OperationUi& m_ui;
    bool m_finished = false;
};

} // namespace zvk
