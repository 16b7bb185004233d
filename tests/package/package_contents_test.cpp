// The Debian package as users get it: unpacked with dpkg-deb into a temporary
// root and used from there. Every test is skipped until cpack has built the
// package (scripts/package.sh does both).
#include "process_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>

namespace kmission::test {
namespace {

constexpr const char* kAppId = "io.github.kmission.KMission";
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// $KMISSION_DEB, else the package cpack writes into the build folder.
QString PackagePath() {
    if (const char* path = std::getenv("KMISSION_DEB"); path != nullptr && *path != '\0') {
        return QString::fromLocal8Bit(path);
    }
    const QDir folder(KMISSION_DEB_DIR);
    const QStringList found =
        folder.entryList({QString("kmission_%1_*.deb").arg(KMISSION_VERSION)}, QDir::Files);
    return found.isEmpty() ? QString() : folder.filePath(found.first());
}

class PackageTest : public testing::Test {
protected:
    void SetUp() override {
        deb_ = PackagePath();
        if (deb_.isEmpty() || !QFile::exists(deb_)) {
            GTEST_SKIP() << "no package built yet (cpack -G DEB, or scripts/package.sh)";
        }
        ASSERT_TRUE(root_.isValid());
        const ProcessResult unpack = RunProgram("dpkg-deb", {"-x", deb_, root_.path()});
        ASSERT_EQ(unpack.exitCode, 0) << unpack.err.toStdString();
    }

    QString installed(const QString& path) const { return root_.path() + "/usr/" + path; }

    // A demo game installation written by the packaged tool.
    QString makeDemo() {
        const QString demo = work_.path() + "/game";
        const ProcessResult run = RunProgram(installed("bin/kmission-tool"), {"make-demo", demo});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return demo;
    }

    QString deb_;
    QTemporaryDir root_;
    QTemporaryDir work_;
};

TEST_F(PackageTest, HoldsTheProgramsAndEverythingTheDesktopLooksFor) {
    const QString id = kAppId;
    const QStringList files = {
        "bin/kmission",
        "bin/kmission-tool",
        "share/applications/" + id + ".desktop",
        "share/metainfo/" + id + ".metainfo.xml",
        "share/mime/packages/" + id + ".xml",
        "share/thumbnailers/" + id + ".thumbnailer",
        "share/icons/hicolor/scalable/apps/" + id + ".svg",
        "share/man/man1/kmission.1.gz",
        "share/man/man1/kmission-tool.1.gz",
        "share/doc/kmission/copyright",
        "share/doc/kmission/changelog.gz",
    };
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(QFileInfo(installed(file)).isFile());
    }
    EXPECT_TRUE(QFileInfo(installed("bin/kmission")).isExecutable());
    EXPECT_TRUE(QFileInfo(installed("bin/kmission-tool")).isExecutable());
}

TEST_F(PackageTest, TheMenuEntryNamesTheProgramAndAnIconOfEverySize) {
    QFile desktop(installed(QString("share/applications/%1.desktop").arg(kAppId)));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(desktop.readAll()).split('\n');
    // A double-click on a mission in the file manager opens it.
    EXPECT_TRUE(lines.contains("Exec=kmission %f"));
    EXPECT_TRUE(lines.contains("MimeType=application/x-korvane3-mission;"));
    EXPECT_TRUE(lines.contains("TryExec=kmission"));
    EXPECT_TRUE(lines.contains(QString("Icon=%1").arg(kAppId)));

    for (int size : kIconSizes) {
        SCOPED_TRACE(size);
        const QImage icon(
            installed(QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId)));
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
        // Transparent corners around the rounded tile, an opaque middle.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
}

TEST_F(PackageTest, TheToolRunsFromThePackage) {
    const ProcessResult help = RunProgram(installed("bin/kmission-tool"), {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: kmission-tool COMMAND")) << help.out.toStdString();

    const QString demo = makeDemo();
    for (const char* file : {"pbd/reader.pbd", "pbd/rimage.pbd", "pbd/readermp01.PBD"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(QFileInfo(demo + "/" + file).isFile());
    }
}

TEST_F(PackageTest, ThePackageDependsOnTheLibrariesItsProgramsUse) {
    const ProcessResult depends = RunProgram("dpkg-deb", {"--field", deb_, "Depends"});
    ASSERT_EQ(depends.exitCode, 0) << depends.err.toStdString();
    for (const char* package : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6",
                                "libqt6widgets6", "qt6-qpa-plugins"}) {
        SCOPED_TRACE(package);
        EXPECT_TRUE(depends.out.contains(QRegularExpression(
            QString("(^|, )%1( |,|$)").arg(QRegularExpression::escape(package)))))
            << depends.out.toStdString();
    }
}

TEST_F(PackageTest, TheThumbnailerDrawsWithThePackagedTool) {
    const QString demo = makeDemo();
    const QString out = work_.path() + "/preview.png";
    const ProcessResult run =
        RunThumbnailer(installed(QString("share/thumbnailers/%1.thumbnailer").arg(kAppId)), 128,
                       demo + "/pbd/readermp01.PBD", out, WithProgramsFrom(installed("bin")));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(128, 96));
}

TEST_F(PackageTest, MissionArchivesHaveTheirOwnFileTypeInAnyLetterCase) {
    // The MIME database is read once, on first use, from $XDG_DATA_DIRS.
    qputenv("XDG_DATA_DIRS", installed("share").toLocal8Bit());
    const QMimeDatabase database;
    const std::pair<const char*, bool> cases[] = {
        {"readermp01.PBD", true},   {"readermp07.pbd", true}, {"READERMP12.Pbd", true},
        {"readermp.pbd", true},     {"reader.pbd", false},    {"rimage.pbd", false},
        {"readermp01.PBD~", false}, {"mission.pbd", false},
    };
    for (const auto& [name, isMission] : cases) {
        SCOPED_TRACE(name);
        const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        EXPECT_EQ(type.name() == "application/x-korvane3-mission", isMission)
            << type.name().toStdString();
    }
    EXPECT_EQ(database.mimeTypeForName("application/x-korvane3-mission").comment(),
              "Korvane 3 mission");
}

} // namespace
} // namespace kmission::test
