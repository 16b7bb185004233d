// The file-manager thumbnailer as registered by
// packaging/io.github.kmission.KMission.thumbnailer, run with the kmission-tool
// of this build: previews of missions in the game's data folder, none for a
// mission away from its game.
#include "process_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

namespace kmission::test {
namespace {

class ThumbnailerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        const ProcessResult demo = RunProgram(KMISSION_TOOL, {"make-demo", game()});
        ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
    }

    QString game() const { return work_.path() + "/game"; }

    ProcessResult thumbnail(int size, const QString& mission, const QString& out) const {
        return RunThumbnailer(KMISSION_THUMBNAILER, size, mission, out,
                              WithProgramsFrom(QFileInfo(KMISSION_TOOL).absolutePath()));
    }

    QTemporaryDir work_;
};

// Distinct colours on a coarse grid: a drawn map has many, an empty view few.
int Colours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

TEST_F(ThumbnailerTest, DrawsTheMissionToFitTheSizeAsked) {
    struct Case {
        int size;
        QSize expected; // the 640 x 480 view scaled to fit size x size
    };
    const Case cases[] = {
        {128, {128, 96}}, {256, {256, 192}}, {512, {512, 384}}, {1024, {1024, 768}}, {3, {3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const QString out = work_.path() + QString("/preview-%1.png").arg(c.size);
        const ProcessResult run = thumbnail(c.size, game() + "/pbd/readermp01.PBD", out);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QImage preview(out);
        ASSERT_FALSE(preview.isNull());
        EXPECT_EQ(preview.size(), c.expected);
        if (c.size >= 128) {
            EXPECT_GT(Colours(preview), 100);
        }
    }
}

TEST_F(ThumbnailerTest, FindsTheGameBesideAMissionWhosePathHasSpacesAndQuotes) {
    const QString folder = work_.path() + "/it's a \"game\"";
    ASSERT_TRUE(QFile::rename(game(), folder));
    const QString out = work_.path() + "/preview.png";
    const ProcessResult run = thumbnail(128, folder + "/pbd/readermp01.PBD", out);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(128, 96));
}

// The file manager then shows the file type's icon.
TEST_F(ThumbnailerTest, WritesNothingWithoutTheGamesFilesBesideTheMission) {
    const QString lonely = work_.path() + "/readermp09.PBD";
    ASSERT_TRUE(QFile::copy(game() + "/pbd/readermp01.PBD", lonely));
    const QString foreignReader = work_.path() + "/other/readermp01.PBD";
    ASSERT_TRUE(QDir().mkpath(work_.path() + "/other"));
    ASSERT_TRUE(QFile::copy(game() + "/pbd/readermp01.PBD", foreignReader));
    // An archive of the game, but not its "reader.pbd": no map catalogue.
    ASSERT_TRUE(QFile::copy(game() + "/pbd/readermp02.PBD", work_.path() + "/other/reader.pbd"));
    struct Case {
        QString mission;
        const char* says;
    };
    for (const Case& c : {Case{lonely, "Bad Path!"}, Case{foreignReader, "no preview"}}) {
        SCOPED_TRACE(c.mission.toStdString());
        const QString out = work_.path() + "/preview.png";
        const ProcessResult run = thumbnail(128, c.mission, out);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

} // namespace
} // namespace kmission::test
