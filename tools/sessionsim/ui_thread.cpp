#include "ui_thread.h"

namespace sessionsim {

bool UiThread::Start() {
    DWORD id = 0;
    handle = CreateThread(nullptr, 0, ThreadMain, this, 0, &id);
    return handle && WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0 && root;
}

std::shared_ptr<UiThread::Task> UiThread::Post(std::function<void()> fn) {
    auto task = std::make_shared<Task>();
    task->fn = std::move(fn);
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (ended_ || !root) return nullptr;
        queue_.push_back(task);
    }
    PostMessageA(root, WM_SIM_RUN_TASKS, 0, 0);
    return task;
}

void UiThread::Drain() {
    for (;;) {
        std::shared_ptr<Task> task;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (queue_.empty()) return;
            task = queue_.front();
            queue_.pop_front();
        }
        task->fn();
        SetEvent(task->done);
    }
}

void UiThread::End() {
    std::deque<std::shared_ptr<Task>> dropped;
    {
        std::lock_guard<std::mutex> lock(mu_);
        ended_ = true;
        dropped.swap(queue_);
    }
    for (auto& task : dropped) SetEvent(task->done);
}

DWORD WINAPI UiThread::ThreadMain(LPVOID param) {
    auto* thread = static_cast<UiThread*>(param);
    thread->root = thread->create();
    if (!thread->root) thread->End();
    SetEvent(thread->ready);
    if (!thread->root) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    thread->End();
    return 0;
}

}  // namespace sessionsim
