#include "core/drag_state.h"

namespace quilvo {

DragState g_dragState = {};

}  // namespace quilvo
