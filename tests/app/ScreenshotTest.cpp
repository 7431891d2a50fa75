#include "WindowFixture.h"
#include "app/Screenshots.h"
#include "app/TForm4.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

using namespace zvk;
using namespace zvk::test;

namespace {

// Mean absolute difference per channel of two pictures of one size.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    if (x.size() != y.size() || x.isNull())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (double(x.width()) * x.height() * 3);
}

QImage decodeJpeg(const QString& path) {
    QImageReader reader(path, "jpeg");
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    EXPECT_EQ(reader.format(), QByteArray("jpeg")) << path.toStdString();
    return image;
}

TEST(ScreenshotFiles, NameAndFolder) {
    const QDateTime at(QDate(2012, 4, 3), QTime(9, 5, 7));
    EXPECT_EQ(screenshots::fileName(at, 3), QStringLiteral("2012_04_03_09_05_07_3.jpg"));
    EXPECT_EQ(screenshots::fileName(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)), 7),
              QStringLiteral("2024_12_31_23_59_58_7.jpg"));
    EXPECT_EQ(screenshots::folder(QStringLiteral("/app"), QStringLiteral("22222222")),
              QStringLiteral("/app/PRINT_SCREEN/22222222"));
}

TEST(ScreenshotFiles, JpegEncodesAndFailsWithoutEndingTheProcess) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30));
    QString error;
    const QByteArray jpeg = screenshots::encodeJpeg(picture, &error);
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8")) << error.toStdString();
    const QImage decoded = QImage::fromData(jpeg, "JPEG");
    EXPECT_EQ(decoded.size(), picture.size());
    EXPECT_LT(meanDifference(decoded, picture), 4);

    // libjpeg refuses an empty picture; its fatal error comes back as a message.
    EXPECT_TRUE(screenshots::encodeJpeg(QImage(), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.jpg"));
    EXPECT_FALSE(screenshots::saveJpeg(QImage(), path, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Не удалось записать снимок экрана\n") + path));
    EXPECT_FALSE(QFile::exists(path));
}

// Receives the folder button's "open" instead of the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class ScreenshotTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server (run through xvfb-run)";
    }
    TForm1& openWith(const QByteArray& form4Keys) {
        writeSettings(portSection() + form4Keys);
        TForm1& w = open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        tabs = child<QTabWidget>("PageControl1");
        shape = child<QFrame>("Shape20");
        QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this](int index) {
            selected << index;
            barDuringSeries << shape->isVisible();
        });
        return w;
    }
    QString folder() const { return appDir.filePath(QStringLiteral("PRINT_SCREEN/22222222")); }
    QStringList pictures() const {
        return QDir(folder()).entryList({QStringLiteral("*")}, QDir::Files, QDir::Name);
    }
    void press() { child<QPushButton>("sBitBtn78")->click(); }
    // The tab number in a picture's name; -1 when the name does not follow the pattern.
    static int tabOf(const QString& name) {
        static const QRegularExpression pattern(
            QStringLiteral("^(\\d{4})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})_([1-7])\\.jpg$"));
        const auto m = pattern.match(name);
        return m.hasMatch() ? m.captured(7).toInt() : -1;
    }
    // The part of a picture that shows a widget of the window.
    QImage part(const QImage& picture, const QWidget* widget) const {
        const QPoint client = window->geometry().topLeft() - window->frameGeometry().topLeft();
        return picture.copy(QRect(widget->mapTo(window.get(), QPoint(0, 0)) + client, widget->size()));
    }

    QTabWidget* tabs = nullptr;
    QFrame* shape = nullptr;
    QList<int> selected;
    QList<bool> barDuringSeries;
};

