// libtindral-frame-times.so, preloaded into the game by the benchmark (scripts/bench.sh):
// times every buffer swap without changing the game. For each swap it writes one line to
// the file named by TINDRAL_FRAME_TIMES: the monotonic clock and the process's processor
// time, both in nanoseconds, written at once (one small write a frame), so that the
// benchmark can read the file while the game runs.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

int Output = -1;

std::int64_t Nanoseconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

__attribute__((constructor)) void Open() {
    const char* path = std::getenv("TINDRAL_FRAME_TIMES");
    if (path != nullptr && path[0] != '\0') {
        Output = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
}


}  // namespace

extern "C" void SDL_GL_SwapWindow(void* window) {
    using Swap = void (*)(void*);
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real != nullptr) real(window);
    if (Output < 0) return;
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%lld %lld\n",
                                static_cast<long long>(Nanoseconds(CLOCK_MONOTONIC)),
                                static_cast<long long>(Nanoseconds(CLOCK_PROCESS_CPUTIME_ID)));
    if (n > 0 && write(Output, line, static_cast<std::size_t>(n)) != n) Output = -1;
}
