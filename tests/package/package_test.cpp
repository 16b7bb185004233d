// The Debian package as users get it, unpacked with dpkg-deb into a temporary
// root once cpack has built it (scripts/package.sh does both): its files, its
// menu entry, its file type; and its file-manager thumbnailer with its
// kmission-tool, or until the package is built, those of this build.
#include "process_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QTemporaryDir>

namespace kmission::test {
namespace {

TEST(PackageTest, InstallsWhatTheDesktopLooksFor) {
    QString thumbnailer = KMISSION_THUMBNAILER;
    QString tool = KMISSION_TOOL;
    const QDir folder(KMISSION_DEB_DIR);
    const QStringList built =
        folder.entryList({"kmission_" KMISSION_VERSION "_*.deb"}, QDir::Files);
    QTemporaryDir root;
    if (!built.isEmpty()) {
        const QStringList unpack{"-x", folder.filePath(built.first()), root.path()};
        ASSERT_EQ(RunProgram("dpkg-deb", unpack).exitCode, 0);
        const QString usr = root.path() + "/usr/share/";
        const QString id = "io.github.kmission.KMission";
        for (const char* file :
             {"../bin/kmission", "man/man1/kmission-tool.1.gz", "doc/kmission/copyright",
              "metainfo/io.github.kmission.KMission.metainfo.xml"}) {
            EXPECT_TRUE(QFileInfo(usr + file).isFile()) << file;
        }
        QFile desktop(usr + "applications/" + id + ".desktop");
        ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
        EXPECT_TRUE(desktop.readAll().contains(
            "\nExec=kmission %f\nMimeType=application/x-korvane3-mission;"));
        // Mission archives have their own file type, in any letter case.
        qputenv("XDG_DATA_DIRS", usr.toLocal8Bit());
        QStringList missions;
        for (const char* name : {"READERMP12.Pbd", "readermp.pbd", "reader.pbd", "mp01.PBD~"}) {
            const QMimeType type =
                QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
            missions << (type.comment() == "Korvane 3 mission" ? name : "-");
        }
        EXPECT_EQ(missions.join(' '), "READERMP12.Pbd readermp.pbd - -");
        thumbnailer = usr + "thumbnailers/" + id + ".thumbnailer";
        tool = root.path() + "/usr/bin/kmission-tool";
    }

    // The thumbnailer run as a file manager runs it: its Exec line with %s, %i
    // and %o replaced by quoted values, through the shell, for a user who has
    // the tool on the PATH; on a demo game the tool writes into a folder whose
    // name needs quoting. A mission away from its game's reader.pbd gets no
    // preview; one beside it is scaled to fit.
    const QTemporaryDir work;
    const QString game = work.path() + "/it's a \"game\"";
    ASSERT_EQ(RunProgram(tool, {"make-demo", game}).exitCode, 0);
    QFile::copy(game + "/pbd/readermp01.PBD", work.path() + "/readermp01.PBD");
    QFile file(thumbnailer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString exec =
        QString::fromUtf8(file.readAll()).section("\nExec=", 1).section('\n', 0, 0);
    const auto quoted = [](QString text) { return "'" + text.replace("'", "'\\''") + "'"; };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", QFileInfo(tool).absolutePath() + ":" + environment.value("PATH"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const std::tuple<QString, int, QSize> cases[] = {
        {game + "/pbd/readermp01.PBD", 128, {128, 96}},
        {work.path() + "/readermp01.PBD", 128, {0, 0}},
    };
    for (const auto& [mission, size, expected] : cases) {
        const QString out = work.path() + "/" + QString::number(expected.width()) + ".png";
        QString command = QString(exec).replace("%s", QString::number(size));
        const ProcessResult run = RunProgram(
            "/bin/sh", {"-c", command.replace("%i", quoted(mission)).replace("%o", quoted(out))},
            environment);
        EXPECT_EQ(run.exitCode, expected.isEmpty() ? 1 : 0);
        EXPECT_EQ(QImage(out).size(), expected);
    }
}

} // namespace
} // namespace kmission::test
