// Drives real OrvaReader processes for the soak run (scripts/soak), one phase
// per call:
//
//   soak_driver --phase NAME --doc DOC --ref DIR --steps N
//               [--viewer LABEL=TEMP]... [--tmp DIR] [--mix mixed|onward]
//               [--mode plain|leftover|fill|slow] [--check-every N] [--seed N]
//               [--slow DIR] [--budget-mb N] [--bound-mb N] [--results FILE]
//
// Every --viewer starts one viewer on DOC with TEMP set to that folder (all
// of them at once, each paged by a thread of its own); without one, a single
// viewer with this program's TEMP. A folder given as "8.3:PATH" is passed in
// its short (8.3) spelling. DIR holds the pages as they should look,
// page-1.ppm, page-2.ppm, ... at the document's own pixel size.
//
// Steps are real messages to the main window: keys, clicks on thumbnails,
// Edit menu commands and wheel turns. After each step the title is read and
// what the screen shows is compared with the page the title names: pages of
// a single colour at the current zoom after every step, any page pixel for
// pixel at actual size every --check-every steps. Message boxes of the
// viewers are read and dismissed as they come. Private bytes, working set,
// handles and GDI objects of every viewer are sampled at the start, middle
// and end of the phase; files left under TEMP\Orva are counted once the
// viewers have closed.
//
// --mix frontback pages from the first page to the last and back (steps:
// twice the page count less one). --budget-mb gives the viewers that page
// budget (ORVA_PAGE_MEMORY_MB); with --bound-mb, private bytes are sampled
// after every step and a viewer fails when they rise more than N MiB above
// their value at the start.
//
// --mode leftover holds a stale page file open inside the work folder during
// the middle half of the run (as a scanner or indexer may hold one);
// --mode fill fills TEMP during the middle third, where renders must fail
// with a message, and checks that the viewer recovers once space is back.
// --mode slow renders through the stand-in tool, which hands every page to
// the real pdftoppm except that, once in a while, the next render hangs
// (its control and claim files in DIR): the viewer must answer a sent
// message within 2 s meanwhile, and Esc must end the tool within 1 s. A
// hanging neighbour is left out silently; a hanging target ends the page
// change with its message, on the page it showed.
//
// One tab-separated row a viewer is appended to FILE; the exit status is 0
// when every viewer's row passed.
#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "base/win32.h"
#include "support/child_process_win.h"
#include "support/process_measure_win.h"
#include "support/soak_rules.h"
#include "support/wide_text_win.h"

using orva::testing::ChildProcess;
using orva::testing::narrow;
using orva::testing::windowText;
using orva::testing::widen;
namespace soak = orva::soak;

namespace {

std::mutex gPrintLock;

void say(const char* format, ...) {
    std::lock_guard lock(gPrintLock);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

// ---- Options ---------------------------------------------------------------

struct ViewerSetup {
    std::string label;
    std::wstring temp;
};

struct Options {
    std::string phase = "soak";
    std::wstring doc;
    std::wstring refDir;
    std::uint64_t steps = 200;
    std::vector<ViewerSetup> viewers;
    std::wstring tmp;
    bool onward = false;
    bool frontBack = false;
    std::uint64_t budgetMb = 0, boundMb = 0;
    std::string mode = "plain";
    std::uint64_t checkEvery = 8;
    std::uint64_t seed = 1;
    std::wstring results;
    std::wstring slowDir;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--phase") options.phase = value;
        else if (key == "--doc") options.doc = widen(value);
        else if (key == "--ref") options.refDir = widen(value);
        else if (key == "--steps") options.steps = std::strtoull(value.c_str(), nullptr, 10);
        else if (key == "--tmp") options.tmp = widen(value);
        else if (key == "--mix") options.onward = value == "onward", options.frontBack = value == "frontback";
        else if (key == "--budget-mb") options.budgetMb = std::strtoull(value.c_str(), nullptr, 10);
        else if (key == "--bound-mb") options.boundMb = std::strtoull(value.c_str(), nullptr, 10);
        else if (key == "--mode") options.mode = value;
        else if (key == "--check-every") options.checkEvery = std::max<std::uint64_t>(1, std::strtoull(value.c_str(), nullptr, 10));
        else if (key == "--seed") options.seed = std::strtoull(value.c_str(), nullptr, 10);
        else if (key == "--results") options.results = widen(value);
        else if (key == "--slow") options.slowDir = widen(value);
        else if (key == "--viewer") {
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos) return false;
            std::wstring temp = widen(value.substr(equals + 1));
            // "8.3:PATH": the short form of PATH, as the file system gives it.
            if (temp.starts_with(L"8.3:")) {
                temp.erase(0, 4);
                wchar_t shortForm[MAX_PATH + 1] = {};
                const DWORD length = GetShortPathNameW(temp.c_str(), shortForm, MAX_PATH);
                if (length == 0 || length > MAX_PATH || temp == shortForm) {
                    std::fprintf(stderr, "soak: %s has no short form\n", narrow(temp).c_str());
                    return false;
                }
                temp = shortForm;
            }
            options.viewers.push_back({value.substr(0, equals), temp});
        } else {
            return false;
        }
    }
    if (options.viewers.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
        options.viewers.push_back({"1", temp});
    }
    return !options.doc.empty() && !options.refDir.empty() && options.steps >= 4;
}

