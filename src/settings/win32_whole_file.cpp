#include "settings/whole_file.h"

#include <windows.h>

#include <algorithm>

namespace quilvo {

namespace {

// A file handle closed at the end of its scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }
    bool Close() {
        const bool closed = h_ == INVALID_HANDLE_VALUE || CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE file, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
        if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

FileRead ReadWholeFile(const char* path, std::size_t maxBytes, std::string& text) {
    text.clear();
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::kMissing : FileRead::kFailed;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return FileRead::kFailed;
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return FileRead::kTooLong;
    text.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!text.empty() && (!ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
                          read != text.size())) {
        text.clear();
        return FileRead::kFailed;
    }
    return FileRead::kRead;
}

bool ReplaceWholeFile(const char* path, const std::string& text) {
    const std::string temporary = std::string(path) + ".tmp";
    FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    // On the disk before it takes the old file's place: otherwise a power cut right after the
    // move could leave the new name on data never written.
    const bool written = WriteAll(file.get(), text) && FlushFileBuffers(file.get());
    if (!file.Close() || !written ||
        !MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quilvo
