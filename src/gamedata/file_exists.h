#pragma once

#include <string_view>

namespace kmission {

// True when listing the directory for `path` yields at least one normal file:
// false for the empty path (nothing is asked of the file system), for
// directories and for any error. `*` and `?` in the last component are
// wildcards; the path then exists when anything matches.
bool FileExists(std::string_view path);

} // namespace kmission
