// Start-up on any "reader.pbd": both trailer forms, the "maps.prd" entry and
// the catalogue walk. The same bytes are also walked as a bare value stream,
// so that the walk sees node sequences without an archive around them.

#include "codepage.h"
#include "fuzz_check.h"
#include "map_catalogue.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace kmission {
namespace {

const std::set<std::string> kCatalogueMessages{"error", "error 2", "error 22", "error 23",
                                               "error 24"};

void CheckCatalogue(const MapCatalogue& catalogue, const NodeList& nodes) {
    // A record takes 16 nodes, and the walk looks at node 1 even in an empty store.
    FUZZ_CHECK(catalogue.maps.size() <= nodes.size() / 16 + 1);
    FUZZ_CHECK(catalogue.messages.size() <= 9 * catalogue.maps.size());
    for (const Message& message : catalogue.messages) {
        FUZZ_CHECK(kCatalogueMessages.count(message.text) == 1);
    }
    for (const MapInfo& map : catalogue.maps) {
        FUZZ_CHECK(map.name.size() == kMapNameWidth && map.bitmap.size() == kMapNameWidth);
        (void)Cp1252ToUtf8(map.name);
    }
}

} // namespace
} // namespace kmission

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmission;
    const ByteView file(data, size);
    const SharedArchive shared = ReadSharedArchive(file);
    if (shared.ok) {
        FUZZ_CHECK(!shared.directory.empty());
        FUZZ_CHECK(static_cast<std::int64_t>(shared.directory.size()) <= kMaxArchiveEntries);
        FUZZ_CHECK(shared.messages == shared.catalogue.messages);
        CheckCatalogue(shared.catalogue, shared.mapsNodes);
    } else {
        FUZZ_CHECK(!shared.messages.empty());
        FUZZ_CHECK(shared.catalogue.maps.empty());
    }

    NodeList stream{ReaderNode{}};
    if (!ParseEntry(file, 0, static_cast<std::int64_t>(size), stream)) {
        CheckCatalogue(BuildMapCatalogue(stream), stream);
    }
    return 0;
}
