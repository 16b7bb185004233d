#pragma once

#include "message.h"

#include <QImage>

#include <string>

namespace kmission {

struct RenderResult {
    QImage image;      // 640 x 480, RGB32; null when `ok` is false
    Messages messages; // everything the editor would have shown, in order, without "Loaded!"
    bool ok = false;
    bool mapShown = false; // a map of the mission was found and drawn under it
};

// The map view as the editor shows it right after start-up and File > Open of
// `archivePath`: the shared archive "reader.pbd" and the picture index of
// "rimage.pbd" are read from the folder `dataDir`, the mission is loaded, its
// maps are shown and the 640 x 480 view is painted on the button face colour.
// Not ok when "reader.pbd" is missing ("Bad Path!") or refused, or the mission
// is refused or holds no mission info entry; `messages` then say why. Paths
// are native.
RenderResult RenderMissionView(const std::string& dataDir, const std::string& archivePath);

} // namespace kmission
