#pragma once
// What another process holds: its open handles and its private memory, for
// the soak test and the start-up bench.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace kaveto::drive {

struct Footprint {
    DWORD handles = 0;
    std::uint64_t private_bytes = 0;
};

// GetProcessHandleCount and PrivateUsage; where the system answers those
// with 0 for another process (Wine 8 does), the process's entries in the
// system's handle table and its PagefileUsage, which Windows documents as
// the same private commit charge and which Wine fills. Nothing when the
// process cannot be read.
std::optional<Footprint> FootprintOf(DWORD pid);

}  // namespace kaveto::drive
