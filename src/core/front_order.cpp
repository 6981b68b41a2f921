#include "core/front_order.h"

#include <algorithm>

namespace quilvo {

void FrontOrder::Note(WindowHandle window) {
    if (window == kNoWindow) return;
    order_.erase(std::remove(order_.begin(), order_.end(), window), order_.end());
    order_.insert(order_.begin(), window);
    if (order_.size() > kCapacity) order_.resize(kCapacity);
}

int FrontOrder::Recency(WindowHandle window) const {
    const auto at = std::find(order_.begin(), order_.end(), window);
    return at == order_.end() ? -1 : static_cast<int>(at - order_.begin());
}

}  // namespace quilvo
