#include "app/StatusTabs.h"
#include "BlockBuilder.h"
#include "status/StatusDecoder.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zvk;
using namespace zvk::StatusColour;
using zvk::test::BlockBuilder;

namespace {

class StatusTabsTest : public ::testing::Test {
protected:
    StatusTabsTest() : tabs(&page1, &page2) {
        page1.resize(900, 650);
        page2.resize(900, 650);
    }

    QTableView* grid(const char* name) {
        auto* view = page1.findChild<QTableView*>(QString::fromLatin1(name));
        return view ? view : page2.findChild<QTableView*>(QString::fromLatin1(name));
    }
    static QString text(QTableView* view, int column, int row) {
        return view->model()->index(row, column).data().toString();
    }
    static QColor background(QTableView* view, int column, int row) {
        return view->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
    }
    // What the grid really paints at the right end of a cell, clear of its text.
    static QColor paintedAtRightEnd(QTableView* view, int column, int row) {
        const QImage image = view->viewport()->grab().toImage();
        const QRect cell = view->visualRect(view->model()->index(row, column));
        return image.pixelColor(cell.right() - 2, cell.center().y());
    }
    // Offset from the cell's left edge of the first column of pixels with text ink in it.
    static int firstInk(QTableView* view, int column, int row) {
        const QImage image = view->viewport()->grab().toImage();
        const QRect cell = view->visualRect(view->model()->index(row, column));
        for (int x = cell.left(); x <= cell.right(); ++x)
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                if (qGray(image.pixel(x, y)) < 90)
                    return x - cell.left();
        return -1;
    }

    QWidget page1;
    QWidget page2;
    StatusTabs tabs;
};

} // namespace

TEST_F(StatusTabsTest, DesignState) {
    QTableView* sg1 = grid("SG1");
    ASSERT_NE(sg1, nullptr);
    EXPECT_EQ(sg1->model()->rowCount(), 13);
    EXPECT_EQ(text(sg1, 0, 0), QStringLiteral("№"));
    EXPECT_EQ(text(sg1, 0, 12), QStringLiteral("D12"));
    EXPECT_EQ(text(sg1, 1, 1), QStringLiteral("Дискретный вход № 1"));
    EXPECT_EQ(background(sg1, 1, 1), QColor(Qt::white));
    EXPECT_EQ(sg1->accessibleName(), QStringLiteral("Состояние дискретных входов бокса № 1"));
    EXPECT_EQ(text(grid("SG7"), 0, 16), QStringLiteral("OUT 16"));
    EXPECT_EQ(text(grid("SG7"), 1, 16), QStringLiteral("Дискретный выход № 16"));
    for (int n = 1; n <= 11; ++n)
        EXPECT_EQ(tabs.grid(n), grid(qPrintable(QStringLiteral("SG") + QString::number(n)))) << n;

    // Row height and column widths of the grid table, each with its 1-pixel grid line.
    EXPECT_EQ(sg1->rowHeight(1), 14);
    EXPECT_EQ(sg1->columnWidth(1), 183);
    EXPECT_EQ(grid("SG9")->columnWidth(1), 544);
    EXPECT_TRUE(grid("SG8")->font().bold());

    for (int n : {2, 3, 6, 7, 10, 11, 14, 15})
        EXPECT_TRUE(page1.findChild<QLabel*>(QStringLiteral("sPanel") + QString::number(n))->isHidden()) << n;
    for (int n : {4, 5, 8, 9, 12, 13})
        EXPECT_FALSE(page1.findChild<QLabel*>(QStringLiteral("sPanel") + QString::number(n))->isHidden())
            << n;
    EXPECT_EQ(page1.findChild<QLabel*>(QStringLiteral("sPanel5"))->text(), QStringLiteral("НАП"));

    for (const char* name : {"sBitBtn17", "sBitBtn18", "sBitBtn19"}) {
        auto* button = page1.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), QStringLiteral("ППК"));
    }
    EXPECT_EQ(tabs.sBitBtn18()->parentWidget()->objectName(), QStringLiteral("groupTemperature2"));
    EXPECT_TRUE(page1.findChild<QLineEdit*>(QStringLiteral("sEdit1"))->isReadOnly());
    EXPECT_EQ(page2.findChild<QGroupBox*>(QStringLiteral("GroupBox10"))->title(),
              QStringLiteral(" Huawei  "));
}

