#include "app/Screenshots.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QWidget>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace zvk::screenshots {

QString fileName(const QDateTime& at, int tab) {
    return at.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss_")) + QString::number(tab) +
           QStringLiteral(".jpg");
}

QString folder(const QString& appDir, const QString& controllerId) {
    return appDir + QStringLiteral("/PRINT_SCREEN/") + controllerId;
}

QImage grabWindowArea(const QWidget& window) {
    const QRect area = window.frameGeometry();
    QImage picture(area.size(), QImage::Format_RGB888);
    picture.fill(Qt::black);
    QScreen* screen = window.screen();
    if (!screen || picture.isNull())
        return picture;
    const QRect onScreen = area.intersected(screen->geometry());
    if (onScreen.isEmpty())
        return picture;
    // With window 0 the offset is taken on the screen itself.
    const QPoint offset = onScreen.topLeft() - screen->geometry().topLeft();
    const QPixmap shot = screen->grabWindow(0, offset.x(), offset.y(), onScreen.width(), onScreen.height());
    QPainter painter(&picture);
    // A high-density screen gives more pixels than the logical area; the picture keeps the
    // window's logical size.
    painter.drawPixmap(QRect(onScreen.topLeft() - area.topLeft(), onScreen.size()), shot);
    return picture;
}

namespace {

// libjpeg reports a fatal error by calling error_exit, which by default ends the process; this one
// jumps back to the encoder instead.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

// Only plain C data lives in this frame, so the jump from onJpegError skips no destructor. On
// success *out holds a malloc'ed buffer of *size bytes.
bool encodeRgb(const unsigned char* pixels, int width, int height, qsizetype stride, unsigned char** out,
               unsigned long* size, char* message) {
    jpeg_compress_struct cinfo;
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onJpegError;
    errors.manager.output_message = ignoreJpegMessage;
    errors.message[0] = '\0';
    *out = nullptr;
    *size = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(*out);
        *out = nullptr;
        *size = 0;
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + qsizetype(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QByteArray encodeJpeg(const QImage& picture, QString* error) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (!encodeRgb(rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine(), &buffer, &size, message)) {
        if (error)
            *error = QString::fromLocal8Bit(message);
        return QByteArray();
    }
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

bool makeFolder(const QString& path, QString* error) {
    if (QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    if (error)
        *error =
            QStringLiteral("Не удалось создать папку снимков экрана\n%1").arg(QDir::toNativeSeparators(path));
    return false;
}

bool saveJpeg(const QImage& picture, const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Не удалось записать снимок экрана\n%1\n%2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    QString reason;
    const QByteArray jpeg = encodeJpeg(picture, &reason);
    if (jpeg.isEmpty())
        return fail(QStringLiteral("Ошибка сжатия JPEG: ") + reason);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(jpeg) != jpeg.size())
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace zvk::screenshots
