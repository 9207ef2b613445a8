// A library preloaded (LD_PRELOAD) into a program that saves a file, for the tests that kill
// the program at many moments of the save. It slows down the file operations of one file
// and its temporary copies, without changing what they do, so that a kill can land between
// any two of them, and it reports each operation on a pipe so that the test knows when the
// save began and how long it lasts.
//
// Environment:
//   TINDRAL_STRETCH_NAME   the watched files: every file whose name (without its folder)
//                          begins with this text. Unset: the library does nothing.
//   TINDRAL_STRETCH_US     the pause before and after each watched operation, in
//                          microseconds (default 2000).
//   TINDRAL_STRETCH_LINGER_US  how long a program that did a watched operation waits at its
//                          exit (default 0), so that a kill meant for the last moments of
//                          its save still finds it alive.
//   TINDRAL_STRETCH_MARKS  an open file descriptor, inherited from the test, that receives
//                          one line per watched operation as it begins ("open b SECONDS")
//                          and as it ends ("open e SECONDS"), SECONDS being the reading of
//                          the monotonic clock (CLOCK_MONOTONIC, which Python's
//                          time.monotonic() reads too).
//
// Watched operations: opening a watched file for writing (open, openat, fopen), and on such
// a file write, fsync, close, fflush and fclose; rename when either name is watched. A
// write is handed to the system in pieces of Write_Piece bytes with a pause between them,
// as a slow disk could, and reports the whole size written: the program sees one write.
// The C library's own calls inside stdio (the write of an fflush) are not seen separately.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int Max_Fd = 4096;
constexpr size_t Write_Piece = 64;

std::atomic<bool> Watched[Max_Fd];

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

using Open_Fn = int (*)(const char*, int, ...);
using Openat_Fn = int (*)(int, const char*, int, ...);
using Write_Fn = ssize_t (*)(int, const void*, size_t);
using Fd_Fn = int (*)(int);
using Rename_Fn = int (*)(const char*, const char*);
using Fopen_Fn = FILE* (*)(const char*, const char*);
using Stream_Fn = int (*)(FILE*);

struct Settings {
    const char* prefix = nullptr;  // null: inert
    size_t prefix_length = 0;
    long pause_us = 2000;
    int marks = -1;
    long linger_us = 0;
};

const Settings& Config() {
    static const Settings settings = [] {
        Settings s;
        const char* prefix = std::getenv("TINDRAL_STRETCH_NAME");
        if (prefix != nullptr && prefix[0] != '\0') {
            s.prefix = prefix;
            s.prefix_length = std::strlen(prefix);
        }
        if (const char* pause = std::getenv("TINDRAL_STRETCH_US")) s.pause_us = std::atol(pause);
        if (const char* marks = std::getenv("TINDRAL_STRETCH_MARKS")) s.marks = std::atoi(marks);
        if (const char* linger = std::getenv("TINDRAL_STRETCH_LINGER_US")) {
            s.linger_us = std::atol(linger);
        }
        return s;
    }();
    return settings;
}

bool Watched_Name(const char* path) {
    const Settings& s = Config();
    if (s.prefix == nullptr || path == nullptr) return false;
    const char* slash = std::strrchr(path, '/');
    const char* name = slash != nullptr ? slash + 1 : path;
    return std::strncmp(name, s.prefix, s.prefix_length) == 0;
}

bool Watched_Fd(int fd) { return fd >= 0 && fd < Max_Fd && Watched[fd].load(); }

void Watch(int fd, bool on) {
    if (fd >= 0 && fd < Max_Fd) Watched[fd].store(on);
}

std::atomic<bool> Saved{false};

void Sleep_Us(long us) {
    timespec time{us / 1000000, (us % 1000000) * 1000};
    while (nanosleep(&time, &time) != 0 && errno == EINTR) {
    }
}

void Pause() { Sleep_Us(Config().pause_us); }

__attribute__((destructor)) void Linger() {
    if (Saved.load()) Sleep_Us(Config().linger_us);
}

