#pragma once
// What an operation of the core needs from the user interface. The window implements it with the
// progress window, the status bar and message boxes; tests implement it with a recorder.

#include <QString>

namespace zvk {

class OperationUi {
public:
    virtual ~OperationUi() = default;

    // Progress window TForm2.
    virtual void showProgress() = 0;
    virtual void closeProgress() = 0;
    virtual void addProgress(const QString& line) = 0; // one line into Memo1
    virtual void setGauge(int position, int maximum) = 0;
    virtual void stepGauge() = 0; // +1, only while the progress window is visible
    virtual void setTimeLabel(const QString& text) = 0;

    // Status bar panels (1: outcome of the last operation, 2: identifier).
    virtual void setStatusPanel(int panel, const QString& text) = 0;

    // Modal boxes with the exact texts of the system.
    virtual void errorBox(const QString& text) = 0;       // one "OK"
    virtual void warningBox(const QString& text) = 0;     // one "OK"
    virtual bool confirmWarning(const QString& text) = 0; // "OK" and "Cancel"; true on OK
};

} // namespace zvk
