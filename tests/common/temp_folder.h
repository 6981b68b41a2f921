// A folder of a test's own under the temporary path, for code and programs that read and write
// a Quilvo.ini: the window tests, the end-to-end scenarios and the benchmarks.
#pragma once

#include <windows.h>

#include <string>

#include "sim_client.h"

namespace quilvo::test {

// Made fresh and empty (named after `name`, this process and a count, so that no two tests or
// runs share one), and removed with every file in it, read-only or not, at the end. Made the
// current folder when asked, for code that reads and writes ".\Quilvo.ini"; the folder current
// before is current again at the end.
class TempFolder {
public:
    enum Current { kKeep, kEnter };

    explicit TempFolder(const std::string& name = "quilvo-test", Current current = kKeep) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static LONG counter = 0;
        path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(InterlockedIncrement(&counter));
        RemoveAll();  // left by an earlier run of this process id that ended badly
        CreateDirectoryA(path_.c_str(), nullptr);
        if (current == kEnter) {
            GetCurrentDirectoryA(sizeof previous_, previous_);
            entered_ = SetCurrentDirectoryA(path_.c_str()) != 0;
        }
    }
    ~TempFolder() {
        if (entered_) SetCurrentDirectoryA(previous_);
        RemoveAll();
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
    void RemoveAll() const {
        WIN32_FIND_DATAA found = {};
        HANDLE walk = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (walk != INVALID_HANDLE_VALUE) {
            do {
                const std::string file = path_ + "\\" + found.cFileName;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(walk, &found));
            FindClose(walk);
        }
        RemoveDirectoryA(path_.c_str());
    }

    std::string path_;
    char previous_[MAX_PATH] = {};
    bool entered_ = false;
};

}  // namespace quilvo::test
