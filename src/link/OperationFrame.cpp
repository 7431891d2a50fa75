#include "link/OperationFrame.h"

namespace zvk {

OperationFrame::OperationFrame(LinkState& state, OperationUi& ui, const QString& startMessage)
    : m_state(state), m_ui(ui) {
    m_state.setBusy(true);
    m_ui.showProgress();
    m_ui.addProgress(QString());
    m_ui.addProgress(startMessage);
}

OperationFrame::~OperationFrame() {
    if (!m_finished)
        finish(QString());
}

void OperationFrame::finish(const QString& outcome) {
    if (m_finished)
        return;
    m_finished = true;
    m_ui.addProgress(outcome);
    m_ui.setStatusPanel(1, outcome);
    m_ui.closeProgress();
    m_state.setBusy(false);
}

} // namespace zvk
