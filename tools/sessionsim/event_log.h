// The simulator's log (--log FILE): one line per event, written at once. The lines are listed
// at the top of sessionsim.cpp.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <mutex>
#include <string>

namespace sessionsim {

class EventLog {
public:
    bool Open(const std::string& path) {
        file_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file_ != INVALID_HANDLE_VALUE;
    }
    void Line(std::string text) {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';  // one event, one line
        }
        text += "\r\n";
        std::lock_guard<std::mutex> lock(mu_);
        if (file_ == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    std::mutex mu_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Written by the window threads and the main thread alike.
inline EventLog g_log;

}  // namespace sessionsim
