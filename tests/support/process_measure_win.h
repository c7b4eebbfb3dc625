#pragma once
// What a process holds, measured from outside it: private bytes, working
// set, handles and GDI objects, by means that work on Windows and under Wine
// alike. Header-only, for the soak driver and its tests.
#include "base/win32.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/soak_rules.h"

namespace orva::soak {

namespace detail {
template <class F>
F ntdllEntry(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), name)));
}
}  // namespace detail

// Committed private memory: the sum of the process's committed regions of
// private type, what Windows calls its private bytes. (Wine's
// GetProcessMemoryInfo gives 0 for PrivateUsage.)
inline std::uint64_t privateBytes(HANDLE process) {
    std::uint64_t sum = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* at = nullptr;
    while (VirtualQueryEx(process, at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) sum += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return sum;
}

inline std::uint64_t workingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

// The handles process `pid` holds, counted in the system's list of every
// open handle (SystemExtendedHandleInformation). GetProcessHandleCount
// answers 0 under Wine for other processes, and the process list's
// HandleCount there is the size of the handle table, not its use.
inline std::uint32_t handleCount(DWORD pid) {
    using QuerySystem = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = detail::ntdllEntry<QuerySystem>("NtQuerySystemInformation");
    struct Entry {
        void* object;
        ULONG_PTR process;
        ULONG_PTR handle;
        ULONG access;
        USHORT backTrace;
        USHORT type;
        ULONG attributes;
        ULONG reserved;
    };
    static_assert(sizeof(Entry) == 40);
    constexpr ULONG kExtendedHandleInformation = 64;
    std::vector<std::uint8_t> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // the buffer is too small
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
    if (status != 0) return 0;
    const auto count = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
    std::uint32_t held = 0;
    for (ULONG_PTR i = 0; i < count; ++i)
        if (entries[i].process == pid) ++held;
    return held;
}

// GDI objects: GetGuiResources where the system answers it. Wine answers 0;
// there the live entries of the process's GDI handle table are counted,
// which Wine keeps in the layout Windows uses (24-byte entries, the type in
// byte 14, the stock flag in the top bit of byte 12) at the address the
// process environment block holds at offset 0xF8. Stock objects are left
// out. `source` names the way taken.
inline std::uint32_t gdiObjects(HANDLE process, const char** source) {
    if (const DWORD count = GetGuiResources(process, GR_GDIOBJECTS); count != 0) {
        *source = "GetGuiResources";
        return count;
    }
    *source = "GDI handle table";
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = detail::ntdllEntry<QueryProcess>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
    std::uint64_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + 0xF8, &table, sizeof table,
                           &read) ||
        table == 0)
        return 0;
    constexpr std::size_t kEntries = 0x10000, kEntrySize = 24;
    std::vector<std::uint8_t> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &read))
        return 0;
    std::uint32_t live = 0;
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::uint8_t* entry = &entries[i * kEntrySize];
        if (entry[14] != 0 && (entry[12] & 0x80) == 0) ++live;
    }
    return live;
}

inline Sample measureProcess(HANDLE process, DWORD pid, const char** gdiSource) {
    return Sample{privateBytes(process), workingSet(process), handleCount(pid), gdiObjects(process, gdiSource)};
}

}  // namespace orva::soak