// ---- Reference pages ------------------------------------------------------

std::vector<std::uint8_t> readFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// How far a pixel on screen may be from a one-colour page's colour, in each
// channel.
constexpr int kColourTolerance = 6;

struct Reference {
    std::uint32_t width = 0, height = 0;
    std::optional<std::uint32_t> solid;
    soak::CompareRegion region;       // the part of the page compared at actual size
    std::vector<std::uint32_t> crop;  // the page's pixels in that region
};

// Every page's size, its colour when it has only one, and the part of it the
// viewer shows at actual size in a client area of the given size.
bool loadReferences(const std::wstring& folder, std::uint64_t count, const orva::ClientArea& client,
                    std::vector<Reference>& out) {
    for (std::uint64_t page = 1; page <= count; ++page) {
        const std::wstring path = folder + L"\\page-" + std::to_wstring(page) + L".ppm";
        auto image = soak::parsePpm(readFile(path));
        if (!image) {
            say("soak: cannot read the reference %s\n", narrow(path).c_str());
            return false;
        }
        Reference ref;
        ref.width = image->width;
        ref.height = image->height;
        ref.solid = image->solidColour();
        ref.region = soak::actualSizeRegion(client, image->width, image->height);
        for (std::int32_t y = 0; y < ref.region.height; ++y)
            for (std::int32_t x = 0; x < ref.region.width; ++x)
                ref.crop.push_back(image->at(ref.region.pageX + x, ref.region.pageY + y));
        out.push_back(std::move(ref));
    }
    // One-colour pages are told apart by their colour alone.
    std::vector<std::optional<std::uint32_t>> colours;
    for (const auto& ref : out) colours.push_back(ref.solid);
    if (const auto pair = soak::lookAlikePages(colours, kColourTolerance)) {
        say("soak: pages %zu and %zu have colours too close to tell apart\n", pair->first + 1, pair->second + 1);
        return false;
    }
    return true;
}

// ---- The screen ----------------------------------------------------------

