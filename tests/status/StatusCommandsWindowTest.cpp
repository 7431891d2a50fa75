// The status-tab commands and the RF graph reached from the main window's own controls.
#include "PtyPeer.h"
#include "WindowFixture.h"
#include "app/SaveDialog.h"
#include "app/StatusTabs.h"
#include "status/StatusCommands.h"

#include <QAction>
#include <QPushButton>

using namespace zvk;
using namespace zvk::test;

namespace {

using StatusCommandsWindowTest = WindowFixture;

TEST_F(StatusCommandsWindowTest, PpkButtonsSendTheirBoxCommand) {
    writeSettings(portSection());
    TForm1& w = open();
    PtyPeer peer;
    ASSERT_TRUE(peer.isValid());
    w.serial().setPortName(peer.slavePath());
    QString error;
    ASSERT_TRUE(w.serial().open(&error)) << error.toStdString();
    // Opening the port probes for a modem; the peer stays silent, so it finds none.
    ASSERT_TRUE(pumpUntil([&] { return !w.engine().requestOutstanding(); }, 10000));
    peer.clearReceived();
    w.setStatusPanel(1, QString());
    QPushButton* buttons[3] = {w.statusTabs()->sBitBtn17(), w.statusTabs()->sBitBtn18(),
                               w.statusTabs()->sBitBtn19()};

    buttons[0]->click();
    pump(100);
    EXPECT_TRUE(peer.received().isEmpty()) << "no link, nothing sent";
    EXPECT_TRUE(w.statusPanelText(1).isEmpty());

    w.linkState().setLinkUp(true);
    for (const QByteArray& command : ActionCommands)
        peer.on(command, "ZVKOK\r\n", 20);
    for (int box = 0; box < 3; ++box) {
        peer.clearReceived();
        w.setStatusPanel(1, QString());
        buttons[box]->click();
        EXPECT_EQ(peer.received(), ActionCommands[box] + '\r');
        EXPECT_EQ(w.statusPanelText(1), QStringLiteral(" Запись параметров прошла успешно."));
        EXPECT_FALSE(w.linkState().Busy());
    }
}

TEST_F(StatusCommandsWindowTest, MenuItemSavesTheGraphIntoTheChosenFile) {
    writeSettings(portSection());
    TForm1& w = open();
    QList<SaveDialog::Request> asked;
    QString answer;
    SaveDialog::setHook([&](const SaveDialog::Request& r) {
        asked << r;
        return answer;
    });
    auto* rf2 = w.findChild<QAction*>(QStringLiteral("RF2"));
    ASSERT_TRUE(rf2);
    EXPECT_EQ(rf2->text(), QStringLiteral("Сохранить график RF"));

    rf2->trigger(); // cancelled
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].folder, appDir.filePath(QStringLiteral("SAVE")));
    EXPECT_EQ(asked[0].filter, QStringLiteral("Файл графика RF (*.grf)"));
    EXPECT_EQ(asked[0].defaultSuffix, QStringLiteral("grf"));
    EXPECT_TRUE(QDir(appDir.filePath(QStringLiteral("SAVE"))).isEmpty());

    answer = appDir.filePath(QStringLiteral("SAVE/site.grf"));
    rf2->trigger();
    QFile saved(answer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), w.rfGraph().serialize());
    EXPECT_TRUE(shownBoxes.isEmpty());
    SaveDialog::setHook({});
}

} // namespace
