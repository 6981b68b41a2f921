// A folder of a test's own under the temporary path, for code and programs that read and write
// a Quilvo.ini: the window tests, the end-to-end scenarios and the benchmarks.
#pragma once

#include <windows.h>

#include <string>

#include "sim_client.h"

namespace quilvo::test {

// Made fresh (named after `name`, this process and a count, so that no two tests or runs share
// one), and removed with its Quilvo.ini, read-only or not, at the end. Made the current folder
// when asked, for code that reads and writes ".\Quilvo.ini"; the folder current before is
// current again at the end.
class TempFolder {
public:
    enum Current { kKeep, kEnter };

    explicit TempFolder(const std::string& name = "quilvo-test", Current current = kKeep) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static LONG counter = 0;
        path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(InterlockedIncrement(&counter));
        CreateDirectoryA(path_.c_str(), nullptr);
        RemoveIni();  // left by an earlier run of this process id that ended badly
        if (current == kEnter) {
            GetCurrentDirectoryA(sizeof previous_, previous_);
            entered_ = SetCurrentDirectoryA(path_.c_str()) != 0;
        }
    }
    ~TempFolder() {
        if (entered_) SetCurrentDirectoryA(previous_);
        RemoveIni();
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Whether it was made the current folder, as asked.
    bool Entered() const { return entered_; }

    std::string Ini() const { return path_ + "\\Quilvo.ini"; }
    void WriteIni(const std::string& text) const { sessionsim::detail::WriteWholeFile(Ini(), text); }
    std::string ReadIni() const { return sessionsim::detail::ReadWholeFile(Ini()); }
    bool IniExists() const { return GetFileAttributesA(Ini().c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string IniValue(const char* section, const char* key) const {
        char buf[512] = {};
        GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, Ini().c_str());
        return buf;
    }

private:
    // The settings file and the kept sessions beside it (and a write of them cut short).
    void RemoveIni() const {
        for (const char* file : {"\\Quilvo.ini", "\\Quilvo.sessions", "\\Quilvo.sessions.tmp"}) {
            const std::string path = path_ + file;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }

    std::string path_;
    char previous_[MAX_PATH] = {};
    bool entered_ = false;
};

}  // namespace quilvo::test
