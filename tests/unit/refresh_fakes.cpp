#include "refresh_fakes.h"

#include <cstring>

#include "core/discovery.h"
#include "core/text.h"

namespace quilvo::fake {

DesktopSession& FakeDesktop::Add(WindowHandle window, const char* system, const char* client,
                                 const char* user, const char* transaction, const char* caption) {
    DesktopSession s = {};
    s.window = window;
    CopyCut(s.caption, caption);
    s.rect = NormalRect{10, 20, 410, 320};
    CopyCut(s.system, system);
    CopyCut(s.client, client);
    CopyCut(s.user, user);
    CopyCut(s.transaction, transaction);
    CopyCut(s.serverGroup, "GRP");
    sessions_.push_back(s);
    return sessions_.back();
}

DesktopSession* FakeDesktop::Find(WindowHandle window) {
    for (DesktopSession& s : sessions_)
        if (s.window == window) return &s;
    return nullptr;
}

void FakeDesktop::Remove(WindowHandle window) {
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it)
        if (it->window == window) {
            sessions_.erase(it);
            return;
        }
}

void FakeDesktop::EnumerateAll(WindowVisit visit, void* context) {
    ++enumerations;
    for (const DesktopSession& s : sessions_)
        if (!visit(s.window, context)) return;
}

int FakeDesktop::ClassName(WindowHandle window, char* buf, int maxCount) {
    if (Find(window) == nullptr || maxCount <= 0) return 0;
    CopyCut(buf, static_cast<std::size_t>(maxCount), kDefaultSessionClass);
    return static_cast<int>(std::strlen(buf));
}

int FakeDesktop::Caption(WindowHandle window, char* buf, int bufSize) {
    DesktopSession* s = Find(window);
    if (s == nullptr || bufSize <= 0) return 0;
    CopyCut(buf, static_cast<std::size_t>(bufSize), s->caption);
    return static_cast<int>(std::strlen(buf));
}

bool FakeDesktop::NormalPlacement(WindowHandle window, NormalRect* rect) {
    DesktopSession* s = Find(window);
    if (s == nullptr) return false;
    *rect = s->rect;
    return true;
}

bool FakeDesktop::SendFront(WindowHandle window, int code, FrontToken token) {
    DesktopSession* s = Find(window);
    if (s == nullptr) return false;
    const char* answer = nullptr;
    switch (code) {
        case kFrontClient: answer = s->client; break;
        case kFrontServerGroup: answer = s->serverGroup; break;
        case kFrontUser: answer = s->user; break;
        case kFrontSystem: answer = s->system; break;
        case kFrontTransaction: answer = s->transaction; break;
        default: break;
    }
    pool_.Complete(token, answer);
    return true;
}

FakeView::FakeView(ViewRecord& record, BoxList* const* lists, int boxCount) : record_(record) {
    record_.held.assign(lists, lists + boxCount);
    record_.destroyed = false;
}

FakeView::~FakeView() { record_.destroyed = true; }

void FakeView::CreatePanels() {
    record_.calls.push_back("CreatePanels");
    ReadHeldLists(record_);
}

void FakeView::UpdatePanels(BoxList* const* lists) {
    record_.calls.push_back("UpdatePanels");
    for (std::size_t i = 0; i < record_.held.size(); ++i) record_.held[i] = lists[i];
    ReadHeldLists(record_);
    if (record_.onUpdate) record_.onUpdate();
}

void ReadHeldLists(const ViewRecord& record) {
    volatile WindowHandle sum = 0;
    for (const BoxList* list : record.held)
        for (int i = 0; i < list->count; ++i) sum = sum + list->items[i].window;
}

std::unique_ptr<OverviewView> FakeViewFactory::CreateToolWindowView(WindowHandle mainWindow,
                                                                    BoxList* const* lists, int boxCount) {
    ++toolCreations;
    tool.kind = "tool";
    tool.mainWindow = mainWindow;
    tool.boxCount = boxCount;
    return std::make_unique<FakeView>(tool, lists, boxCount);
}

std::unique_ptr<OverviewView> FakeViewFactory::CreateSingleView(BoxList* const* lists, int boxCount, int width,
                                                                int height) {
    ++singleCreations;
    single.kind = "single";
    single.boxCount = boxCount;
    single.width = width;
    single.height = height;
    return std::make_unique<FakeView>(single, lists, boxCount);
}

}  // namespace quilvo::fake
