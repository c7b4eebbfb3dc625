#pragma once
// What the thread that started a tool does until the tool has ended. Without
// a wait installed it only waits, as a tool or a test without windows wants.
// The program installs `windowAnsweringWait`: its windows keep answering
// while a tool runs, and Esc ends the tool.
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

// The program's wait: messages sent to the thread's windows are answered as
// they come and windows that need it are repainted; an Esc key for one of
// them ends the tool (and is used up). Other keys are held and put back in
// their order once the tool has ended; any other input stays queued.
ToolWait& windowAnsweringWait();

// True while this thread waits for a tool through a ToolWait: what a message
// asks for then must not start another tool.
bool waitingForTool();

// A window procedure's first look at a message while a tool runs. The wait
// cursor stays; Esc ends the tool; input and commands sent rather than posted
// are posted back to the window, to be handled once the tool has ended.
// Returns true when the message was dealt with (its result is `result`).
bool holdWhileToolRuns(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Waits until every handle is signalled, one after the other, calling the
// wait's service whenever a message arrives (and every 50 ms). Returns false
// when the service (or an Esc sent to a window) asked for the end: the job is
// then ended (the process, when there is no job) and waited for. For the
// tool runner.
bool waitServicing(ToolWait& wait, std::span<const HANDLE> handles, HANDLE job, HANDLE process);

}  // namespace orva
