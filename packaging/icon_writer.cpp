// Writes the program's icon as PNG files for the desktop's icon theme, from
// the same painting code as the window icon: kmission-icon-writer DIR SIZE...
// writes DIR/SIZE.png for each SIZE, and DIR/kmission.ico with every SIZE up to
// 256 for the Windows program's resources. A size the icon is not painted at
// is an error rather than a scaled copy, so the installed files and the window
// icon never differ.
#include "app_icon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPixmap>

#include <QtEndian>

#include <cstdio>

namespace {

constexpr int kLargestIcoSize = 256;

// An .ico file of PNG images, as Windows reads them: a 6-byte header, one
// 16-byte record per image (its size, 0 standing for 256, and where its bytes
// are), then the images. Integers are little-endian.
QByteArray IcoFile(const QList<QPair<int, QByteArray>>& pngs) {
    QByteArray ico;
    const auto put16 = [&ico](quint16 value) {
        const quint16 le = qToLittleEndian(value);
        ico.append(reinterpret_cast<const char*>(&le), 2);
    };
    const auto put32 = [&ico](quint32 value) {
        const quint32 le = qToLittleEndian(value);
        ico.append(reinterpret_cast<const char*>(&le), 4);
    };
    put16(0);
    put16(1); // an icon, not a cursor
    put16(static_cast<quint16>(pngs.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(pngs.size());
    for (const auto& [size, png] : pngs) {
        const char side = static_cast<char>(size == kLargestIcoSize ? 0 : size);
        ico.append(side).append(side).append('\0').append('\0');
        put16(1);  // colour planes
        put16(32); // bits per pixel
        put32(static_cast<quint32>(png.size()));
        put32(offset);
        offset += static_cast<quint32>(png.size());
    }
    for (const auto& entry : pngs) {
        ico.append(entry.second);
    }
    return ico;
}

} // namespace

int main(int argc, char* argv[]) {
    // Painting needs a GUI application but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "Usage: kmission-icon-writer DIR SIZE...\n");
        return 2;
    }
    const QDir folder(arguments[1]);
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "kmission-icon-writer: cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QIcon icon = kmission::AppIcon();
    const QList<QSize> painted = icon.availableSizes();
    QList<QPair<int, QByteArray>> icoImages;
    for (const QString& argument : arguments.mid(2)) {
        bool number = false;
        const int size = argument.toInt(&number);
        if (!number || !painted.contains(QSize(size, size))) {
            std::fprintf(stderr, "kmission-icon-writer: the icon is not painted at size %s\n",
                         qPrintable(argument));
            return 1;
        }
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        const QString path = folder.filePath(argument + ".png");
        QImageWriter writer(path, "png");
        if (!writer.write(image)) {
            std::fprintf(stderr, "kmission-icon-writer: cannot write %s: %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            return 1;
        }
        if (size <= kLargestIcoSize) {
            QBuffer png;
            png.open(QIODevice::WriteOnly);
            image.save(&png, "png");
            icoImages.append({size, png.data()});
        }
    }
    QFile ico(folder.filePath("kmission.ico"));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(IcoFile(icoImages)) < 0 || !ico.flush()) {
        std::fprintf(stderr, "kmission-icon-writer: cannot write %s: %s\n",
                     qPrintable(ico.fileName()), qPrintable(ico.errorString()));
        return 1;
    }
    return 0;
}
