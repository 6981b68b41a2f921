#include "core/drag_state.h"

#include "core/wait_scope.h"

namespace quilvo {

DragState g_dragState = {};
int WaitScope::depth_ = 0;
bool WaitScope::held_ = false;
void (*WaitScope::release_)() = nullptr;

}  // namespace quilvo