TEST_F(StatusTabsTest, RendersDecodedBlock) {
    auto block = BlockBuilder().version(20, 20, 1).set(11, 3).set32(14, 12345678).set(33, 0xBE).set(32, 0x7F);
    block.set16(38, 0x0001).set(37, 0x05).set(41, 0).set(35, 0x01).set16(26, 230).set(134, 0x10);
    StatusView view;
    DecodirovanieUL(block.reply(), view, DecodeContext{true, false, QDateTime::currentDateTime()});
    tabs.render(view);
    page1.show();
    page2.show();

    EXPECT_EQ(tabs.sLabel2()->text(), QStringLiteral("20.20"));
    EXPECT_EQ(page1.findChild<QLabel*>(QStringLiteral("sLabel11"))->text(), QStringLiteral("3"));
    EXPECT_EQ(page1.findChild<QLineEdit*>(QStringLiteral("sEdit1"))->text(), QStringLiteral("12345678"));
    EXPECT_EQ(tabs.GroupBox10()->title(), QStringLiteral(" Emerson "));

    QTableView* sg1 = grid("SG1"); // module (1) unreachable
    EXPECT_EQ(text(sg1, 1, 4), QStringLiteral("No inform."));
    EXPECT_EQ(background(sg1, 1, 4), QColor(Qt::white));

    QTableView* sg6 = grid("SG6");
    EXPECT_EQ(text(sg6, 1, 2), QStringLiteral("OK"));
    EXPECT_EQ(paintedAtRightEnd(sg6, 1, 2), QColor::fromRgb(Green));
    EXPECT_EQ(paintedAtRightEnd(sg6, 1, 1), QColor(Qt::white));
    EXPECT_EQ(paintedAtRightEnd(sg6, 0, 2), QColor(Qt::white));

    QTableView* sg7 = grid("SG7"); // TQ7760-16 unreachable: output column yellow
    EXPECT_EQ(paintedAtRightEnd(sg7, 0, 5), QColor::fromRgb(Yellow));
    EXPECT_EQ(paintedAtRightEnd(sg7, 1, 1), QColor::fromRgb(Red));
    EXPECT_EQ(paintedAtRightEnd(sg7, 1, 2), QColor::fromRgb(Green));

    QTableView* sg5 = grid("SG5");
    EXPECT_EQ(text(sg5, 1, 1), QStringLiteral("230"));
    EXPECT_EQ(paintedAtRightEnd(sg5, 2, 1), QColor::fromRgb(Red));
    EXPECT_EQ(paintedAtRightEnd(sg5, 3, 1), QColor(Qt::white));
    EXPECT_EQ(text(grid("SG9"), 0, 1), QStringLiteral("systemStatus"));

    EXPECT_FALSE(tabs.panel(2)->isHidden()); // heater on
    EXPECT_TRUE(tabs.panel(3)->isHidden());
    EXPECT_EQ(tabs.panel(5)->palette().color(tabs.panel(5)->backgroundRole()), QColor::fromRgb(Red));
    EXPECT_EQ(tabs.panel(4)->palette().color(tabs.panel(4)->backgroundRole()),
              tabs.panel(4)->palette().color(QPalette::Button));
}

TEST_F(StatusTabsTest, TextPlacement) {
    page1.show();
    StatusView view;
    const QString shortText = QStringLiteral("OUT 1");
    view.SG7.setText(0, 1, shortText + QStringLiteral(" with a caption far wider than its column"));
    view.SG7.setText(0, 2, shortText);
    tabs.render(view);
    QTableView* sg7 = grid("SG7");

    // The wide text starts at the left edge: its first glyphs are those the short text shows centred.
    const QImage image = sg7->viewport()->grab().toImage();
    const QRect wide = sg7->visualRect(sg7->model()->index(1, 0));
    const QRect centred = sg7->visualRect(sg7->model()->index(2, 0));
    const int advance = sg7->fontMetrics().horizontalAdvance(shortText);
    const int offset = firstInk(sg7, 0, 2) - firstInk(sg7, 0, 1);
    EXPECT_LE(firstInk(sg7, 0, 1), 1); // no more than the side bearing of "O"
    ASSERT_GT(offset, 3);
    const QRect prefix(0, 0, advance - 1, wide.height());
    EXPECT_EQ(image.copy(prefix.translated(wide.topLeft())),
              image.copy(prefix.translated(centred.topLeft() + QPoint(offset, 0))));

    QTableView* sg6 = grid("SG6");
    const int indent = firstInk(sg6, 0, 1); // "Модуль ...": 10 pixels in
    EXPECT_GE(indent, 10);
    EXPECT_LE(indent, 12);
    const int ok = firstInk(sg6, 1, 0); // the header "Связь" is centred
    EXPECT_GT(ok, 20);
}

TEST_F(StatusTabsTest, OneChangeSignalPerGridAndNoneWithoutChange) {
    StatusView view;
    tabs.render(view);
    QSignalSpy sg3(grid("SG3")->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy sg4(grid("SG4")->model(), &QAbstractItemModel::dataChanged);
    view.SG3.setText(1, 1, QStringLiteral("1"));
    view.SG3.setText(1, 4, QStringLiteral("4"));
    tabs.render(view);
    tabs.render(view);
    ASSERT_EQ(sg3.count(), 1);
    EXPECT_EQ(sg3[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(sg3[0][1].toModelIndex().row(), 4);
    EXPECT_EQ(sg4.count(), 0);
}

TEST_F(StatusTabsTest, CopiesSelectedCells) {
    page1.show();
    QTableView* sg1 = grid("SG1");
    sg1->setFocus();
    sg1->selectionModel()->select(QItemSelection(sg1->model()->index(1, 0), sg1->model()->index(2, 1)),
                                  QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(sg1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("D1\tДискретный вход № 1\nD2\tДискретный вход № 2"));
}