// Pixels (0xRRGGBB) of a rectangle of the window's client area as the screen
// shows it.
std::vector<std::uint32_t> capture(HWND window, const soak::CompareRegion& region) {
    std::vector<std::uint32_t> pixels;
    if (region.empty()) return pixels;
    POINT corner{region.left, region.top};
    ClientToScreen(window, &corner);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = region.width;
    info.bmiHeader.biHeight = -region.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, region.width, region.height, screen, corner.x, corner.y, SRCCOPY)) {
            GdiFlush();
            const auto* words = static_cast<const std::uint32_t*>(bits);
            pixels.assign(words, words + std::size_t(region.width) * region.height);
            for (auto& p : pixels) p &= 0xFFFFFF;
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

orva::ClientArea clientArea(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The client area with both scroll bars shown, whatever shows now.
orva::ClientArea smallestClientArea(HWND window) {
    orva::ClientArea client = clientArea(window);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    if (!(style & WS_VSCROLL)) client.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (!(style & WS_HSCROLL)) client.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    return client;
}

bool operator==(const orva::ClientArea& a, const orva::ClientArea& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// ---- Measuring another process --------------------------------------------

const char* gGdiSource = "";

soak::Sample measure(HANDLE process, DWORD pid) { return soak::measureProcess(process, pid, &gGdiSource); }

// ---- Message boxes -------------------------------------------------------

struct SeenMessage {
    std::size_t viewer;
    std::string text;
    bool expected;
};

// Finds every visible dialog of a watched process, records its text and
// presses its OK button, polling until stopped.
class MessageWatcher {
public:
    void watch(DWORD pid, std::size_t viewer) {
        std::lock_guard lock(mutex_);
        pids_[pid] = viewer;
    }
    void expectMessages(std::size_t viewer, bool expected) {
        std::lock_guard lock(mutex_);
        expected_[viewer] = expected;
    }
    void start() {
        thread_ = std::thread([this] { run(); });
    }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // The viewer's messages from the `from`th on were expected after all.
    void expectSince(std::size_t viewer, std::size_t from) {
        std::lock_guard lock(mutex_);
        std::size_t index = 0;
        for (auto& m : seen_)
            if (m.viewer == viewer && index++ >= from) m.expected = true;
    }
    std::vector<SeenMessage> messages(std::size_t viewer) {
        std::lock_guard lock(mutex_);
        std::vector<SeenMessage> out;
        for (const auto& m : seen_)
            if (m.viewer == viewer) out.push_back(m);
        return out;
    }

private:
    void run() {
        while (!stop_) {
            std::vector<HWND> boxes;
            {
                std::lock_guard lock(mutex_);
                for (HWND box : dialogs()) boxes.push_back(box);
            }
            for (HWND box : boxes) handle(box);
            Sleep(20);
        }
    }
    std::vector<HWND> dialogs() {
        struct Search {
            const std::map<DWORD, std::size_t>* pids;
            std::vector<HWND> found;
        } search{&pids_, {}};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (s->pids->count(pid) && std::wstring(name) == L"#32770" && IsWindowVisible(window))
                    s->found.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    void handle(HWND box) {
        if (handled_.count(box) && GetTickCount64() - handled_[box] < 3000) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        wchar_t text[2048] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 2048);
        const std::string caption = windowText(box);
        {
            std::lock_guard lock(mutex_);
            const std::size_t viewer = pids_[pid];
            seen_.push_back({viewer, caption + ": " + narrow(text), expected_[viewer]});
        }
        handled_[box] = GetTickCount64();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }

    std::mutex mutex_;
    std::map<DWORD, std::size_t> pids_;
    std::map<std::size_t, bool> expected_;
    std::vector<SeenMessage> seen_;
    std::map<HWND, ULONGLONG> handled_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

MessageWatcher gWatcher;

// ---- One viewer ------------------------------------------------------------

std::wstring programFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

// This program's environment with TEMP and TMP replaced.
struct WrongPage {
    std::uint64_t step;
    std::uint64_t claimed;  // 0-based
    std::string shown;
};

struct ViewerRun {
    std::size_t index = 0;
    ViewerSetup setup;
    std::unique_ptr<ChildProcess> process;
    HWND window = nullptr;
    orva::ClientArea smallest;  // with both scroll bars: the references are cut for it
    std::uint64_t pageCount = 0;

    // Results.
    soak::Sample start, middle, end;
    std::uint64_t peakPrivate = 0;
    std::uint64_t cacheAtMiddle = 0, cacheAtEnd = 0;
    std::size_t messagesAtMiddle = 0;
    std::uint64_t steps = 0, pageChanges = 0, colourChecks = 0, exactChecks = 0;
    std::uint64_t titleMismatches = 0, expectedTitleMismatches = 0;
    std::vector<WrongPage> wrong;
    std::string failure;  // start-up, hang or exit
    DWORD exitCode = 0;
    bool recovered = false;
    std::uint32_t filesLeft = 0;
    std::vector<std::string> notes;
    // --mode slow: renders that hung and were ended with Esc.
    std::uint64_t slowTargets = 0, slowNeighbours = 0, slowUnanswered = 0, slowOutlived = 0;
    double slowAnswerMax = 0, slowEndMax = 0;
};

// --mode slow: the stand-in tool forwards every render to the real one; a
// render that finds no claim file makes one and hangs until ended. Made
// before the viewer starts, unarmed.
std::wstring slowEvent() { return L"orva-soak-slow-" + std::to_wstring(GetCurrentProcessId()); }
std::wstring slowClaim(const Options& options) { return options.slowDir + L"\\claim.txt"; }

void writeSlowControl(const Options& options) {
    std::ofstream(slowClaim(options).c_str()) << "unarmed";
    std::ofstream((options.slowDir + L"\\control.txt").c_str())
        << "forward " << narrow(programFolder()) << "\\..\\poppler\\pdftoppm.exe\n"
        << "hang any " << narrow(slowEvent()) << " " << narrow(slowClaim(options)) << "\n";
}

bool startViewer(ViewerRun& run, const Options& options) {
    const std::wstring exe = programFolder() + L"\\..\\OrvaReader.exe";
    orva::testing::ChildOptions child;
    child.output = orva::testing::ChildOptions::Output::Inherit;
    child.variables = {{L"TEMP", run.setup.temp}, {L"TMP", options.tmp.empty() ? run.setup.temp : options.tmp}};
    if (options.mode == "slow") {
        writeSlowControl(options);
        child.variables.push_back({L"PDFTOPPM_PATH", programFolder() + L"\\fake_poppler.exe"});
        child.variables.push_back({L"ORVA_FAKE_POPPLER", options.slowDir + L"\\control.txt"});
    }
    if (options.budgetMb != 0) child.variables.push_back({L"ORVA_PAGE_MEMORY_MB", std::to_wstring(options.budgetMb)});
    run.process = std::make_unique<ChildProcess>(exe, L"\"" + options.doc + L"\"", child);
    if (!run.process->started()) {
        run.failure = "cannot start the viewer (" + std::to_string(run.process->startError()) + ")";
        return false;
    }
    gWatcher.watch(run.process->id(), run.index);
    for (int waited = 0; waited < 120000; waited += 50) {
        if (WaitForSingleObject(run.process->handle(), 0) == WAIT_OBJECT_0) {
            run.failure = "the viewer ended during start-up";
            return false;
        }
        if (!run.window) run.window = orva::testing::findProcessWindow(run.process->id(), orva::kMainWindowClass, 0);
        if (run.window) {
            if (auto claim = soak::parseTitle(windowText(run.window))) {
                run.pageCount = claim->count;
                break;
            }
            if (!gWatcher.messages(run.index).empty()) {
                run.failure = "the document did not open: " + gWatcher.messages(run.index).front().text;
                return false;
            }
        }
        Sleep(50);
    }
    if (run.pageCount == 0) {
        run.failure = "the document did not open in time";
        return false;
    }
    // Side by side, so that every viewer's window is on screen whole.
    SetWindowPos(run.window, nullptr, 10 + static_cast<int>(run.index) * 1040, 20, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    run.smallest = smallestClientArea(run.window);
    return true;
}

// Sends and waits until the viewer has handled the message (message boxes it
// shows meanwhile are answered by the watcher).
bool sendToViewer(ViewerRun& run, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(run.window, message, wParam, lParam, SMTO_NORMAL, 180000, &result) == 0) {
        run.failure = "the viewer did not answer within 3 minutes";
        return false;
    }
    return true;
}

struct Model {
    std::uint64_t page = 0;
    std::int32_t stripScroll = 0;
};

bool perform(ViewerRun& run, const soak::Step& step, Model& model, std::uint64_t& target) {
    using soak::Action;
    target = model.page;
    const auto key = [&](WPARAM vk) { return sendToViewer(run, WM_KEYDOWN, vk, 1); };
    const auto command = [&](std::uint16_t id) { return sendToViewer(run, WM_COMMAND, id, 0); };
    const auto wheel = [&](int x, int y, bool up) {
        POINT point{x, y};
        ClientToScreen(run.window, &point);
        return sendToViewer(run, WM_MOUSEWHEEL, MAKEWPARAM(0, up ? WHEEL_DELTA : -WHEEL_DELTA),
                            MAKELPARAM(point.x, point.y));
    };
    const orva::ClientArea c = clientArea(run.window);
    switch (step.action) {
        case Action::PageDown: return key(VK_NEXT);
        case Action::PageUp: return key(VK_PRIOR);
        case Action::Down: return key(VK_DOWN);
        case Action::Up: return key(VK_UP);
        case Action::Home: return key(VK_HOME);
        case Action::End: return key(VK_END);
        case Action::Thumbnail: {
            const auto pages = soak::clickableThumbnails(c, model.stripScroll, run.pageCount);
            if (pages.empty()) return key(VK_NEXT);
            target = pages[step.pick % pages.size()];
            const int x = c.left + (orva::ThumbnailFrameLeft + orva::ThumbnailFrameRight) / 2;
            const int y = static_cast<int>(orva::thumbnailTop(c, model.stripScroll, target)) + orva::ThumbnailHeight / 2;
            return sendToViewer(run, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) &&
                   sendToViewer(run, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        }
        case Action::ZoomIn: return command(orva::CommandZoomIn);
        case Action::ZoomOut: return command(orva::CommandZoomOut);
        case Action::FitWidth: return command(orva::CommandFitWidth);
        case Action::ActualSize: return command(orva::CommandActualSize);
        case Action::WheelPage:
            return wheel(c.left + orva::SidebarWidth + orva::pageViewWidth(c) / 2, (c.top + c.bottom) / 2,
                         step.pick % 2 == 0);
        case Action::WheelStrip: {
            const bool up = step.pick % 2 == 0;
            if (!wheel(c.left + orva::SidebarWidth / 2, (c.top + c.bottom) / 2, up)) return false;
            model.stripScroll = orva::clampedSidebarScroll(
                std::int64_t{model.stripScroll} + (up ? -orva::WheelSidebarStep : orva::WheelSidebarStep), c,
                run.pageCount);
            return true;
        }
        default: return true;
    }
}

// Which page a picture of the colour probe or of the compare region shows:
// "page N", or "no page" when it matches none.
std::string identifyColour(const std::vector<Reference>& refs, std::uint32_t colour) {
    for (std::size_t i = 0; i < refs.size(); ++i)
        if (refs[i].solid && soak::closeColours(*refs[i].solid, colour, kColourTolerance))
            return "page " + std::to_string(i + 1);
    char text[32];
    std::snprintf(text, sizeof text, "no page (#%06x)", static_cast<unsigned>(colour));
    return text;
}

std::size_t differences(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!soak::closeColours(a[i], b[i], 2)) ++count;
    return count;
}

std::string identifyCrop(const std::vector<Reference>& refs, const Reference& claimed,
                         const std::vector<std::uint32_t>& shown) {
    for (std::size_t i = 0; i < refs.size(); ++i)
        if (refs[i].width == claimed.width && refs[i].height == claimed.height && differences(refs[i].crop, shown) == 0)
            return "page " + std::to_string(i + 1);
    char text[96];
    std::snprintf(text, sizeof text, "no page (%zu of %zu pixels differ, first #%06x for #%06x)",
                  differences(claimed.crop, shown), claimed.crop.size(), shown.empty() ? 0u : shown[0],
                  claimed.crop.empty() ? 0u : claimed.crop[0]);
    return text;
}

// Compares until the screen agrees or 1.5 s have passed: the viewer paints
// when asked (UpdateWindow sends it WM_PAINT) and its picture reaches the
// screen a moment later.
template <class Grab, class Agrees>
bool settle(HWND window, Grab&& grab, Agrees&& agrees, std::vector<std::uint32_t>& last) {
    for (int attempt = 0; attempt < 30; ++attempt) {
        UpdateWindow(window);
        Sleep(attempt == 0 ? 15 : 50);
        last = grab();
        if (agrees(last)) return true;
    }
    return false;
}

void checkColour(ViewerRun& run, const std::vector<Reference>& refs, std::uint64_t step, std::uint64_t claimed) {
    const Reference& ref = refs[claimed];
    const soak::CompareRegion probe = soak::colourProbe(clientArea(run.window));
    std::vector<std::uint32_t> shown;
    const bool ok = settle(
        run.window, [&] { return capture(run.window, probe); },
        [&](const std::vector<std::uint32_t>& pixels) {
            return !pixels.empty() && std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) {
                       return soak::closeColours(p, *ref.solid, kColourTolerance);
                   });
        },
        shown);
    ++run.colourChecks;
    if (!ok) run.wrong.push_back({step, claimed, identifyColour(refs, shown.empty() ? 0 : shown[shown.size() / 2])});
}

bool checkExact(ViewerRun& run, const std::vector<Reference>& refs, std::uint64_t step, std::uint64_t claimed) {
    if (!sendToViewer(run, WM_COMMAND, orva::CommandActualSize, 0)) return false;
    const Reference& ref = refs[claimed];
    if (ref.region.empty()) return true;
    std::vector<std::uint32_t> shown;
    const bool ok = settle(
        run.window,
        [&] {
            return capture(run.window, soak::placedRegion(clientArea(run.window), ref.width, ref.height, ref.region));
        },
        [&](const std::vector<std::uint32_t>& pixels) { return differences(pixels, ref.crop) == 0; }, shown);
    ++run.exactChecks;
    // A page the colour check already found wrong at this step counts once.
    if (!ok && (run.wrong.empty() || run.wrong.back().step != step))
        run.wrong.push_back({step, claimed, identifyCrop(refs, ref, shown)});
    return true;
}

// ---- Faults put in the viewer's way ------------------------------------

std::wstring orvaFolder(const std::wstring& temp) { return temp + L"\\Orva"; }

// A copy of page 1 as the rasteriser names it, held open without leave to
// delete it, in the work folder.
HANDLE plantLeftover(const ViewerRun& run, const Options& options) {
    const std::wstring work = orvaFolder(run.setup.temp) + L"\\work";
    CreateDirectoryW(orvaFolder(run.setup.temp).c_str(), nullptr);
    CreateDirectoryW(work.c_str(), nullptr);
    const std::wstring name = work + L"\\" + widen(soak::rasteriserFileName(1, run.pageCount));
    CopyFileW((options.refDir + L"\\page-1.ppm").c_str(), name.c_str(), FALSE);
    return CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::wstring fillerPath(const ViewerRun& run) { return run.setup.temp + L"\\soak-filler.bin"; }

// Writes until the file system says it is full; the bytes written.
std::uint64_t fillTemp(const ViewerRun& run) {
    HANDLE file = CreateFileW(fillerPath(run).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::vector<char> block(1 << 20, 'x');
    std::uint64_t total = 0;
    for (DWORD size = static_cast<DWORD>(block.size()); size >= 1; size /= 2) {
        DWORD wrote = 0;
        while (WriteFile(file, block.data(), size, &wrote, nullptr) && wrote == size) total += wrote;
        total += wrote;
    }
    CloseHandle(file);
    return total;
}

// Names of everything under the folder, depth first.
void listTree(const std::wstring& folder, std::vector<std::string>& out) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        out.push_back(narrow(folder + L"\\" + name));
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) listTree(folder + L"\\" + name, out);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

// ---- A page that renders slowly ----------------------------------------

// Removing the claim file arms the next render; a thread watches for the
// hang, checks the viewer answers and presses Esc.
class SlowPages {
public:
    SlowPages(const Options& options, ViewerRun& run)
        : run_(run), claim_(slowClaim(options)), hanging_(CreateEventW(nullptr, FALSE, FALSE, slowEvent().c_str())) {
        watcher_ = std::thread([this] { watch(); });
    }
    ~SlowPages() {
        stop_ = true;
        watcher_.join();
        CloseHandle(hanging_);
    }
    // Arms the next render, unless one is armed still.
    void arm() {
        if (GetFileAttributesW(claim_.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(claim_.c_str());
    }
    // The page (1-based) whose render hung and was ended since the last call, or 0.
    std::uint64_t takeEnded() { return ended_.exchange(0); }

private:
    void watch() {
        while (!stop_) {
            if (WaitForSingleObject(hanging_, 100) != WAIT_OBJECT_0) continue;
            unsigned long pid = 0, page = 0;
            std::ifstream(claim_.c_str()) >> pid >> page;
            const HANDLE tool = OpenProcess(SYNCHRONIZE, FALSE, pid);
            const ULONGLONG asked = GetTickCount64();
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(run_.window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) == 0) ++run_.slowUnanswered;
            run_.slowAnswerMax = std::max(run_.slowAnswerMax, (GetTickCount64() - asked) / 1000.0);
            ended_ = page;  // before Esc: the step in progress ends only after it
            const ULONGLONG pressed = GetTickCount64();
            PostMessageW(run_.window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            if (tool == nullptr || WaitForSingleObject(tool, 1000) != WAIT_OBJECT_0) ++run_.slowOutlived;
            run_.slowEndMax = std::max(run_.slowEndMax, (GetTickCount64() - pressed) / 1000.0);
            if (tool != nullptr) CloseHandle(tool);
        }
    }

    ViewerRun& run_;
    std::wstring claim_;
    HANDLE hanging_ = nullptr;
    std::atomic<std::uint64_t> ended_{0};
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

// ---- The run of one viewer ---------------------------------------------

void drive(ViewerRun& run, const Options& options, const std::vector<Reference>& refs) {
    std::vector<std::uint64_t> pageBytes;
    for (const auto& ref : refs) pageBytes.push_back(std::uint64_t{ref.width} * ref.height * 3);
    const bool pdf = options.doc.size() > 4 && _wcsicmp(options.doc.c_str() + options.doc.size() - 4, L".pdf") == 0;
    soak::PageCacheModel cache(pdf, pageBytes);
    soak::StepPlan plan(options.seed * 31 + run.index, options.onward ? soak::kOnwardSteps : soak::kMixedSteps);
    Model model;
    orva::ClientArea client = clientArea(run.window);
    model.stripScroll = orva::revealedSidebarScroll(0, client, 0, run.pageCount);
    HANDLE leftover = INVALID_HANDLE_VALUE;
    bool full = false;
    const bool leftoverMode = options.mode == "leftover", fillMode = options.mode == "fill";
    std::unique_ptr<SlowPages> slow;
    if (options.mode == "slow") slow = std::make_unique<SlowPages>(options, run);

    run.start = measure(run.process->handle(), run.process->id());
    for (std::uint64_t step = 0; step < options.steps; ++step) {
        if (step == options.steps / 2) {
            run.middle = measure(run.process->handle(), run.process->id());
            run.cacheAtMiddle = cache.bytes();
            run.messagesAtMiddle = gWatcher.messages(run.index).size();
        }
        if (leftoverMode && step == options.steps / 4) {
            leftover = plantLeftover(run, options);
            if (leftover == INVALID_HANDLE_VALUE) run.notes.push_back("could not plant the leftover file");
        }
        if (leftoverMode && step == options.steps * 3 / 4 && leftover != INVALID_HANDLE_VALUE) {
            CloseHandle(leftover);
            leftover = INVALID_HANDLE_VALUE;
        }
        if (fillMode && step == options.steps / 3) {
            const std::uint64_t filled = fillTemp(run);
            run.notes.push_back("TEMP filled with " + std::to_string(filled >> 10) + "K");
            full = true;
            gWatcher.expectMessages(run.index, true);
        }
        if (fillMode && step == options.steps * 2 / 3) {
            DeleteFileW(fillerPath(run).c_str());
            full = false;
            gWatcher.expectMessages(run.index, false);
        }

        // About twenty slow renders a run.
        if (slow && step % std::max<std::uint64_t>(1, options.steps / 20) == 0) slow->arm();
        const std::size_t messagesBefore = gWatcher.messages(run.index).size();

        const soak::Step next =
            options.frontBack ? soak::Step{step + 1 < run.pageCount ? soak::Action::PageDown : soak::Action::PageUp}
                              : plan.next();
        std::uint64_t target = model.page;
        if (!perform(run, next, model, target)) break;
        ++run.steps;
        if (options.boundMb != 0)
            run.peakPrivate = std::max(run.peakPrivate, soak::privateBytes(run.process->handle()));
        const std::uint64_t expected =
            soak::changesPage(next.action) ? soak::pageAfter(next.action, model.page, run.pageCount, target) : model.page;
        if (soak::changesPage(next.action)) ++run.pageChanges;

        // A scroll bar that came or went resized the client area, and the
        // viewer kept its strip's scroll within the new limits.
        if (const orva::ClientArea now = clientArea(run.window); !(now == client)) {
            client = now;
            model.stripScroll = orva::clampedSidebarScroll(model.stripScroll, client, run.pageCount);
        }
        const auto claim = soak::parseTitle(windowText(run.window));
        const bool titleAgrees = claim && claim->page == expected;
        // A render ended with Esc: the target's ends the page change with
        // its one message; a neighbour's changes nothing.
        bool targetEnded = false;
        if (const std::uint64_t hung = slow ? slow->takeEnded() : 0; hung != 0) {
            targetEnded = soak::changesPage(next.action) && hung == expected + 1 && !titleAgrees;
            ++(targetEnded ? run.slowTargets : run.slowNeighbours);
            if (targetEnded) gWatcher.expectSince(run.index, messagesBefore);
        }
        if (titleAgrees) {
            // The page change went through: the strip shows the new page.
            if (soak::changesPage(next.action))
                model.stripScroll = orva::revealedSidebarScroll(model.stripScroll, client, expected, run.pageCount);
            if (fillMode && !full && step >= options.steps * 2 / 3 && soak::changesPage(next.action)) run.recovered = true;
        } else if (full || targetEnded) {
            ++run.expectedTitleMismatches;
        } else if (soak::changesPage(next.action)) {
            // Counted where the title failed to follow a page change; it
            // stays behind until the next page change that works.
            ++run.titleMismatches;
            if (run.titleMismatches <= 3)
                run.notes.push_back("step " + std::to_string(step) + " " + std::string(soak::kActionNames[int(next.action)]) +
                                    ": expected page " + std::to_string(expected + 1) + ", title \"" +
                                    windowText(run.window) + "\"");
        }
        // A page change whose page cannot be rendered does not take place:
        // the viewer stays on the page its title names.
        const bool stayed = (full || targetEnded) && !titleAgrees && claim;
        model.page = stayed ? claim->page : expected;
        if (soak::changesPage(next.action) && !stayed) cache.shown(expected);
        if (full) continue;  // renders are meant to fail now: nothing to compare

        if (claim && claim->page < refs.size()) {
            if (refs[claim->page].solid) checkColour(run, refs, step, claim->page);
            if (step % options.checkEvery == options.checkEvery - 1 && !checkExact(run, refs, step, claim->page)) break;
        }
    }
    if (leftover != INVALID_HANDLE_VALUE) CloseHandle(leftover);
    if (full) DeleteFileW(fillerPath(run).c_str());
    run.end = measure(run.process->handle(), run.process->id());
    run.cacheAtEnd = cache.bytes();
    if (slow) {
        slow.reset();
        char text[200];
        std::snprintf(text, sizeof text,
                      "slow renders ended with Esc: %llu targets, %llu neighbours; answered within %.2f s, "
                      "ended within %.2f s of Esc",
                      static_cast<unsigned long long>(run.slowTargets),
                      static_cast<unsigned long long>(run.slowNeighbours), run.slowAnswerMax, run.slowEndMax);
        run.notes.push_back(text);
        if (run.slowTargets + run.slowNeighbours == 0 && run.failure.empty()) run.failure = "no render was slow";
        if (run.slowUnanswered != 0 && run.failure.empty())
            run.failure = std::to_string(run.slowUnanswered) + " slow renders without an answer within 2 s";
        if (run.slowOutlived != 0 && run.failure.empty())
            run.failure = std::to_string(run.slowOutlived) + " tools still running 1 s after Esc";
    }
    if (options.boundMb != 0)
        run.notes.push_back("private bytes at most " + std::to_string(run.peakPrivate >> 20) + " MiB, bound " +
                            std::to_string((run.start.privateBytes >> 20) + options.boundMb) + " MiB");
    if (fillMode)
        run.notes.push_back("while TEMP was full, " + std::to_string(run.expectedTitleMismatches) +
                            " steps found the title behind the page asked for");
}

void finish(ViewerRun& run) {
    if (!run.process || !run.process->started()) return;
    if (run.window) PostMessageW(run.window, WM_CLOSE, 0, 0);
    run.exitCode = run.process->waitForExit(30000);
    if (run.exitCode == STILL_ACTIVE) {
        if (run.failure.empty()) run.failure = "the viewer did not close";
        run.process->terminate();
        run.exitCode = 99;
    }
}

// ---- Reporting -----------------------------------------------------------

std::string mib(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1 << 20));
    return text;
}

std::vector<std::string> verdict(const ViewerRun& run, const Options& options,
                                 const std::vector<SeenMessage>& messages) {
    soak::Outcome o;
    o.failure = run.failure;
    o.exitCode = run.exitCode;
    o.middle = run.middle;
    o.end = run.end;
    o.cacheGrowth = run.cacheAtEnd - run.cacheAtMiddle;
    o.firstDialogAfterMiddle = run.messagesAtMiddle < 2 && messages.size() > run.messagesAtMiddle;
    o.checks = run.colourChecks + run.exactChecks;
    o.wrongPages = run.wrong.size();
    o.titleMismatches = run.titleMismatches;
    for (const auto& m : messages) ++(m.expected ? o.expectedMessages : o.unexpectedMessages);
    o.filesLeft = run.filesLeft;
    o.fillsTemp = options.mode == "fill";
    o.recovered = run.recovered;
    std::vector<std::string> reasons = soak::failures(o);
    if (options.boundMb != 0 && run.peakPrivate > run.start.privateBytes + (options.boundMb << 20))
        reasons.push_back("private bytes rose past the bound to " + std::to_string(run.peakPrivate >> 20) + " MiB");
    return reasons;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: soak_driver --phase NAME --doc DOC --ref DIR --steps N [--viewer LABEL=TEMP]... "
                     "[--tmp DIR] [--mix mixed|onward] [--mode plain|leftover|fill] [--check-every N] "
                     "[--seed N] [--results FILE]\n");
        return 2;
    }
    gWatcher.start();
    std::vector<ViewerRun> runs(options.viewers.size());
    bool started = true;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i].index = i;
        runs[i].setup = options.viewers[i];
        if (!startViewer(runs[i], options)) started = false;
    }
    std::vector<Reference> refs;
    if (started && !loadReferences(options.refDir, runs[0].pageCount, runs[0].smallest, refs)) started = false;
    for (auto& run : runs)
        if (started && run.pageCount != refs.size()) {
            run.failure = "the title gives another page count than the references";
            started = false;
        }
    say("%s: %zu viewer(s), %llu steps each, %s\n", options.phase.c_str(), runs.size(),
        static_cast<unsigned long long>(options.steps), started ? "started" : "did not start");
    if (started) {
        std::vector<std::thread> threads;
        for (auto& run : runs) threads.emplace_back([&run, &options, &refs] { drive(run, options, refs); });
        for (auto& thread : threads) thread.join();
    }
    for (auto& run : runs) finish(run);
    Sleep(300);  // a last message box, if any, is seen before the watcher stops
    gWatcher.stop();

    int status = 0;
    std::FILE* results = options.results.empty() ? nullptr : _wfopen(options.results.c_str(), L"a");
    for (auto& run : runs) {
        std::vector<std::string> left;
        listTree(orvaFolder(run.setup.temp), left);
        run.filesLeft = static_cast<std::uint32_t>(left.size());
        const auto messages = gWatcher.messages(run.index);
        const auto reasons = verdict(run, options, messages);
        if (!reasons.empty()) status = 1;

        say("  viewer %s (TEMP %s): %llu steps, %llu page changes, %llu colour + %llu exact checks, %zu wrong, "
            "%zu messages%s\n",
            run.setup.label.c_str(), narrow(run.setup.temp).c_str(), static_cast<unsigned long long>(run.steps),
            static_cast<unsigned long long>(run.pageChanges), static_cast<unsigned long long>(run.colourChecks),
            static_cast<unsigned long long>(run.exactChecks), run.wrong.size(), messages.size(),
            reasons.empty() ? "" : " - FAILED");
        for (std::size_t i = 0; i < run.wrong.size() && i < 5; ++i)
            say("    wrong page at step %llu: title names page %llu, screen shows %s\n",
                static_cast<unsigned long long>(run.wrong[i].step),
                static_cast<unsigned long long>(run.wrong[i].claimed + 1), run.wrong[i].shown.c_str());
        std::map<std::string, int> distinct;
        for (const auto& m : messages) ++distinct[(m.expected ? "(expected) " : "") + m.text];
        for (const auto& [text, count] : distinct) {
            std::string line = text;
            std::replace(line.begin(), line.end(), '\n', ' ');
            say("    message x%d: %s\n", count, line.c_str());
        }
        for (std::size_t i = 0; i < left.size() && i < 5; ++i) say("    left behind: %s\n", left[i].c_str());
        for (const auto& note : run.notes) say("    note: %s\n", note.c_str());
        for (const auto& reason : reasons) say("    FAIL: %s\n", reason.c_str());

        if (results) {
            std::string joined;
            for (const auto& r : reasons) joined += (joined.empty() ? "" : "; ") + r;
            std::fprintf(results,
                         "%s\t%s\t%llu\t%llu\t%llu\t%zu\t%zu\t%u\t%s/%s/%s\t%s/%s/%s\t%u/%u/%u\t%u/%u/%u\t%s\t%s\n",
                         options.phase.c_str(), run.setup.label.c_str(), static_cast<unsigned long long>(run.pageChanges),
                         static_cast<unsigned long long>(run.steps - run.pageChanges),
                         static_cast<unsigned long long>(run.colourChecks + run.exactChecks), run.wrong.size(),
                         messages.size(), run.filesLeft, mib(run.start.privateBytes).c_str(),
                         mib(run.middle.privateBytes).c_str(), mib(run.end.privateBytes).c_str(),
                         mib(run.start.workingSet).c_str(), mib(run.middle.workingSet).c_str(),
                         mib(run.end.workingSet).c_str(), run.start.handles, run.middle.handles, run.end.handles,
                         run.start.gdiObjects, run.middle.gdiObjects, run.end.gdiObjects,
                         reasons.empty() ? "ok" : "FAIL", joined.empty() ? "-" : joined.c_str());
        }
    }
    if (results) std::fclose(results);
    say("  (GDI objects from the %s)\n", gGdiSource);
    return status;
}