TEST_F(ScreenshotTest, SeriesSavesCheckedTabsAndRestoresTheWindow) {
    TForm1& w = openWith("sChBox1=1\r\nsChBox3=1\r\n");
    tabs->setCurrentIndex(1);
    selected.clear();
    barDuringSeries.clear();
    EXPECT_EQ(w.lastScreenshotFolder(), QStringLiteral("/"));

    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    press();
    const QDateTime after = QDateTime::currentDateTime();

    EXPECT_EQ(selected, (QList<int>{0, 2, 1})) << "tabs 1 and 3, then the remembered tab";
    EXPECT_EQ(barDuringSeries, (QList<bool>{true, true, true}));
    EXPECT_FALSE(shape->isVisible());
    EXPECT_TRUE(shownBoxes.isEmpty()) << shownBoxes.join(u'|').toStdString();
    EXPECT_EQ(w.lastScreenshotFolder(), folder() + u'/') << "named after the controller before any block";

    const QStringList names = pictures();
    ASSERT_EQ(names.size(), 2) << names.join(u' ').toStdString();
    QImage byTab[8];
    for (const QString& name : names) {
        const int tab = tabOf(name);
        ASSERT_TRUE(tab == 1 || tab == 3) << name.toStdString();
        const QDateTime at = QDateTime::fromString(name.left(19), QStringLiteral("yyyy_MM_dd_HH_mm_ss"));
        EXPECT_TRUE(at >= before && at <= after) << name.toStdString();
        byTab[tab] = decodeJpeg(QDir(folder()).filePath(name));
        EXPECT_EQ(byTab[tab].size(), w.frameGeometry().size()) << name.toStdString();
    }

    // Each picture shows its own tab as painted on the screen.
    tabs->setCurrentIndex(2);
    QTest::qWait(100);
    const QImage third = tabs->grab().toImage();
    EXPECT_LT(meanDifference(part(byTab[3], tabs), third), 12);
    EXPECT_GT(meanDifference(part(byTab[1], tabs), third), 2 * meanDifference(part(byTab[3], tabs), third));
}

TEST_F(ScreenshotTest, WindowLyingOnTopIsInThePicture) {
    TForm1& w = openWith("sChBox2=1\r\n");
    QWidget cover(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    cover.setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 255);"));
    cover.setAttribute(Qt::WA_StyledBackground);
    const QRect frame = w.frameGeometry();
    cover.setGeometry(QRect(frame.topLeft() + QPoint(500, 300), QSize(120, 80)));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    press();
    const QStringList names = pictures();
    ASSERT_EQ(names.size(), 1);
    EXPECT_EQ(tabOf(names[0]), 2);
    const QImage picture = decodeJpeg(QDir(folder()).filePath(names[0]));
    QImage blue(100, 60, QImage::Format_RGB888);
    blue.fill(QColor(0, 0, 255));
    EXPECT_LT(meanDifference(picture.copy(510, 310, 100, 60), blue), 6);
}

TEST_F(ScreenshotTest, HiddenFirmwareTabKeepsTheSelectedTab) {
    TForm1& w = openWith("sChBox7=1\r\n");
    tabs->setCurrentIndex(2);
    selected.clear();
    press();
    EXPECT_TRUE(selected.isEmpty()) << "a hidden tab is never selected";
    ASSERT_EQ(pictures().size(), 1);
    EXPECT_EQ(tabOf(pictures()[0]), 3) << "the picture carries the number of the tab it shows";

    Q_EMIT w.form4()->firmwareUnlocked();
    tabs->setCurrentIndex(0);
    QDir(folder()).removeRecursively();
    selected.clear();
    press();
    EXPECT_EQ(selected, (QList<int>{6, 0}));
    ASSERT_EQ(pictures().size(), 1);
    EXPECT_EQ(tabOf(pictures()[0]), 7);
}

TEST_F(ScreenshotTest, FolderThatCannotBeCreatedStopsTheSeriesAndRestoresTheWindow) {
    // A plain file where the screenshot folders belong.
    QFile blocker(appDir.filePath(QStringLiteral("PRINT_SCREEN")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TForm1& w = openWith("sChBox2=1\r\nsChBox4=1\r\n");
    selected.clear();
    press();
    EXPECT_EQ(selected, (QList<int>{1, 0})) << "stopped at the first tab, the remembered tab selected again";
    EXPECT_FALSE(shape->isVisible());
    ASSERT_EQ(shownBoxes.size(), 1);
    EXPECT_TRUE(
        shownBoxes[0].startsWith(QStringLiteral("Не удалось создать папку снимков экрана\n") + folder()))
        << shownBoxes[0].toStdString();
    EXPECT_EQ(w.lastScreenshotFolder(), QStringLiteral("/"));

    // Nothing was left half done: with the folder possible, the next press works.
    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    shownBoxes.clear();
    press();
    EXPECT_TRUE(shownBoxes.isEmpty());
    EXPECT_EQ(pictures().size(), 2);
}

TEST_F(ScreenshotTest, FolderButtonOpensTheLastFolder) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    openWith("sChBox1=1\r\n");
    auto* folderButton = child<QPushButton>("sBitBtn79");
    folderButton->click();
    press();
    folderButton->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(catcher.opened,
              (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/")), QUrl::fromLocalFile(folder() + u'/')}));
    EXPECT_TRUE(shownBoxes.isEmpty());
}

} // namespace

#include "ScreenshotTest.moc"
