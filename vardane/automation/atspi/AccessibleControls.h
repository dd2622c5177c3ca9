#pragma once

#include "../Compositor.h"
#include "../Controls.h"

#include <memory>

namespace automation {

// Other programs' windows through the desktop's accessibility bus (see
// atspi::Client), which it joins when first asked: the native windows of a
// Wayland session when `nativeWindows`, and on any session the windows of
// programs the window system shows, by their process and title. The
// compositor, where there is one that tells, says which of several windows
// was in front last.
std::unique_ptr<Controls> openAccessibleControls(bool nativeWindows,
                                                 std::shared_ptr<Compositor> compositor);

} // namespace automation
