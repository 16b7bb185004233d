// The file-manager thumbnailer with the kmission-tool of this build, and the
// Debian package as users get it: unpacked with dpkg-deb into a temporary root
// and used from there (skipped until cpack has built it; scripts/package.sh
// does both).
#include "process_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace kmission::test {
namespace {

constexpr const char* kAppId = "io.github.kmission.KMission";
constexpr const char* kMissionType = "application/x-korvane3-mission";

// A demo game written by `tool` into a folder whose name needs quoting.
QString MakeDemo(const QTemporaryDir& work, const QString& tool) {
    const QString game = work.path() + "/it's a \"game\"";
    EXPECT_EQ(RunProgram(tool, {"make-demo", game}).exitCode, 0);
    return game;
}

// A preview of a mission in the game's data folder, scaled to fit the size
// asked; none for a mission away from its game's reader.pbd.
TEST(ThumbnailerTest, DrawsMissionsBesideTheirGame) {
    QTemporaryDir work;
    const QString game = MakeDemo(work, KMISSION_TOOL);
    ASSERT_TRUE(QDir().mkpath(work.path() + "/other"));
    QFile::copy(game + "/pbd/readermp01.PBD", work.path() + "/readermp09.PBD");
    QFile::copy(game + "/pbd/readermp01.PBD", work.path() + "/other/readermp01.PBD");
    // An archive of the game, but not its "reader.pbd": no map catalogue.
    QFile::copy(game + "/pbd/readermp02.PBD", work.path() + "/other/reader.pbd");
    const std::tuple<QString, int, QSize, const char*> cases[] = {
        {game + "/pbd/readermp01.PBD", 128, {128, 96}, ""},
        {game + "/pbd/readermp02.PBD", 1024, {1024, 768}, ""},
        {game + "/pbd/readermp01.PBD", 3, {3, 2}, ""},
        {work.path() + "/readermp09.PBD", 128, {0, 0}, "Bad Path!"},
        {work.path() + "/other/readermp01.PBD", 128, {0, 0}, "no preview"},
    };
    for (const auto& [mission, size, expected, says] : cases) {
        SCOPED_TRACE(size);
        const QString out = work.path() + "/preview.png";
        QFile::remove(out);
        const ProcessResult run = RunThumbnailer(KMISSION_THUMBNAILER, size, mission, out,
                                                 QFileInfo(KMISSION_TOOL).absolutePath());
        EXPECT_EQ(run.exitCode, expected.isEmpty() ? 1 : 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(says)) << run.err.toStdString();
        const QImage preview(out);
        EXPECT_EQ(preview.size(), expected);
        // Distinct colours on a coarse grid: a drawn map has many.
        QSet<QRgb> colours;
        for (int i = 0; i < preview.width() * preview.height(); i += 7) {
            colours.insert(preview.pixel(i % preview.width(), i / preview.width()));
        }
        EXPECT_TRUE(size < 128 || expected.isEmpty() || colours.size() > 100);
    }
}

TEST(PackageTest, InstallsWhatTheDesktopLooksFor) {
    // $KMISSION_DEB, else the package cpack writes into the build folder.
    const QDir folder(KMISSION_DEB_DIR);
    const QStringList built =
        folder.entryList({QString("kmission_%1_*.deb").arg(KMISSION_VERSION)}, QDir::Files);
    const QString deb = qEnvironmentVariable(
        "KMISSION_DEB", built.isEmpty() ? QString() : folder.filePath(built.first()));
    if (deb.isEmpty() || !QFile::exists(deb)) {
        GTEST_SKIP() << "no package built yet (cpack -G DEB, or scripts/package.sh)";
    }
    QTemporaryDir root;
    ASSERT_EQ(RunProgram("dpkg-deb", {"-x", deb, root.path()}).exitCode, 0);
    const QString usr = root.path() + "/usr/";
    const QString id = kAppId;
    for (const QString& file :
         QStringList{"bin/kmission", "bin/kmission-tool", "share/applications/" + id + ".desktop",
                     "share/metainfo/" + id + ".metainfo.xml", "share/mime/packages/" + id + ".xml",
                     "share/thumbnailers/" + id + ".thumbnailer",
                     "share/icons/hicolor/scalable/apps/" + id + ".svg",
                     "share/man/man1/kmission.1.gz", "share/man/man1/kmission-tool.1.gz",
                     "share/doc/kmission/copyright", "share/doc/kmission/changelog.gz"}) {
        EXPECT_TRUE(QFileInfo(usr + file).isFile()) << file.toStdString();
    }
    EXPECT_TRUE(QFileInfo(usr + "bin/kmission").isExecutable());
    EXPECT_TRUE(QFileInfo(usr + "bin/kmission-tool").isExecutable());
    // Transparent corners around the rounded tile, an opaque middle.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(usr + QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
    QFile desktop(usr + "share/applications/" + id + ".desktop");
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(desktop.readAll()).split('\n');
    for (const QString& line :
         QStringList{"Exec=kmission %f", "MimeType=application/x-korvane3-mission;",
                     "TryExec=kmission", "Icon=" + id}) {
        EXPECT_TRUE(lines.contains(line)) << line.toStdString();
    }
    const QString depends = RunProgram("dpkg-deb", {"--field", deb, "Depends"}).out;
    for (const char* package : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6",
                                "libqt6widgets6", "qt6-qpa-plugins"}) {
        const QString pattern = QString("(^|, )%1( |,|$)").arg(QRegularExpression::escape(package));
        EXPECT_TRUE(depends.contains(QRegularExpression(pattern))) << depends.toStdString();
    }
    // The packaged thumbnailer with the packaged tool.
    QTemporaryDir work;
    const QString out = work.path() + "/preview.png";
    const ProcessResult run = RunThumbnailer(
        usr + "share/thumbnailers/" + id + ".thumbnailer", 128,
        MakeDemo(work, usr + "bin/kmission-tool") + "/pbd/readermp01.PBD", out, usr + "bin");
    EXPECT_EQ(QImage(out).size(), QSize(128, 96)) << run.err.toStdString();
    // Mission archives have their own file type, in any letter case.
    qputenv("XDG_DATA_DIRS", (usr + "share").toLocal8Bit());
    const QMimeDatabase mime;
    QStringList missions;
    for (const char* name : {"readermp01.PBD", "readermp07.pbd", "READERMP12.Pbd", "readermp.pbd",
                             "reader.pbd", "rimage.pbd", "readermp01.PBD~", "mission.pbd"}) {
        if (mime.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name() == kMissionType) {
            missions << name;
        }
    }
    EXPECT_EQ(missions.join(' '), "readermp01.PBD readermp07.pbd READERMP12.Pbd readermp.pbd");
    EXPECT_EQ(mime.mimeTypeForName(kMissionType).comment(), "Korvane 3 mission");
}

} // namespace
} // namespace kmission::test
