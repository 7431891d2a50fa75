#pragma once
// Resident memory of the benchmark process, as the kernel counts it.

#include <fstream>
#include <string>

namespace bench {

// VmRSS of /proc/self/status in KiB; -1 when it cannot be read.
inline long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

} // namespace bench
