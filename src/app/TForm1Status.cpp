// The main window's status-tab commands, RF graph file and tab screenshots.

#include "app/TForm1.h"

#include "app/SaveDialog.h"
#include "app/Screenshots.h"
#include "app/StatusTabs.h"
#include "app/TForm4.h"
#include "status/StatusCommands.h"

#include <QAction>
#include <QDesktopServices>
#include <QFrame>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

namespace zvk {

void TForm1::setupStatusOperations() {
    if (m_statusTabs) {
        connect(m_statusTabs->sBitBtn17(), &QPushButton::clicked, this, &TForm1::sBitBtn17Click);
        connect(m_statusTabs->sBitBtn18(), &QPushButton::clicked, this, &TForm1::sBitBtn18Click);
        connect(m_statusTabs->sBitBtn19(), &QPushButton::clicked, this, &TForm1::sBitBtn19Click);
    }
    if (auto* rf2 = findChild<QAction*>(QStringLiteral("RF2")))
        connect(rf2, &QAction::triggered, this, &TForm1::RF2Click);
    // The red bar comes and goes with every capture series and poll tick; keeping its place stops
    // the buttons below it from jumping.
    QSizePolicy bar = Shape20->sizePolicy();
    bar.setRetainSizeWhenHidden(true);
    Shape20->setSizePolicy(bar);
    connect(sBitBtn78, &QPushButton::clicked, this, &TForm1::sBitBtn78Click);
    connect(sBitBtn79, &QPushButton::clicked, this, &TForm1::sBitBtn79Click);
}

// --- "ППК" ------------------------------------------------------------------------------------

void TForm1::actionCommand(int box) {
    SendActionCommand(ActionCommands[box], m_state, m_engine, *this);
}
void TForm1::sBitBtn17Click() {
    actionCommand(0);
}
void TForm1::sBitBtn18Click() {
    actionCommand(1);
}
void TForm1::sBitBtn19Click() {
    actionCommand(2);
}

// --- RF graph ---------------------------------------------------------------------------------

void TForm1::RF2Click() {
    const QString path =
        SaveDialog::choose(this, {AppDir + QStringLiteral("/SAVE"), QStringLiteral("Файл графика RF (*.grf)"),
                                  QStringLiteral("grf")});
    if (path.isEmpty())
        return;
    SaveRfGraph(m_rfGraph, path, *this);
}

// --- Screenshots ------------------------------------------------------------------------------

void TForm1::sBitBtn78Click() {
    // A second click while a series waits for a tab to be painted would interleave two series.
    if (m_capturing)
        return;
    m_capturing = true;
    Shape20->show();
    const int remembered = PageControl1->currentIndex();
    QString error;
    for (int k = 1; k <= TForm4::ScreenshotTabs && error.isEmpty(); ++k) {
        if (!m_form4->screenshotTab(k))
            continue;
        // A hidden tab (the firmware tab before the password) cannot be selected: the picture then
        // shows the tab that is selected, under that tab's number.
        if (PageControl1->isTabVisible(k - 1))
            PageControl1->setCurrentIndex(k - 1);
        captureTab(&error);
    }
    // Also after a failure, so the window is left as the user had it.
    PageControl1->setCurrentIndex(remembered);
    Shape20->hide();
    m_capturing = false;
    if (!error.isEmpty())
        errorBox(error);
}

bool TForm1::captureTab(QString* error) {
    // Let the newly selected tab paint, with events running.
    m_engine.Delay(200);

    const QImage picture = screenshots::grabWindowArea(*this);
    const QString folder = screenshots::folder(AppDir, m_statusView.ControllerId);
    if (!screenshots::makeFolder(folder, error))
        return false;
    m_lastScreenshotFolder = folder + QLatin1Char('/');
    const int tab = PageControl1->currentIndex() + 1;
    return screenshots::saveJpeg(
        picture, m_lastScreenshotFolder + screenshots::fileName(QDateTime::currentDateTime(), tab), error);
}

void TForm1::sBitBtn79Click() {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_lastScreenshotFolder)))
        errorBox(QStringLiteral("Не удалось открыть папку\n") + m_lastScreenshotFolder);
}

} // namespace zvk
