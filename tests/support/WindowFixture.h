#pragma once
// A main window in a temporary application folder, shown offscreen, with message boxes and the
// port dialog answered by the test instead of a modal loop.

#include "app/MessageBoxes.h"
#include "app/PortDialog.h"
#include "app/TForm1.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zvk::test {

// A port nobody listens on right now, on any address (the tool listens on all of them).
inline quint16 freeTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

struct WindowFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(appDir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(appDir.path());
        listenPort = freeTcpPort();
        boxes::setHook([this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons buttons) {
            shownBoxes << text;
            if (buttons & QMessageBox::Ok)
                return boxAnswer;
            return QMessageBox::Ok;
        });
        PortDialog::setHook([this](const QString&) { return chosenPort; });
    }
    void TearDown() override {
        window.reset();
        boxes::setHook({});
        PortDialog::setHook({});
        QDir::setCurrent(previousDir);
    }
    // Writes INI/5099.ini below the application folder; the listening port is a free one unless
    // the text sets it.
    void writeSettings(const QByteArray& text) {
        QDir(appDir.path()).mkdir(QStringLiteral("INI"));
        QFile f(appDir.filePath(QStringLiteral("INI/5099.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray portSection() const {
        return "[Form4]\r\nEdit1Text=" + QByteArray::number(listenPort) + "\r\n";
    }
    TForm1& open() {
        window = std::make_unique<TForm1>();
        window->show();
        return *window;
    }
    template <class T> T* child(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QTemporaryDir appDir;
    QString previousDir;
    quint16 listenPort = 0;
    std::unique_ptr<TForm1> window;
    QStringList shownBoxes;
    QMessageBox::StandardButton boxAnswer = QMessageBox::Ok;
    QString chosenPort;
};

} // namespace zvk::test
