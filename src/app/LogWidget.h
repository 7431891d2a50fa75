#pragma once
// The operation log box RichEdit1: read-only, one coloured line per entry. Appending is O(1) at
// the end of the document, and scrolling to the last line happens once per batch of entries, not
// once per line, so a burst of traffic does not make the window crawl.

#include "link/OperationLog.h"

#include <QPlainTextEdit>
#include <QTimer>

namespace zvk {

class LogWidget : public QPlainTextEdit, public LogView {
    Q_OBJECT
public:
    explicit LogWidget(QWidget* parent = nullptr);

    void appendLogLine(const QString& text, Rgb colour) override;
    void clearLog() override;
    // RichEdit1ScrolDown: scrolls to the last line now.
    void RichEdit1ScrolDown();

private:
    QTimer m_scroll;
    bool m_hasLines = false;
};

}  // namespace zvk
