// Finding the game's Wine prefix where Linux players keep Windows games, with
// prefixes whose registries are written by the demo's own writer.
#include "data_dir.h"
#include "demo_installation.h"
#include "wine_prefix.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kmission::platform {
namespace {

namespace fs = std::filesystem;

// A fresh $HOME without $WINEPREFIX for the lifetime of the object.
class TempHome {
public:
    TempHome() {
        if (const char* old = std::getenv("HOME")) {
            oldHome_ = old;
        }
        if (const char* old = std::getenv("WINEPREFIX")) {
            oldPrefix_ = old;
        }
        setenv("HOME", dir_.path().toStdString().c_str(), 1);
        unsetenv("WINEPREFIX");
    }
    ~TempHome() {
        setenv("HOME", oldHome_.c_str(), 1);
        if (!oldPrefix_.empty()) {
            setenv("WINEPREFIX", oldPrefix_.c_str(), 1);
        }
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    std::string path(const std::string& relative) const {
        return dir_.path().toStdString() + "/" + relative;
    }

    // A prefix at `relative` whose registry names `program` as the game's
    // folder; without `program` a prefix of other games.
    void makePrefix(const std::string& relative, const char* program) const {
        fs::create_directories(path(relative));
        std::ofstream out(path(relative) + "/system.reg", std::ios::trunc);
        out << (program != nullptr
                    ? demo::WineRegistryText(program)
                    : std::string("WINE REGISTRY Version 2\n\n[Software\\\\Other] 1\n"
                                  "\"Program\"=\"C:\\\\Other\\\\\"\n"));
    }

private:
    QTemporaryDir dir_;
    std::string oldHome_;
    std::string oldPrefix_;
};

TEST(WinePrefixTest, TheFirstPrefixWithTheGameInTheDocumentedOrder) {
    struct Prefix {
        const char* where;
        const char* program; // nullptr: a prefix without the game
    };
    struct Case {
        const char* name;
        std::vector<Prefix> prefixes;
        const char* found; // below $HOME
        const char* dataDir;
    };
    const Case cases[] = {
        {"nothing anywhere", {}, ".wine", "D:\\Korv3\\pbd\\"},
        {"the usual prefix first",
         {{".wine", "C:\\K3\\"}, {"Games/korvane", "C:\\Lutris\\"}},
         ".wine",
         "C:\\K3\\pbd\\"},
        {"lutris when the usual prefix has other games",
         {{".wine", nullptr}, {"Games/b-korvane", "C:\\Lutris\\"}, {"Games/a-other", nullptr}},
         "Games/b-korvane",
         "C:\\Lutris\\pbd\\"},
        {"lutris before bottles",
         {{".local/share/bottles/bottles/k3", "C:\\Bottles\\"}, {"Games/k3", "C:\\Lutris\\"}},
         "Games/k3",
         "C:\\Lutris\\pbd\\"},
        {"bottles",
         {{".local/share/bottles/bottles/k3", "C:\\Bottles\\"}},
         ".local/share/bottles/bottles/k3",
         "C:\\Bottles\\pbd\\"},
        {"proton, the first game number in name order",
         {{".steam/steam/steamapps/compatdata/2000/pfx", "C:\\Second\\"},
          {".steam/steam/steamapps/compatdata/1000/pfx", "C:\\First\\"}},
         ".steam/steam/steamapps/compatdata/1000/pfx",
         "C:\\First\\pbd\\"},
        {"proton under the data folder",
         {{".local/share/Steam/steamapps/compatdata/1000/pfx", "C:\\Steam\\"}},
         ".local/share/Steam/steamapps/compatdata/1000/pfx",
         "C:\\Steam\\pbd\\"},
        {"other prefixes last",
         {{".local/share/wineprefixes/k3", "C:\\Tricks\\"}, {"Games/other", nullptr}},
         ".local/share/wineprefixes/k3",
         "C:\\Tricks\\pbd\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempHome home;
        for (const Prefix& prefix : c.prefixes) {
            home.makePrefix(prefix.where, prefix.program);
        }
        EXPECT_EQ(WinePrefix(), home.path(c.found));
        EXPECT_EQ(ReadDataDir(), c.dataDir);
    }
}

} // namespace
} // namespace kmission::platform
