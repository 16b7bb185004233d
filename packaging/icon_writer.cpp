// Writes the program's icon as PNG files for the desktop's icon theme, from
// the same painting code as the window icon: kmission-icon-writer DIR SIZE...
// writes DIR/SIZE.png for each SIZE. A size the icon is not painted at is an
// error rather than a scaled copy, so the installed files and the window icon
// never differ.
#include "app_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPixmap>

#include <cstdio>

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
    for (const QString& argument : arguments.mid(2)) {
        bool number = false;
        const int size = argument.toInt(&number);
        if (!number || !painted.contains(QSize(size, size))) {
            std::fprintf(stderr, "kmission-icon-writer: the icon is not painted at size %s\n",
                         qPrintable(argument));
            return 1;
        }
        const QString path = folder.filePath(argument + ".png");
        QImageWriter writer(path, "png");
        if (!writer.write(icon.pixmap(QSize(size, size), 1.0).toImage())) {
            std::fprintf(stderr, "kmission-icon-writer: cannot write %s: %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}
