// The POSIX side of the tool host: PATH, posix_spawn, signals.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>
#include <vector>

#include "files.h"
#include "tool_host.h"

extern char** environ;

namespace orvatool {

namespace {

constexpr int kCaughtSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t gInterruption = 0;
// The signals an InterruptCatcher catches now: those of kCaughtSignals the
// program was not started to ignore.
sigset_t gCaught;
bool gCatching = false;

void noteInterruption(int signal) { gInterruption = signal; }

// A pipe whose ends are closed in every child but the one they are handed to.
bool makePipe(int ends[2]) { return pipe2(ends, O_CLOEXEC) == 0; }

class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

// Reads what a pipe offers now into `bytes` (up to `limit` bytes kept, the
// rest read and dropped); false at its end.
bool readSome(int fd, orva::ByteBuilder& bytes, std::size_t limit, bool& outOfMemory) {
    std::uint8_t scratch[16384];
    const ssize_t got = ::read(fd, scratch, sizeof scratch);
    if (got < 0) return errno == EINTR || errno == EAGAIN;
    if (got == 0) return false;
    const std::size_t keep = bytes.size() >= limit ? 0 : std::min<std::size_t>(limit - bytes.size(), got);
    if (keep > 0 && !outOfMemory && !bytes.append({scratch, keep})) outOfMemory = true;
    return true;
}

// While a catcher is alive its signals stay blocked, except inside the
// waits for a tool, so that an interruption ends the tool run at once
// wherever it arrives, and can never slip in between a look at the flag and
// a wait that would then not end. A run on another thread blocks them too.
class BlockedSignals {
public:
    BlockedSignals() {
        sigset_t all;
        sigemptyset(&all);
        for (const int signal : kCaughtSignals) sigaddset(&all, signal);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
        waiting_ = previous_;
        for (const int signal : kCaughtSignals) sigdelset(&waiting_, signal);
    }
    ~BlockedSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    // The mask inside the waits, and the child's.
    const sigset_t& waiting() const { return waiting_; }

private:
    sigset_t previous_;
    sigset_t waiting_;
};

}  // namespace

std::string_view pdfToolName(PdfTool tool) { return tool == PdfTool::Info ? "pdfinfo" : "pdftoppm"; }

std::expected<std::string, std::string> findPdfTool(orva::Allocator&, PdfTool tool) {
    const std::string name(pdfToolName(tool));
    const char* variable = std::getenv("PATH");
    const std::string path = variable != nullptr ? variable : "/usr/bin:/bin";
    for (std::size_t at = 0; at <= path.size();) {
        std::size_t end = path.find(':', at);
        if (end == std::string::npos) end = path.size();
        const std::string folder = path.substr(at, end - at);
        at = end + 1;
        // An empty entry would mean the current folder: not searched.
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        struct stat status;
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::unexpected(name + " not found in any folder of PATH (Debian: apt-get install poppler-utils)");
}

namespace {

// Starts the tool in `directory`, its input /dev/null, its output to
// `output` (or /dev/null when that is -1) and its error stream to `errors`,
// with the default action for the signals this program catches and the mask
// of `blocked`'s waits. The child's id, or 0 when it could not be started.
pid_t spawnTool(std::vector<char*>& argv, const std::string& directory, int output, int errors,
                const BlockedSignals& blocked) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : kCaughtSignals) {
        if (gCatching && sigismember(&gCaught, signal)) sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigmask(&attributes, &blocked.waiting());
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned == 0 ? child : 0;
}

// Reads both pipes (`output` may be -1: not captured) until they end,
// waiting with the caught signals let through: an interruption ends the
// wait. False when the wait was cut short, the pipes still open.
bool readToEnd(int output, int errors, orva::ByteBuilder& out, orva::ByteBuilder& err, bool& outOfMemory,
               const BlockedSignals& blocked) {
    bool outputOpen = output >= 0, errorOpen = true;
    while (outputOpen || errorOpen) {
        if (interruption() != 0) break;
        fd_set readable;
        FD_ZERO(&readable);
        if (outputOpen) FD_SET(output, &readable);
        if (errorOpen) FD_SET(errors, &readable);
        const int highest = std::max(outputOpen ? output : -1, errorOpen ? errors : -1);
        if (pselect(highest + 1, &readable, nullptr, nullptr, nullptr, &blocked.waiting()) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (outputOpen && FD_ISSET(output, &readable)) outputOpen = readSome(output, out, SIZE_MAX, outOfMemory);
        if (errorOpen && FD_ISSET(errors, &readable)) errorOpen = readSome(errors, err, kKeptErrorBytes, outOfMemory);
    }
    return !outputOpen && !errorOpen;
}

}  // namespace

orva::Result<ToolRun> runPdfTool(orva::Allocator& allocator, std::span<const std::string_view> arguments,
                                 std::string_view workingDirectory, bool captureStdout) {
    if (arguments.empty()) return orva::fail(orva::ErrorCode::SpawnFailed);
    std::vector<std::string> strings(arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    int output[2] = {-1, -1}, errors[2] = {-1, -1};
    if (!makePipe(errors)) return orva::fail(orva::ErrorCode::SpawnFailed);
    Descriptor errorRead(errors[0]), errorWrite(errors[1]);
    Descriptor outputRead, outputWrite;
    if (captureStdout) {
        if (!makePipe(output)) return orva::fail(orva::ErrorCode::SpawnFailed);
        outputRead.reset(output[0]);
        outputWrite.reset(output[1]);
    }

    const BlockedSignals blocked;
    if (interruption() != 0) return orva::fail(orva::ErrorCode::Canceled);
    const pid_t child = spawnTool(argv, std::string(workingDirectory), captureStdout ? outputWrite.get() : -1,
                                  errorWrite.get(), blocked);
    // The child holds its own copies of the write ends; ours would keep the
    // pipes open.
    errorWrite.reset();
    outputWrite.reset();
    if (child == 0) return orva::fail(orva::ErrorCode::SpawnFailed);

    orva::ByteBuilder out(allocator), err(allocator);
    bool outOfMemory = false;
    // The pipes have ended, so the child has ended or is about to; unless
    // the wait was cut short, by an interruption or a failing wait.
    const bool stop = !readToEnd(captureStdout ? outputRead.get() : -1, errorRead.get(), out, err, outOfMemory, blocked);
    if (stop) ::kill(child, SIGKILL);
    int status = 0;
    for (;;) {
        const pid_t waited = ::waitpid(child, &status, 0);
        if (waited == child) break;
        if (waited < 0 && errno != EINTR) return orva::fail(orva::ErrorCode::WaitFailed);
    }
    if (interruption() != 0) return orva::fail(orva::ErrorCode::Canceled);
    if (stop) return orva::fail(orva::ErrorCode::WaitFailed);
    if (outOfMemory) return orva::fail(orva::ErrorCode::OutOfMemory);
    ToolRun run;
    run.standardOutput = out.take();
    run.standardError = err.take();
    run.exitCode = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status))
                                     : 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    return run;
}

namespace {

void* runTask(void* task) {
    static_cast<BackgroundTask*>(task)->run();
    return nullptr;
}

}  // namespace

bool BackgroundTask::start(void (*work)(void*), void* context) {
    join();
    work_ = work;
    context_ = context;
    auto* thread = new (std::nothrow) pthread_t;
    if (thread == nullptr || pthread_create(thread, nullptr, runTask, this) != 0) {
        delete thread;
        return false;
    }
    thread_ = thread;
    return true;
}

void BackgroundTask::join() {
    if (thread_ == nullptr) return;
    auto* thread = static_cast<pthread_t*>(thread_);
    pthread_join(*thread, nullptr);
    delete thread;
    thread_ = nullptr;
}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

namespace {
struct sigaction gPrevious[std::size(kCaughtSignals)];
sigset_t gPreviousMask;
}  // namespace

InterruptCatcher::InterruptCatcher() {
    gInterruption = 0;
    sigemptyset(&gCaught);
    struct sigaction action{};
    action.sa_handler = noteInterruption;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait the signal arrives in ends with EINTR.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < std::size(kCaughtSignals); ++i) {
        sigaction(kCaughtSignals[i], nullptr, &gPrevious[i]);
        // A signal the program was started to ignore (nohup) stays ignored.
        if (gPrevious[i].sa_handler == SIG_IGN) continue;
        sigaction(kCaughtSignals[i], &action, nullptr);
        sigaddset(&gCaught, kCaughtSignals[i]);
    }
    pthread_sigmask(SIG_BLOCK, &gCaught, &gPreviousMask);
    gCatching = true;
}

InterruptCatcher::~InterruptCatcher() {
    // What arrived meanwhile is noted as the mask is lifted, then the
    // actions are as they were.
    pthread_sigmask(SIG_SETMASK, &gPreviousMask, nullptr);
    for (std::size_t i = 0; i < std::size(kCaughtSignals); ++i) sigaction(kCaughtSignals[i], &gPrevious[i], nullptr);
    gCatching = false;
}

int interruption() {
    if (gInterruption != 0 || !gCatching) return gInterruption;
    // One that waits, blocked, to be noted counts already.
    sigset_t pending;
    sigpending(&pending);
    for (const int signal : kCaughtSignals) {
        if (sigismember(&gCaught, signal) && sigismember(&pending, signal)) return signal;
    }
    return 0;
}

void interruptionHandled() {}

}  // namespace orvatool
