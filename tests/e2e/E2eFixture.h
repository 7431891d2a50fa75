#pragma once
// The whole tool against real peers: the main window in a temporary application folder, shown
// offscreen, driven through its controls by name; message boxes and the port dialog are answered
// here instead of in a modal loop. The serial peer is a pseudo-terminal, TCP clients connect to
// 127.0.0.1.

#include "BlockBuilder.h"
#include "PtyPeer.h"
#include "TcpClient.h"
#include "WindowFixture.h"
#include "app/LogWidget.h"
#include "app/TForm2.h"
#include "app/TForm4.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zvk::test {

inline QByteArray statusReply() {
    return BlockBuilder().version(20, 20, 1).reply();
}

struct E2eFixture : WindowFixture {
    void SetUp() override {
        ASSERT_TRUE(peer.isValid());
        WindowFixture::SetUp();
        chosenPort = peer.slavePath();
    }

    // Starts the tool with these settings lines besides the listening port.
    TForm1& start(const QByteArray& form1 = {}, const QByteArray& form4 = {}) {
        writeSettings("[Form1]\r\n" + form1 + portSection() + form4);
        return open();
    }

    void click(const char* name) { child<QPushButton>(name)->click(); }
    // "Select" with the pty chosen in the port dialog; the probe of the open runs inside.
    void selectPort() { click("BitBtn1"); }

    QLabel* ST33() const { return child<QLabel>("ST33"); }
    QString st33Sheet() const { return ST33()->styleSheet(); }
    QString title() const { return window->windowTitle(); }
    QString panel1() const { return window->statusPanelText(1); }
    QStringList progressLines() const {
        return window->form2()->memo()->toPlainText().split(QLatin1Char('\n'));
    }
    bool progressHas(const QString& line) const { return progressLines().contains(line); }
    bool logHas(const QString& text) const {
        auto* log = child<LogWidget>("RichEdit1");
        log->flushPending();
        return log->toPlainText().split(QLatin1Char('\n')).contains(text);
    }

    static inline const QString Lime = QStringLiteral("rgb(0, 255, 0)");
    static inline const QString Rose = QStringLiteral("rgb(255, 100, 100)");
    static inline const QString Blue = QStringLiteral("color: rgb(0, 0, 255)");
    static inline const QString Established = QStringLiteral(" УСТАНОВЛЕНО");
    static inline const QString Absent = QStringLiteral(" ОТСУТСТВУЕТ");

    PtyPeer peer;
};

} // namespace zvk::test
