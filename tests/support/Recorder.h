#pragma once
// Recorders for the two interfaces the core talks to the user through: the operation UI and the
// operation log view. Tests read back what an operation showed, in order.

#include "link/OperationLog.h"
#include "link/OperationUi.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace zvk::test {

class RecorderUi : public OperationUi {
public:
    void showProgress() override {
        progressVisible = true;
        events << QStringLiteral("show");
    }
    void closeProgress() override {
        progressVisible = false;
        events << QStringLiteral("close");
    }
    void addProgress(const QString& line) override { progress << line; }
    void setGauge(int position, int maximum) override {
        gauge = position;
        gaugeMax = maximum;
    }
    void stepGauge() override {
        if (progressVisible)
            ++gauge;
    }
    void setTimeLabel(const QString& text) override { timeLabels << text; }
    void setStatusPanel(int panel, const QString& text) override {
        if (panel == 1)
            status1 << text;
        else if (panel == 2)
            status2 = text;
    }
    void errorBox(const QString& text) override { boxes << QStringLiteral("error:") + text; }
    void warningBox(const QString& text) override { boxes << QStringLiteral("warning:") + text; }
    bool confirmWarning(const QString& text) override {
        boxes << QStringLiteral("confirm:") + text;
        return confirmAnswer;
    }

    QString lastStatus() const { return status1.isEmpty() ? QString() : status1.last(); }

    bool progressVisible = false;
    bool confirmAnswer = true;
    int gauge = 0;
    int gaugeMax = 0;
    QStringList events;
    QStringList progress;
    QStringList timeLabels;
    QStringList status1;
    QString status2;
    QStringList boxes;
};

class RecorderLogView : public LogView {
public:
    struct Line {
        QString text;
        Rgb colour;
    };
    void appendLogLine(const QString& text, Rgb colour) override { lines.append({text, colour}); }
    void clearLog() override { lines.clear(); }
    QStringList texts() const {
        QStringList out;
        for (const Line& l : lines)
            out << l.text;
        return out;
    }
    QList<Line> lines;
};

} // namespace zvk::test
