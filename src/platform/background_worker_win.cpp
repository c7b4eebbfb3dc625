#include "platform/background_worker.h"

#include <condition_variable>
#include <mutex>

#include "base/scoped_win.h"
#include "platform/tool_runner.h"

namespace orva {

struct BackgroundWorker::State {
    State(Allocator& allocator, HWND window, UINT message, std::uintptr_t cookie)
        : allocator(allocator), window(window), message(message), cookie(cookie), queue(allocator),
          finished(allocator) {}

    Allocator& allocator;
    const HWND window;
    const UINT message;
    const std::uintptr_t cookie;

    std::mutex lock;
    std::condition_variable wake;
    GrowableArray<ToolJob> queue;
    GrowableArray<ToolJob> finished;
    // The job being run, while one runs.
    bool running = false;
    std::uint32_t runningKind = 0;
    ToolRunControl* control = nullptr;
    bool stopping = false;
    std::uint64_t started = 0;
    UniqueHandle thread;

    // The most urgent job: the lowest priority number, the oldest of equals.
    std::size_t nextIndex() const {
        std::size_t best = 0;
        for (std::size_t i = 1; i < queue.size(); ++i) {
            if (queue[i].priority < queue[best].priority) best = i;
        }
        return best;
    }

    void run(ToolJob& job, ToolRunControl& runControl) {
        auto arguments = OwnedArray<std::string_view>::create(allocator, job.arguments.size());
        if (!arguments) {
            job.outcome = fail(arguments.error());
            return;
        }
        for (std::size_t i = 0; i < job.arguments.size(); ++i) (*arguments)[i] = job.arguments[i].view();
        auto result = runTool(allocator, arguments->span(), ".", job.environment ? &*job.environment : nullptr, true,
                              StandardError::Drain, &runControl);
        if (!result) {
            job.outcome = fail(result.error());
            return;
        }
        job.output = std::move(result->standardOutput);
        job.exitCode = result->exitCode;
    }

    void loop() {
        std::unique_lock hold(lock);
        for (;;) {
            wake.wait(hold, [this] { return stopping || !queue.empty(); });
            if (stopping) return;
            ToolJob job = queue.remove(nextIndex());
            ToolRunControl runControl;
            running = true;
            runningKind = job.kind;
            control = &runControl;
            ++started;
            hold.unlock();
            run(job, runControl);
            hold.lock();
            running = false;
            control = nullptr;
            if (stopping) return;
            // Nothing to keep it in: the job is dropped, as its owner would
            // drop it once told.
            if (!finished.push(std::move(job))) continue;
            PostMessageA(window, message, cookie, 0);
        }
    }
};

namespace {

DWORD WINAPI workerMain(void* state) {
    static_cast<BackgroundWorker::State*>(state)->loop();
    return 0;
}

}  // namespace

BackgroundWorker::BackgroundWorker(Allocator& allocator, HWND__* window, unsigned message, std::uintptr_t cookie)
    : allocator_(allocator) {
    if (auto state = Owned<State>::make(allocator, allocator, window, message, cookie)) state_ = std::move(*state);
}

BackgroundWorker::~BackgroundWorker() {
    if (!state_) return;
    {
        const std::lock_guard hold(state_->lock);
        state_->stopping = true;
        state_->queue.clear();
        if (state_->control != nullptr) state_->control->end();
    }
    state_->wake.notify_all();
    // Bounded: the running tool has been ended, and the thread only gives
    // back what it holds before it returns.
    if (state_->thread) WaitForSingleObject(state_->thread.get(), INFINITE);
}

Status BackgroundWorker::submit(ToolJob&& job) {
    if (!state_) return fail(ErrorCode::OutOfMemory);
    {
        const std::lock_guard hold(state_->lock);
        if (!state_->thread) {
            // A small stack: the thread only runs the tool and reads its
            // output into the heap.
            state_->thread = UniqueHandle(CreateThread(nullptr, 256 * 1024, workerMain, state_.get(),
                                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
            if (!state_->thread) return fail(ErrorCode::SpawnFailed);
        }
        if (auto queued = state_->queue.push(std::move(job)); !queued) return queued;
    }
    state_->wake.notify_one();
    return {};
}

void BackgroundWorker::cancel(std::uint32_t kind) {
    if (!state_) return;
    const std::lock_guard hold(state_->lock);
    for (std::size_t i = state_->queue.size(); i-- > 0;) {
        if (state_->queue[i].kind == kind) (void)state_->queue.remove(i);
    }
    if (state_->running && state_->runningKind == kind && state_->control != nullptr) state_->control->end();
}

bool BackgroundWorker::pending(std::uint32_t kind) const {
    if (!state_) return false;
    const std::lock_guard hold(state_->lock);
    if (state_->running && state_->runningKind == kind) return true;
    for (const ToolJob& job : state_->queue.span()) {
        if (job.kind == kind) return true;
    }
    return false;
}

bool BackgroundWorker::anyFinished() const {
    if (!state_) return false;
    const std::lock_guard hold(state_->lock);
    return state_->finished.size() != 0;
}

OwnedArray<ToolJob> BackgroundWorker::takeFinished() {
    if (!state_) return {};
    const std::lock_guard hold(state_->lock);
    return state_->finished.take();
}

std::uint64_t BackgroundWorker::started() const {
    if (!state_) return 0;
    const std::lock_guard hold(state_->lock);
    return state_->started;
}

}  // namespace orva
