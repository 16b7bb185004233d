#include "start_program.h"

#include "native_path.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace kmission::platform {

bool StartProgram(std::string_view path) {
    const std::string native = ToNativePath(path);
    const QString program = QFile::decodeName(QByteArray::fromStdString(native));
    const QFileInfo info(program);
    if (native.empty() || !info.isFile()) {
        return false;
    }
#ifdef _WIN32
    return QProcess::startDetached(program, {});
#else
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("exe") || suffix == QLatin1String("com")) {
        return QProcess::startDetached(QStringLiteral("wine"), {program});
    }
    return QProcess::startDetached(program, {});
#endif
}

} // namespace kmission::platform
