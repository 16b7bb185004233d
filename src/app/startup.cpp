// Start-up of the main window: game data location, map catalogue, picture index.
#include "main_window.h"

#include "cursor.h"
#include "data_dir.h"
#include "file_io.h"
#include "map_catalogue.h"
#include "native_path.h"
#include "properties_window.h"

namespace kmission {

void KMission::startUp() {
    propertiesWindow();
    state_.dataDir = platform::ReadDataDir();
    platform::SetWaitCursor();
    const bool catalogueRead = readSharedData();
    platform::SetDefaultCursor();
    show();
    // After a start-up that ended early the window still comes up usable for
    // File > Open, but without the properties window.
    if (catalogueRead) {
        showProperties();
    }
}

// Reads "reader.pbd" and "rimage.pbd"; false when start-up has to end early
// ("Bad File" or a corrupt catalogue entry).
bool KMission::readSharedData() {
    const std::string readerPath = state_.dataDir + kSharedArchiveName;
    if (!platform::FileExists(readerPath)) {
        dialogs_.showMessage(Message{"Bad Path!"});
    } else {
        const auto bytes = ReadWholeFile(platform::ToNativePath(readerPath));
        ParseOptions options;
        options.yield = [this] { letEventsRun(); };
        const SharedArchive shared = bytes
                                         ? ReadSharedArchive(*bytes, options)
                                         : SharedArchive{false, {}, {}, {}, {Message{"Bad File"}}};
        platform::ShowMessages(dialogs_, shared.messages);
        if (!shared.ok) {
            return false;
        }
        state_.mapCatalogue = shared.catalogue.maps;
    }
    state_.pictureIndex =
        ReadPictureIndexFile(platform::ToNativePath(state_.dataDir + kPictureFileName));
    fillMapMenu();
    return true;
}

} // namespace kmission
