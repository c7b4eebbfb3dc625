#pragma once
// What the thread that started a tool does until the tool has ended. Without
// a wait installed it only waits, as a tool or a test without windows wants.
// The program installs the window's own wait (app/busy_window.h): its
// windows keep answering while a tool runs, and Esc ends the tool. Which
// messages wait and what ends a tool is that wait's business; this layer
// only waits, and never without bound.
#include <span>

#include "base/win32.h"

namespace orva {

class ToolWait {
public:
    virtual ~ToolWait() = default;
    // Called on the waiting thread whenever something arrives for it while a
    // tool runs, and now and then besides. Answers what cannot wait; true
    // ends the tool at once.
    virtual bool service() = 0;
    // Called once the tool has ended (or been ended), before anything else.
    virtual void finish() {}
};

// The wait in force on this thread (null: none); installing one returns the
// one replaced.
ToolWait* toolWait();
ToolWait* setToolWait(ToolWait* wait);

// True while this thread waits for a tool through a ToolWait: what a message
// asks for then must not start another tool.
bool waitingForTool();

// Asks for the end of the tool this thread waits for, at the wait's next
// look (within one servicing); nothing when none runs.
void endToolRun();

// Waits until every handle is signalled, one after the other, calling the
// wait's service whenever a message arrives (and every 50 ms). Returns false
// when the service (or endToolRun) asked for the end: the job and the
// process are then ended and waited for, a few seconds at most (the
// threads still reading their streams are cancelled after that). For the
// tool runner.
bool waitServicing(ToolWait& wait, std::span<const HANDLE> handles, HANDLE job, HANDLE process);

// Waits up to `milliseconds` for one handle (a mutex is then owned), with
// the thread's wait serviced as for a tool when one is installed: Ended when
// it asked for the end first.
enum class HandleWait { Signalled, Abandoned, TimedOut, Ended, Failed };
HandleWait waitAnswering(HANDLE handle, DWORD milliseconds);

}  // namespace orva
