#pragma once

#include <string_view>

namespace kmission::platform {

// Starts the program at `path` (Windows or native, windows-1252) without
// arguments, in its own process with a normal window, and does not wait for
// it. False when the file does not exist or cannot be started. Off Windows a
// Windows program (".exe", ".com") is handed to "wine".
bool StartProgram(std::string_view path);

} // namespace kmission::platform
