// A window handle as pure code sees it: an opaque number, 0 for none.
#pragma once

#include <cstdint>

namespace quilvo {

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

}  // namespace quilvo
