// The main window's connection control, modem and status poll handlers.

#include "app/TForm1.h"

#include <QCheckBox>

namespace zvk {

void TForm1::setupLinkOperations() {}

void TForm1::CheckBox1Click() {
    if (CheckBox1->isChecked()) {
        Timer3_AP.start();
        Timer3_APTimer();
    } else {
        Timer3_AP.stop();
    }
}

void TForm1::Timer3_APTimer() {
    if (m_state.Busy() || !m_state.LinkUp() || m_engine.requestOutstanding())
        return;
}

}  // namespace zvk
