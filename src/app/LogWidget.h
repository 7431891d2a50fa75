#pragma once
// The operation log box RichEdit1: read-only, one coloured line per entry. Entries are collected
// and added to the end of the document in batches, 20 ms after the first of a batch, with one scroll
// to the last line per batch, so a burst of traffic does not make the window crawl.

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
    // Adds the waiting entries now (the batch timer does it otherwise).
    void flushPending();

private:
    struct Pending {
        QString text;
        Rgb colour;
    };
    QList<Pending> m_pending;
    QTimer m_flush;
    bool m_hasLines = false;
};

} // namespace zvk
