#include "refresh_fakes.h"

namespace quilvo::fake {

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
