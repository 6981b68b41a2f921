// The window system as discovery sees it, on Win32.
#pragma once

#include <windows.h>

#include <vector>

#include "core/discovery.h"
#include "core/discovery_windows.h"

namespace quilvo {

// EnumChildWindows with a WindowVisit: every descendant of root until visit returns false.
void VisitDescendants(HWND root, WindowVisit visit, void* context);

// The ids of the two registered SAP GUI messages; the same in every process.
struct SapMessages {
    UINT getFront = 0;
    UINT setOkCode = 0;
    static SapMessages Register();
};

class Win32DiscoveryWindows : public DiscoveryWindows {
public:
    // replyWaitMs bounds the whole pass's wait for replies: sessions that take longer are
    // recorded with what their fields held, and their answers land when they come. The
    // top-level windows of the thread that makes it are the program's own (see EnumerateAll).
    explicit Win32DiscoveryWindows(UINT getFrontMessage, DWORD replyWaitMs = 250);

    std::uint32_t TickCount() override { return GetTickCount(); }
    // Every window of the desktop, as EnumChildWindows of the desktop visits them, except the
    // descendants of the program's own top-level windows when className is of no class the
    // program makes child windows of: its views hold hundreds of mini windows and buttons,
    // and listing the children of each cost the walk more than half of its requests to the
    // window system. The program's top-level windows themselves are visited.
    void EnumerateAll(const char* className, WindowVisit visit, void* context) override;
    int ClassName(WindowHandle window, char* buf, int maxCount) override;
    int Caption(WindowHandle window, char* buf, int bufSize) override;
    bool NormalPlacement(WindowHandle window, NormalRect* rect, bool* maximized) override;
    bool InWorkspaceCoordinates(WindowHandle window) override;
    bool WindowRect(WindowHandle window, NormalRect* rect) override;
    MonitorList Monitors() override;
    bool Exists(WindowHandle window) override;
    void SessionSeen(WindowHandle window) override;
    SessionClassCache& Classes() override { return classes_; }
    FrontQueryPool& Queries() override;
    bool SendFront(WindowHandle window, int code, FrontToken token) override;
    void AwaitReplies(std::uint32_t pass) override;
    void TakeReplies() override;
    std::uint32_t ReplyWaitMs() const override { return replyWaitMs_; }
    // At the end of the program: lets every reply still to come (of any pass) come in, for at
    // most one pass's wait, so that their atoms are deleted and not left in the desktop's
    // atom table, which every program shares.
    void AwaitOutstandingReplies();

private:
    // Takes replies until done() or the pass's wait is used up.
    template <typename Done>
    void TakeRepliesUntil(Done done);

    UINT getFront_;
    DWORD replyWaitMs_;
    DWORD ownThread_;
    std::vector<HWND> ownWindows_;  // the walk's, refilled at each: its room is kept
    SessionClassCache classes_;
};

// Completion routine of SAP_GET_FRONT: hands the atom's name to the query's completion record
// (which hands it to whoever asked, keyed by the window asked) and deletes the atom in every
// case; no answer leaves the field as it was.
void CALLBACK StoreAtomReply(HWND window, UINT message, ULONG_PTR data, LRESULT result);

}  // namespace quilvo
