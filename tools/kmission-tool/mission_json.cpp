#include "mission_json.h"

#include "codepage.h"
#include "number_text.h"
#include "text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kmission::tool {

namespace {

constexpr std::size_t kFieldBytes = 64;

// Thrown while reading and turned into the refusal: one way out of the nesting.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Quoted(const QString& text) {
    return "\"" + text.toStdString() + "\"";
}

std::int64_t IntegerMember(const QJsonValue& value, const std::string& what, std::int64_t low,
                           std::int64_t high) {
    const double number = value.toDouble(std::numeric_limits<double>::quiet_NaN());
    if (!value.isDouble() || number != std::floor(number) || number < static_cast<double>(low) ||
        number > static_cast<double>(high)) {
        throw Refusal(what + " must be a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high) + ".");
    }
    return static_cast<std::int64_t>(number);
}

// Exactly 2 * kFieldBytes hex digits; QByteArray::fromHex alone would skip
// anything else without a word.
std::string HexField(const QJsonValue& value, const std::string& what) {
    const QByteArray hex = value.toString().toLatin1();
    const bool allDigits = std::all_of(hex.begin(), hex.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (!value.isString() || !allDigits ||
        static_cast<std::size_t>(hex.size()) != 2 * kFieldBytes) {
        throw Refusal(what + " must be " + std::to_string(2 * kFieldBytes) +
                      " hex digits (64 bytes).");
    }
    return QByteArray::fromHex(hex).toStdString();
}

// A text of windows-1252 characters (the C1 controls standing for the five
// undefined bytes); anything else has no byte to be stored as.
std::string CodePageText(const QJsonValue& value, const std::string& what) {
    const std::string utf8 = value.toString().toStdString();
    std::string bytes = Utf8ToCp1252(utf8);
    if (!value.isString() || Cp1252ToUtf8(bytes) != utf8) {
        throw Refusal(what + " must be a text of windows-1252 characters.");
    }
    return bytes;
}

QJsonValue Member(const QJsonObject& object, const char* name, const std::string& where) {
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined()) {
        throw Refusal(where + " has no \"" + name + "\".");
    }
    return value;
}

ReaderNode NodeFromJson(const QJsonValue& value, const std::string& where) {
    const QJsonArray triple = value.toArray();
    if (!value.isArray() || triple.size() != 3) {
        throw Refusal(where + " must be [type, length, text].");
    }
    const auto type = IntegerMember(triple[0], where + ": the type", INT32_MIN, INT32_MAX);
    if (type < kNodeInteger || type > kNodeList) {
        throw Refusal(where + ": unknown type " + std::to_string(type) +
                      " (1 integer, 2 float, 3 string, 4 list).");
    }
    const auto length = IntegerMember(triple[1], where + ": the length", INT32_MIN, INT32_MAX);
    std::string text = CodePageText(triple[2], where + ": the text");
    // Numbers as dump prints them; the texts of the floats that are not
    // finite stand for themselves.
    const bool nonFinite = text == "INF" || text == "-INF" || text == "NAN" || text == "-NAN";
    if (type != kNodeString && !IsNumberText(text) && !(type == kNodeFloat && nonFinite)) {
        throw Refusal(where + ": \"" + Cp1252ToUtf8(text) + "\" is not a number.");
    }
    return ReaderNode(static_cast<std::int32_t>(type), static_cast<std::int32_t>(length),
                      std::move(text));
}

void EntryFromJson(const QJsonValue& value, std::size_t index, MissionModel& mission) {
    std::string where = "entry " + std::to_string(index);
    const QJsonObject object = value.toObject();
    if (!value.isObject()) {
        throw Refusal(where + " is not an object.");
    }
    const QJsonValue name = Member(object, kName, where);
    where += " (" + Quoted(name.toString()) + ")";
    ArchiveEntry record;
    record.name = HexField(Member(object, kNameField, where), where + ": \"nameField\"");
    if (Cp1252ToUtf8(CleanText(record.name)) != name.toString().toStdString()) {
        throw Refusal(where + ": the name does not match \"nameField\", which holds " +
                      Quoted(QString::fromStdString(Cp1252ToUtf8(CleanText(record.name)))) +
                      "; change both.");
    }
    const auto int16 = [&](const char* field) {
        return static_cast<std::int16_t>(IntegerMember(
            Member(object, field, where), where + ": \"" + field + "\"", INT16_MIN, INT16_MAX));
    };
    record.aux1 = static_cast<std::int32_t>(
        IntegerMember(Member(object, kAux1, where), where + ": \"aux1\"", INT32_MIN, INT32_MAX));
    record.auxText = HexField(Member(object, kAuxText, where), where + ": \"auxText\"");
    record.aux2 = int16(kAux2);
    record.aux3 = int16(kAux3);
    record.aux4 = int16(kAux4);
    record.aux5 = int16(kAux5);

    const QJsonValue nodesValue = Member(object, kNodes, where);
    const QJsonArray nodes = nodesValue.toArray();
    if (!nodesValue.isArray()) {
        throw Refusal(where + ": \"nodes\" is not an array.");
    }
    if (nodes.size() > kMaxEntryNodes) {
        throw Refusal(where + " has " + std::to_string(nodes.size()) + " values; an entry holds " +
                      "at most " + std::to_string(kMaxEntryNodes) + ".");
    }
    EntryTree tree;
    tree.name = PadText(CleanText(record.name), kFieldBytes);
    tree.nodes.reserve(static_cast<std::size_t>(nodes.size()) + 1);
    for (qsizetype k = 0; k < nodes.size(); ++k) {
        tree.nodes.push_back(NodeFromJson(nodes[k], where + ", node " + std::to_string(k + 1)));
    }
    mission.archiveDirectory.push_back(std::move(record));
    mission.missionEntries.push_back(std::move(tree));
}

} // namespace

std::string HexText(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::variant<MissionModel, std::string> MissionFromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const auto line = json.left(error.offset).count('\n') + 1;
        return "the JSON is not valid at line " + std::to_string(line) + ": " +
               error.errorString().toStdString() + ".";
    }
    try {
        const QJsonValue entriesValue = document.object().value(QLatin1String(kEntries));
        const QJsonArray entries = entriesValue.toArray();
        if (!entriesValue.isArray()) {
            throw Refusal("the JSON has no \"entries\" array.");
        }
        if (entries.isEmpty() || entries.size() > kMaxArchiveEntries) {
            throw Refusal("an archive holds 1 to " + std::to_string(kMaxArchiveEntries) +
                          " entries, not " + std::to_string(entries.size()) + ".");
        }
        MissionModel mission;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            EntryFromJson(entries[i], static_cast<std::size_t>(i), mission);
        }
        return mission;
    } catch (const Refusal& refusal) {
        return std::string(refusal.what());
    }
}

} // namespace kmission::tool
