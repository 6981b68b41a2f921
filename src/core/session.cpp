#include "core/session.h"

#include <cstring>

namespace quilvo {

void SessionTable::Clear() {
    std::memset(records, 0, sizeof records);
    count = 0;
}

}  // namespace quilvo
