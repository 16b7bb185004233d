#pragma once

namespace kmission::platform {

// The application-wide mouse pointer. Both calls may be repeated: the wait
// pointer is set once however often it is asked for, and the default arrow
// removes it whatever came before. Need a QGuiApplication.
void SetWaitCursor();
void SetDefaultCursor();

} // namespace kmission::platform
