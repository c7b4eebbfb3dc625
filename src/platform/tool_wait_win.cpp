#include "platform/tool_wait.h"

#include <algorithm>

namespace orva {

namespace {

// What wakes the waiting thread: a message sent to it, a window to paint, a
// key, a posted message. A message it has looked at once and left in the
// queue does not wake it again.
constexpr DWORD kWakeFor = QS_SENDMESSAGE | QS_PAINT | QS_KEY | QS_POSTMESSAGE;
// A wake can be missed (a message that arrives while the thread is inside
// the service counts as seen on some systems): the queue is looked at this
// often anyway.
constexpr DWORD kLookEveryMs = 50;
// How long an ended tool and the threads reading its streams get to go.
constexpr DWORD kEndingMs = 5000;
constexpr UINT kEndedExitCode = ERROR_CANCELLED;

// Each thread waits in its own way: the window thread answers its windows,
// a worker thread waits plainly.
thread_local ToolWait* gWait = nullptr;
thread_local int tWaiting = 0;
thread_local bool tEndAsked = false;

// Waits for every handle within one deadline; false when one is left.
bool waitAllWithin(std::span<const HANDLE> handles, ULONGLONG deadline) {
    for (HANDLE handle : handles) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (WaitForSingleObject(handle, left) != WAIT_OBJECT_0) return false;
    }
    return true;
}

// The tool is ended whether or not it is in its job (ending the job ends
// whatever it started besides), and the handles are waited for, with a
// bound: a stream held open by something outside the job has its reading
// thread's read cancelled, and, as a last resort, the thread ended.
void endAndCollect(std::span<const HANDLE> handles, HANDLE job, HANDLE process) {
    if (job != nullptr) TerminateJobObject(job, kEndedExitCode);
    TerminateProcess(process, kEndedExitCode);
    if (waitAllWithin(handles, GetTickCount64() + kEndingMs)) return;
    for (HANDLE handle : handles)
        if (handle != process) CancelSynchronousIo(handle);
    if (waitAllWithin(handles, GetTickCount64() + kEndingMs)) return;
    for (HANDLE handle : handles)
        if (handle != process && WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) TerminateThread(handle, kEndedExitCode);
}

}  // namespace

ToolWait* toolWait() { return gWait; }

ToolWait* setToolWait(ToolWait* wait) {
    ToolWait* previous = gWait;
    gWait = wait;
    return previous;
}

bool waitingForTool() { return tWaiting > 0; }

void endToolRun() {
    if (tWaiting > 0) tEndAsked = true;
}

bool waitServicing(ToolWait& wait, std::span<const HANDLE> handles, HANDLE job, HANDLE process) {
    ++tWaiting;
    tEndAsked = false;
    bool ended = false;
    for (std::size_t next = 0; next < handles.size() && !ended;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handles[next], kLookEveryMs, kWakeFor, 0);
        if (woke == WAIT_OBJECT_0 + 1 || woke == WAIT_TIMEOUT) {
            ended = wait.service() || tEndAsked;
            continue;
        }
        // A wait the system refuses: the handle alone, as often as the queue
        // would have been looked at; a handle that cannot be waited for at
        // all ends the tool.
        if (woke != WAIT_OBJECT_0) {
            const DWORD plain = WaitForSingleObject(handles[next], kLookEveryMs);
            if (plain == WAIT_TIMEOUT) {
                ended = wait.service() || tEndAsked;
                continue;
            }
            if (plain != WAIT_OBJECT_0) {
                ended = true;
                continue;
            }
        }
        ++next;
    }
    tEndAsked = false;
    --tWaiting;
    if (ended) endAndCollect(handles, job, process);
    wait.finish();
    return !ended;
}

HandleWait waitAnswering(HANDLE handle, DWORD milliseconds) {
    const auto outcome = [](DWORD woke) {
        if (woke == WAIT_OBJECT_0) return HandleWait::Signalled;
        if (woke == WAIT_ABANDONED || woke == WAIT_ABANDONED_0 + 1) return HandleWait::Abandoned;
        return woke == WAIT_TIMEOUT ? HandleWait::TimedOut : HandleWait::Failed;
    };
    if (gWait == nullptr) return outcome(WaitForSingleObject(handle, milliseconds));
    ++tWaiting;
    tEndAsked = false;
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    HandleWait result = HandleWait::TimedOut;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLookEveryMs));
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handle, slice, kWakeFor, 0);
        if (woke == WAIT_OBJECT_0 + 1 || woke == WAIT_TIMEOUT) {
            if (gWait->service() || tEndAsked) {
                result = HandleWait::Ended;
                break;
            }
            continue;
        }
        // Refused by the system: the handle alone, for what is left.
        result = outcome(woke == WAIT_FAILED ? WaitForSingleObject(handle, slice) : woke);
        if (result != HandleWait::TimedOut) break;
    }
    tEndAsked = false;
    --tWaiting;
    gWait->finish();
    return result;
}

}  // namespace orva
