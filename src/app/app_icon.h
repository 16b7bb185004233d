#pragma once

#include <QIcon>

namespace kmission {

// The program's own icon (the same picture as data/kmission.svg), painted in
// code at the usual sizes so that it needs no image plugin.
QIcon AppIcon();

} // namespace kmission