// Reports an operation, keeping errno as the program left it.
void Mark(const char* operation, char phase) {
    int marks = Config().marks;
    if (marks < 0) return;
    int saved = errno;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[64];
    int length = std::snprintf(line, sizeof line, "%s %c %lld.%09ld\n", operation, phase,
                               static_cast<long long>(now.tv_sec), now.tv_nsec);
    static const Write_Fn write_next = Next<Write_Fn>("write");
    (void)write_next(marks, line, static_cast<size_t>(length));
    errno = saved;
}

void Begin(const char* operation) {
    Saved.store(true);
    Mark(operation, 'b');
    Pause();
}

// Ends an operation; returns `result` with the operation's errno kept.
template <typename T>
T End(const char* operation, T result) {
    int saved = errno;
    Pause();
    Mark(operation, 'e');
    errno = saved;
    return result;
}

bool Opens_For_Writing(int flags) { return (flags & O_ACCMODE) != O_RDONLY; }

bool Stream_Writes(const char* mode) {
    return mode != nullptr && std::strpbrk(mode, "wa+") != nullptr;
}

int Opened(const char* operation, int fd) {
    if (fd >= 0) Watch(fd, true);
    return End(operation, fd);
}

mode_t Mode_Argument(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    static const Open_Fn next = Next<Open_Fn>("open");
    va_list args;
    va_start(args, flags);
    mode_t mode = Mode_Argument(flags, args);
    va_end(args);
    if (!Opens_For_Writing(flags) || !Watched_Name(path)) return next(path, flags, mode);
    Begin("open");
    return Opened("open", next(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = Mode_Argument(flags, args);
    va_end(args);
    return open(path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...) {
    static const Openat_Fn next = Next<Openat_Fn>("openat");
    va_list args;
    va_start(args, flags);
    mode_t mode = Mode_Argument(flags, args);
    va_end(args);
    if (!Opens_For_Writing(flags) || !Watched_Name(path)) return next(folder, path, flags, mode);
    Begin("open");
    return Opened("open", next(folder, path, flags, mode));
}

int openat64(int folder, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = Mode_Argument(flags, args);
    va_end(args);
    return openat(folder, path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    static const Write_Fn next = Next<Write_Fn>("write");
    if (!Watched_Fd(fd)) return next(fd, data, size);
    Begin("write");
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        if (done > 0) Pause();
        size_t piece = size - done < Write_Piece ? size - done : Write_Piece;
        ssize_t written = next(fd, bytes + done, piece);
        if (written < 0) return End("write", done > 0 ? static_cast<ssize_t>(done) : written);
        done += static_cast<size_t>(written);
        if (static_cast<size_t>(written) < piece) break;
    }
    return End("write", static_cast<ssize_t>(done));
}

int fsync(int fd) {
    static const Fd_Fn next = Next<Fd_Fn>("fsync");
    if (!Watched_Fd(fd)) return next(fd);
    Begin("fsync");
    return End("fsync", next(fd));
}

int close(int fd) {
    static const Fd_Fn next = Next<Fd_Fn>("close");
    if (!Watched_Fd(fd)) return next(fd);
    Begin("close");
    Watch(fd, false);
    return End("close", next(fd));
}

int rename(const char* from, const char* to) {
    static const Rename_Fn next = Next<Rename_Fn>("rename");
    if (!Watched_Name(from) && !Watched_Name(to)) return next(from, to);
    Begin("rename");
    return End("rename", next(from, to));
}

FILE* fopen(const char* path, const char* mode) {
    static const Fopen_Fn next = Next<Fopen_Fn>("fopen");
    if (!Stream_Writes(mode) || !Watched_Name(path)) return next(path, mode);
    Begin("open");
    FILE* stream = next(path, mode);
    if (stream != nullptr) Watch(fileno(stream), true);
    return End("open", stream);
}

FILE* fopen64(const char* path, const char* mode) { return fopen(path, mode); }

int fflush(FILE* stream) {
    static const Stream_Fn next = Next<Stream_Fn>("fflush");
    if (stream == nullptr || !Watched_Fd(fileno(stream))) return next(stream);
    Begin("fflush");
    return End("fflush", next(stream));
}

int fclose(FILE* stream) {
    static const Stream_Fn next = Next<Stream_Fn>("fclose");
    if (stream == nullptr || !Watched_Fd(fileno(stream))) return next(stream);
    Begin("fclose");
    Watch(fileno(stream), false);
    return End("fclose", next(stream));
}

}  // extern "C"
