#pragma once
// The whole tool against real peers: the main window in a temporary application folder, shown
// offscreen, driven through its controls by name; message boxes and the port dialog are answered
// here instead of in a modal loop. The serial peer is a pseudo-terminal, TCP clients connect to
// 127.0.0.1.

#include "BlockBuilder.h"
#include "PtyPeer.h"
#include "TcpClient.h"
#include "app/LogWidget.h"
#include "app/MessageBoxes.h"
#include "app/PortDialog.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/TForm4.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zvk::test {

inline quint16 unusedTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

inline QByteArray statusReply() {
    return BlockBuilder().version(20, 20, 1).reply();
}

struct E2eFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(appDir.isValid());
        ASSERT_TRUE(peer.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(appDir.path());
        listenPort = unusedTcpPort();
        boxes::setHook([this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
            shownBoxes << text;
            return QMessageBox::Ok;
        });
        PortDialog::setHook([this](const QString&) { return peer.slavePath(); });
    }
    void TearDown() override {
        window.reset();
        boxes::setHook({});
        PortDialog::setHook({});
        QDir::setCurrent(previousDir);
    }

    // Starts the tool with these settings lines besides the listening port.
    TForm1& start(const QByteArray& form1 = {}, const QByteArray& form4 = {}) {
        QDir(appDir.path()).mkdir(QStringLiteral("INI"));
        QFile ini(appDir.filePath(QStringLiteral("INI/5099.ini")));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Form1]\r\n" + form1 + "[Form4]\r\nEdit1Text=" + QByteArray::number(listenPort) + "\r\n" +
                  form4);
        ini.close();
        window = std::make_unique<TForm1>();
        window->show();
        return *window;
    }

    template <class T> T* child(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
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

    QTemporaryDir appDir;
    QString previousDir;
    quint16 listenPort = 0;
    PtyPeer peer;
    std::unique_ptr<TForm1> window;
    QStringList shownBoxes;
};

} // namespace zvk::test
