#include "command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace kmission {

StartRequest ParseCommandLine(const QStringList& arguments, const QString& version) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "KMission, the editor for the multiplayer missions of Korvane 3.");
    // Qt's own help and version options would also offer Qt's options, which
    // are not read here.
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    const QCommandLineOption versionOption({"v", "version"}, "Displays the version.");
    parser.addOption(help);
    parser.addOption(versionOption);
    parser.addPositionalArgument("mission", "A mission archive (readermp*.PBD) to open.",
                                 "[mission]");

    // The usage line names the program as it is installed, however it was started.
    QString usage = parser.helpText();
    usage.replace(0, usage.indexOf('\n'), "Usage: kmission [options] [mission]");

    const bool parsed = parser.parse(arguments);
    if (!parsed || parser.positionalArguments().size() > 1) {
        const QString problem =
            parsed ? QString("Only one mission can be opened.") : parser.errorText();
        return {false, {}, problem + "\n\n" + usage, true, 2};
    }
    if (parser.isSet(help)) {
        return {false, {}, usage, false, 0};
    }
    if (parser.isSet(versionOption)) {
        return {false, {}, "kmission " + version + "\n", false, 0};
    }
    StartRequest request;
    if (!parser.positionalArguments().isEmpty()) {
        request.missionPath = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    }
    return request;
}

} // namespace kmission
