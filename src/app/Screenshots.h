#pragma once
// Pictures of the main window's tabs: the screen area the window covers, as displayed (windows
// lying on top included), saved as JPEG files below AppDir/PRINT_SCREEN/<ControllerId>.

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

class QWidget;

namespace zvk::screenshots {

// "2012_04_03_09_05_07_3.jpg": local time to the second and the tab number 1..7; two pictures of
// one tab within a second share the name, and the later replaces the earlier.
QString fileName(const QDateTime& at, int tab);
// AppDir/PRINT_SCREEN/<ControllerId>
QString folder(const QString& appDir, const QString& controllerId);

// The screen area of the window's frame, copied from its screen; a part lying off the screen stays
// black, so the picture always has the frame's size.
QImage grabWindowArea(const QWidget& window);

// JPEG with libjpeg's default quality. On failure the result is empty and error says why.
QByteArray encodeJpeg(const QImage& picture, QString* error);

// Creates the folder (an existing one is fine), then encodes and writes the file through a
// temporary file, so a failed write never leaves half a picture. The messages name the path.
bool makeFolder(const QString& path, QString* error);
bool saveJpeg(const QImage& picture, const QString& path, QString* error);

} // namespace zvk::screenshots
