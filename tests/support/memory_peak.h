// How much a piece of work raises the process's peak resident memory: the check that a
// reader holds a bounded amount of a huge or endless input instead of all of it.
// Header-only, so that tests outside the game (the plug-in's) can use it too.
#pragma once

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace memory_peak {

// The peak resident memory of this process (VmHWM), in bytes; -1 when unknown.
inline long long Peak_Bytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    long long kilobytes = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) kilobytes = std::atoll(line + 6);
    }
    std::fclose(status);
    return kilobytes < 0 ? -1 : kilobytes * 1024;
}

// Runs `work` and returns how far the peak resident memory rose above the resident memory
// at its start, in bytes; -1 when the kernel cannot reset the peak (no /proc/self/clear_refs),
// in which case `work` does not run. Memory that `work` allocates and touches counts, even
// when it is freed again before the end.
inline long long Growth(const std::function<void()>& work) {
    // Free memory that the allocator still holds would be reused without raising the
    // peak: give it back first, so that what `work` touches shows.
    malloc_trim(0);
    // "5" sets the peak back to the current resident memory.
    std::FILE* reset = std::fopen("/proc/self/clear_refs", "w");
    if (reset == nullptr) return -1;
    bool done = std::fputs("5", reset) >= 0;
    done = std::fclose(reset) == 0 && done;
    const long long before = Peak_Bytes();
    if (!done || before < 0) return -1;
    work();
    const long long after = Peak_Bytes();
    return after < 0 ? -1 : after - before;
}

// Writes `count` copies of `byte` to `file` in large blocks (a huge input without holding
// it in memory); false when writing fails.
inline bool Write_Repeated(std::FILE* file, char byte, long long count) {
    static char block[1 << 16];
    std::memset(block, byte, sizeof block);
    while (count > 0) {
        const std::size_t part = count < static_cast<long long>(sizeof block)
                                     ? static_cast<std::size_t>(count)
                                     : sizeof block;
        if (std::fwrite(block, 1, part, file) != part) return false;
        count -= static_cast<long long>(part);
    }
    return true;
}

}  // namespace memory_peak
