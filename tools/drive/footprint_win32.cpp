#include "tools/drive/footprint.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/unique_win32.h"

namespace kaveto::drive {
namespace {

// SystemHandleInformation: a count, then one entry per open handle of every
// process.
struct HandleEntry {
    ULONG owner_pid;
    BYTE object_type, flags;
    USHORT value;
    void* object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
constexpr int kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

DWORD HandlesInTheSystemTable(DWORD pid) {
    std::vector<char> table(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = ::NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation),
                                                table.data(), static_cast<ULONG>(table.size()), &needed)) ==
           kInfoLengthMismatch)
        table.resize(std::max<std::size_t>(table.size() * 2, needed));
    if (status != 0) return 0;
    ULONG count = 0;
    std::memcpy(&count, table.data(), sizeof count);
    const std::size_t first = offsetof(HandleTable, entries);
    count = static_cast<ULONG>(std::min<std::size_t>(count, (table.size() - first) / sizeof(HandleEntry)));
    DWORD owned = 0;
    for (ULONG i = 0; i < count; ++i) {
        HandleEntry entry;
        std::memcpy(&entry, table.data() + first + i * sizeof entry, sizeof entry);
        owned += entry.owner_pid == pid;
    }
    return owned;
}

}  // namespace

std::optional<Footprint> FootprintOf(DWORD pid) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    DWORD handles = 0;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (!process || !::GetProcessHandleCount(process.get(), &handles) ||
        !::GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return std::nullopt;
    if (handles == 0) handles = HandlesInTheSystemTable(pid);
    const SIZE_T private_bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    if (handles == 0 || private_bytes == 0) return std::nullopt;
    return Footprint{handles, private_bytes};
}

}  // namespace kaveto::drive
