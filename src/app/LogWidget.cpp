#include "app/LogWidget.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

namespace zvk {

LogWidget::LogWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("RichEdit1"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_flush.setSingleShot(true);
    m_flush.setInterval(20);
    connect(&m_flush, &QTimer::timeout, this, &LogWidget::flushPending);
}

void LogWidget::appendLogLine(const QString& text, Rgb colour) {
    m_pending.append({text, colour});
    if (!m_flush.isActive())
        m_flush.start();
}

void LogWidget::flushPending() {
    m_flush.stop();
    if (m_pending.isEmpty())
        return;
    // One edit block per batch: the document lays out and signals once, not once per line.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    QTextCharFormat format;
    for (const Pending& p : std::as_const(m_pending)) {
        format.setForeground(QColor::fromRgb(p.colour));
        // The document always holds one block; the first line goes into it.
        if (m_hasLines)
            cursor.insertBlock(QTextBlockFormat(), format);
        cursor.insertText(p.text, format);
        m_hasLines = true;
    }
    cursor.endEditBlock();
    m_pending.clear();
    RichEdit1ScrolDown();
}

void LogWidget::clearLog() {
    m_pending.clear();
    m_flush.stop();
    clear();
    m_hasLines = false;
}

void LogWidget::RichEdit1ScrolDown() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

} // namespace zvk
