// Whether a path of the program keeps GDI objects, seen from the slots of the GDI handle table
// that a process's next objects would take. Wine gives a process's freed slots out again, the
// last freed first (and GetGuiResources answers 0 there): a path that deletes all it makes
// leaves those next slots as they were, while one that keeps a single object per run takes a
// slot away for good at every run, so that after a few dozen runs hardly one of them is the
// same. This shows in a few hundred runs what running past the table's 65,536 handles showed
// in seventy thousand.
#pragma once

#include <windows.h>

#include <set>
#include <vector>

namespace quilvo::test {

class GdiSlots {
public:
    // How many next slots are looked at: more than a path holds at once.
    static constexpr int kCount = 32;
    // Of the next slots, how many may change without a leak: an object made before the first
    // reading and deleted by the path (the brush a recolour replaces) puts its slot first, and
    // the process may paint while the slots are read. Measured: 0 to 2.
    static constexpr int kTolerated = 4;

    // This process's.
    GdiSlots() = default;
    // Another process's, which has gdi32.dll loaded: threads started in it make and delete the
    // objects. A system library lies at the same address in every process.
    explicit GdiSlots(HANDLE process) : process_(process) {}

    // The slots the next kCount objects would take (made and deleted again, the last first).
    std::set<unsigned> Next() const {
        std::vector<DWORD> made;
        for (int i = 0; i < kCount; ++i) made.push_back(Make(RGB(i, 0, 0)));
        std::set<unsigned> slots;
        for (DWORD handle : made) slots.insert(handle & 0xFFFF);  // the rest counts its reuses
        for (auto it = made.rbegin(); it != made.rend(); ++it) Delete(*it);
        return slots;
    }
    // How many of the slots read before are no longer among the next ones.
    int Taken(const std::set<unsigned>& before) const {
        const std::set<unsigned> now = Next();
        int taken = 0;
        for (unsigned slot : before) taken += now.count(slot) == 0;
        return taken;
    }

private:
    DWORD Make(COLORREF colour) const {
        if (process_ == nullptr)
            return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(CreateSolidBrush(colour)));
        return Run("CreateSolidBrush", colour);
    }
    void Delete(DWORD handle) const {
        if (process_ == nullptr) {
            DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)));
        } else {
            Run("DeleteObject", handle);
        }
    }
    // A function of gdi32.dll called with one argument on a thread of the other process; what it
    // returned (a handle's low 32 bits, which hold all of a GDI handle).
    DWORD Run(const char* function, UINT_PTR argument) const {
        void* const code = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("gdi32.dll"), function));
        HANDLE thread = CreateRemoteThread(process_, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(code),
                                           reinterpret_cast<void*>(argument), 0, nullptr);
        if (thread == nullptr) return 0;
        DWORD result = 0;
        if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0 || !GetExitCodeThread(thread, &result)) result = 0;
        CloseHandle(thread);
        return result;
    }

    HANDLE process_ = nullptr;
};

}  // namespace quilvo::test
