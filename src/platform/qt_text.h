#pragma once

#include "codepage.h"

#include <QString>
#include <string>
#include <string_view>

namespace kmission::platform {

// Texts of the game (windows-1252 bytes) for Qt, and back.
inline QString FromCp1252(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

inline std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toUtf8().toStdString());
}

} // namespace kmission::platform
