// What the benchmarks measure with: the median of a run of figures, and the time a call takes.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

inline double MillisecondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

template <typename F>
double TimeMs(F f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return MillisecondsSince(t0);
}
