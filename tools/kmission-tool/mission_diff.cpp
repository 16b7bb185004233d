#include "mission_diff.h"

#include "mission_json.h"
#include "text.h"

#include <algorithm>
#include <map>

namespace kmission::tool {

std::vector<std::string> KeyPaths(const NodeList& nodes) {
    struct Frame {
        std::string path;
        bool named = false;
        std::int64_t remaining = 0;
        std::int64_t next = 0;
    };
    std::vector<Frame> open;
    std::vector<std::string> paths(nodes.size());
    for (std::size_t k = 1; k < nodes.size(); ++k) {
        std::string parent;
        if (!open.empty()) {
            Frame& frame = open.back();
            parent = frame.path;
            paths[k] =
                frame.named ? frame.path + "[" + std::to_string(frame.next) + "]" : frame.path;
            ++frame.next;
            --frame.remaining;
        }
        // A list node's text is its element count plus one.
        const double elements =
            nodes[k].type() == kNodeList ? TextToNumber(nodes[k].text()) - 1 : 0;
        if (elements >= 1) {
            Frame frame{parent, false, static_cast<std::int64_t>(std::min(elements, 1e9))};
            if (nodes[k - 1].type() == kNodeString) {
                const std::string key = CleanText(nodes[k - 1].text());
                frame.path = parent.empty() ? key : parent + "/" + key;
                frame.named = true;
                paths[k - 1] = paths[k] = frame.path;
            }
            open.push_back(std::move(frame));
            continue;
        }
        while (!open.empty() && open.back().remaining <= 0) {
            open.pop_back();
        }
    }
    return paths;
}

namespace {

std::vector<EntryLabel> Labels(const MissionModel& mission) {
    std::map<std::string, int> seen;
    std::vector<EntryLabel> labels;
    for (const ArchiveEntry& record : mission.archiveDirectory) {
        const std::string name = CleanText(record.name);
        labels.push_back({name, ++seen[name]});
    }
    return labels;
}

// Of `sequence`, the positions of one longest strictly increasing subsequence.
std::vector<bool> LongestIncreasing(const std::vector<int>& sequence) {
    std::vector<int> tails; // index in `sequence` of the smallest tail per length
    std::vector<int> before(sequence.size(), -1);
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), sequence[i], [&](int index, int value) {
                return sequence[static_cast<std::size_t>(index)] < value;
            });
        if (at != tails.begin()) {
            before[i] = *(at - 1);
        }
        if (at == tails.end()) {
            tails.push_back(static_cast<int>(i));
        } else {
            *at = static_cast<int>(i);
        }
    }
    std::vector<bool> kept(sequence.size(), false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0;
         i = before[static_cast<std::size_t>(i)]) {
        kept[static_cast<std::size_t>(i)] = true;
    }
    return kept;
}

void DiffFields(const EntryLabel& label, const ArchiveEntry& a, const ArchiveEntry& b,
                std::vector<FieldChange>& out) {
    const auto field = [&](const char* name, const std::string& before, const std::string& after) {
        if (before != after) {
            out.push_back({label, name, before, after});
        }
    };
    field(kNameField, HexText(a.name), HexText(b.name));
    field(kAux1, std::to_string(a.aux1), std::to_string(b.aux1));
    field(kAuxText, HexText(a.auxText), HexText(b.auxText));
    field(kAux2, std::to_string(a.aux2), std::to_string(b.aux2));
    field(kAux3, std::to_string(a.aux3), std::to_string(b.aux3));
    field(kAux4, std::to_string(a.aux4), std::to_string(b.aux4));
    field(kAux5, std::to_string(a.aux5), std::to_string(b.aux5));
}

bool SameValue(const ReaderNode& a, const ReaderNode& b) {
    return a.type() == b.type() && a.text() == b.text();
}

void DiffValues(const EntryLabel& label, const NodeList& a, const NodeList& b,
                std::vector<ValueChange>& out) {
    const std::size_t countA = a.size() - 1;
    const std::size_t countB = b.size() - 1;
    std::size_t start = 0; // nodes 1 ... start are equal
    while (start < std::min(countA, countB) && SameValue(a[start + 1], b[start + 1])) {
        ++start;
    }
    std::size_t end = 0; // the last `end` nodes are equal
    if (countA != countB) {
        while (end < std::min(countA, countB) - start &&
               SameValue(a[countA - end], b[countB - end])) {
            ++end;
        }
    }
    const std::vector<std::string> pathsA = KeyPaths(a);
    if (countA == countB) {
        for (std::size_t k = start + 1; k <= countA; ++k) {
            if (!SameValue(a[k], b[k])) {
                out.push_back(
                    {ValueChange::Changed, label, static_cast<int>(k), pathsA[k], a[k], b[k]});
            }
        }
        return;
    }
    for (std::size_t k = start + 1; k <= countA - end; ++k) {
        out.push_back(
            {ValueChange::Removed, label, static_cast<int>(k), pathsA[k], a[k], std::nullopt});
    }
    const std::vector<std::string> pathsB = KeyPaths(b);
    for (std::size_t k = start + 1; k <= countB - end; ++k) {
        out.push_back(
            {ValueChange::Added, label, static_cast<int>(k), pathsB[k], std::nullopt, b[k]});
    }
}

} // namespace

MissionDiff DiffMissions(const MissionModel& a, const MissionModel& b) {
    MissionDiff diff;
    const std::vector<EntryLabel> labelsA = Labels(a);
    const std::vector<EntryLabel> labelsB = Labels(b);
    std::map<EntryLabel, int> placeInB;
    for (std::size_t j = 0; j < labelsB.size(); ++j) {
        placeInB[labelsB[j]] = static_cast<int>(j);
    }
    std::map<EntryLabel, int> placeInA;
    std::vector<int> common; // places in b of the paired entries, in a's order
    std::vector<int> commonA;
    for (std::size_t i = 0; i < labelsA.size(); ++i) {
        placeInA[labelsA[i]] = static_cast<int>(i);
        const auto found = placeInB.find(labelsA[i]);
        if (found == placeInB.end()) {
            diff.entries.push_back({EntryChange::Removed, labelsA[i], static_cast<int>(i), -1});
        } else {
            common.push_back(found->second);
            commonA.push_back(static_cast<int>(i));
        }
    }
    for (std::size_t j = 0; j < labelsB.size(); ++j) {
        if (!placeInA.contains(labelsB[j])) {
            diff.entries.push_back({EntryChange::Added, labelsB[j], -1, static_cast<int>(j)});
        }
    }
    const std::vector<bool> kept = LongestIncreasing(common);
    for (std::size_t n = 0; n < common.size(); ++n) {
        const auto i = static_cast<std::size_t>(commonA[n]);
        const auto j = static_cast<std::size_t>(common[n]);
        if (!kept[n]) {
            diff.entries.push_back(
                {EntryChange::Moved, labelsA[i], static_cast<int>(i), static_cast<int>(j)});
        }
        DiffFields(labelsA[i], a.archiveDirectory[i], b.archiveDirectory[j], diff.fields);
        DiffValues(labelsA[i], a.missionEntries[i].nodes, b.missionEntries[j].nodes, diff.values);
    }
    return diff;
}

} // namespace kmission::tool
