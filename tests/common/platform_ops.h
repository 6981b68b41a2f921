// The program's own session window operations, with a session worker of their own.
#pragma once

#include "commands/win32_session_ops.h"
#include "platform/session_worker.h"

namespace quilvo::test {

struct PlatformOps {
    SessionWorker worker;
    Win32SessionOps ops{worker};
};

}  // namespace quilvo::test
