#pragma once
// The progress window: the messages of the running operation (kept for the whole run), a gauge, a
// time label and Cancel. A tool window that stays on top and opens centred on the main window.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zvk {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    void addLine(const QString& line);
    void setGauge(int position, int maximum);
    void stepGauge();
    void setTimeLabel(const QString& text);
    // Shows the window centred on its parent, without taking the keyboard from an operation.
    void showCentred();

    QPlainTextEdit* memo() const { return Memo1; }
    QProgressBar* gauge() const { return sGauge1; }
    QLabel* timeLabel() const { return sLabel1; }
    QPushButton* cancelButton() const { return sBitBtn1; }

Q_SIGNALS:
    // sBitBtn1Click: the Cancel button; the window stays open.
    void cancelRequested();

private:
    QPlainTextEdit* Memo1;
    QProgressBar* sGauge1;
    QLabel* sLabel1;
    QPushButton* sBitBtn1;
};

} // namespace zvk
