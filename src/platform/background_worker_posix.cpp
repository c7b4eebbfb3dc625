// The native build runs no background jobs: the viewer that needs them is a
// Windows program, and the native build only proves and tests its pure part.
#include "platform/background_worker.h"

namespace orva {

struct BackgroundWorker::State {};

BackgroundWorker::BackgroundWorker(Allocator& allocator, HWND__*, unsigned, std::uintptr_t) : allocator_(allocator) {}
BackgroundWorker::~BackgroundWorker() = default;
Status BackgroundWorker::submit(ToolJob&&) { return fail(ErrorCode::NotSupported); }
void BackgroundWorker::cancel(std::uint32_t) {}
bool BackgroundWorker::pending(std::uint32_t) const { return false; }
bool BackgroundWorker::anyFinished() const { return false; }
OwnedArray<ToolJob> BackgroundWorker::takeFinished() { return {}; }
std::uint64_t BackgroundWorker::started() const { return 0; }

}  // namespace orva
