#include "app/TForm2.h"

#include "app/Accessibility.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zvk {

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("   Ход выполнения ..."));
    setModal(false);
    resize(520, 330);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setUndoRedoEnabled(false);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont bold = Memo1->font();
    bold.setBold(true);
    Memo1->setFont(bold);
    Memo1->setAccessibleName(QStringLiteral("Ход выполнения"));

    sGauge1 = new QProgressBar(this);
    sGauge1->setObjectName(QStringLiteral("sGauge1"));
    sGauge1->setRange(0, 100);
    sGauge1->setValue(0);
    sGauge1->setFormat(QStringLiteral("%p%"));
    sGauge1->setTextVisible(true);
    sGauge1->setAlignment(Qt::AlignCenter);
    sGauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: rgb(255, 0, 0); }"));
    sGauge1->setAccessibleName(QStringLiteral("Прогресс"));

    sLabel1 = new QLabel(QStringLiteral("__"), this);
    sLabel1->setObjectName(QStringLiteral("sLabel1"));
    sLabel1->setMinimumWidth(110);

    sBitBtn1 = new QPushButton(QStringLiteral("Cancel"), this);
    sBitBtn1->setObjectName(QStringLiteral("sBitBtn1"));
    sBitBtn1->setAutoDefault(false);
    connect(sBitBtn1, &QPushButton::clicked, this, &TForm2::cancelRequested);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(sGauge1, 1);
    bottom->addWidget(sLabel1);
    bottom->addWidget(sBitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(bottom);
    applyAccessibleNames(this);
}

void TForm2::addLine(const QString& line) {
    Memo1->appendPlainText(line);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TForm2::setGauge(int position, int maximum) {
    sGauge1->setMaximum(std::max(maximum, 1));
    sGauge1->setValue(std::clamp(position, 0, sGauge1->maximum()));
}

void TForm2::stepGauge() {
    if (isVisible())
        sGauge1->setValue(std::min(sGauge1->value() + 1, sGauge1->maximum()));
}

void TForm2::setTimeLabel(const QString& text) {
    sLabel1->setText(text);
}

void TForm2::showCentred() {
    if (QWidget* p = parentWidget()) {
        const QRect r = p->frameGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

} // namespace zvk
