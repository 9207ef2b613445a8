// How much a piece of work raises the process's peak memory: the check that a reader holds
// a bounded amount of a huge or endless input instead of all of it. Header-only, so that
// tests outside the game (the plug-in's) can use it too.
//
// Normally the measure is the peak resident memory. Under AddressSanitizer it is the peak
// of the bytes held in live allocations instead: freed memory waits in the sanitizer's
// quarantine, so the resident memory grows with every allocation a piece of work makes,
// bounded or not.
#pragma once

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#if defined(__SANITIZE_ADDRESS__)
#define MEMORY_PEAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MEMORY_PEAK_ASAN 1
#endif
#endif
#ifdef MEMORY_PEAK_ASAN
#include <sanitizer/allocator_interface.h>
#endif

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

#ifdef MEMORY_PEAK_ASAN
// The bytes in live allocations, and their peak since it was last reset.
inline std::atomic<long long> live_bytes{0};
inline std::atomic<long long> peak_live_bytes{0};

inline void On_Malloc(const volatile void*, std::size_t size) {
    const long long now = live_bytes += static_cast<long long>(size);
    long long peak = peak_live_bytes.load();
    while (now > peak && !peak_live_bytes.compare_exchange_weak(peak, now)) {
    }
}

inline void On_Free(const volatile void* pointer) {
    live_bytes -= static_cast<long long>(__sanitizer_get_allocated_size(pointer));
}
#endif

// Runs `work` and returns how far the peak memory rose above the memory in use at its
// start, in bytes; -1 when it cannot be measured (no /proc/self/clear_refs to reset the
// peak resident memory), in which case `work` does not run. Memory that `work` allocates
// and touches counts, even when it is freed again before the end.
inline long long Growth(const std::function<void()>& work) {
#ifdef MEMORY_PEAK_ASAN
    // Counted from the first call on: what was allocated before is never freed into the
    // count, which only the difference below reads.
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(On_Malloc, On_Free) > 0;
    if (!hooked) return -1;
    const long long before = live_bytes.load();
    peak_live_bytes = before;
    work();
    return peak_live_bytes.load() - before;
#else
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
#endif
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

// Writes the file `path`: `before`, a number of `digits` sevens that a reader would have to
// gather whole, then `after`. False when the file cannot be written.
inline bool Write_Endless_Number(const char* path, const char* before, long long digits,
                                 const char* after = "") {
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return false;
    bool done = std::fputs(before, file) >= 0 && Write_Repeated(file, '7', digits) &&
                std::fputs(after, file) >= 0;
    done = std::fclose(file) == 0 && done;
    return done;
}

}  // namespace memory_peak
