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
    m_scroll.setSingleShot(true);
    m_scroll.setInterval(30);
    connect(&m_scroll, &QTimer::timeout, this, &LogWidget::RichEdit1ScrolDown);
}

void LogWidget::appendLogLine(const QString& text, Rgb colour) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(QColor::fromRgb(colour));
    // The document always holds one block; the first line goes into it.
    if (m_hasLines)
        cursor.insertBlock(QTextBlockFormat(), format);
    cursor.insertText(text, format);
    m_hasLines = true;
    if (!m_scroll.isActive())
        m_scroll.start();
}

void LogWidget::clearLog() {
    clear();
    m_hasLines = false;
}

void LogWidget::RichEdit1ScrolDown() { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); }

}  // namespace zvk
