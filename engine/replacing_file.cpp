#include "engine/replacing_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

Replacing_File::Replacing_File(std::string final_path) : final_path_(std::move(final_path)) {}

Replacing_File::~Replacing_File() {
    Discard();
}

bool Replacing_File::Open() {
    Discard();
    static unsigned counter = 0;
    // O_EXCL with a name nobody else uses: never follows or reuses a file planted there.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate =
            final_path_ + ".part-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        file_ = fdopen(fd, "wb");
        if (file_ == nullptr) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return false;
        }
        temp_path_ = std::move(candidate);
        return true;
    }
    return false;
}

bool Replacing_File::Commit() {
    if (file_ == nullptr) return false;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok && std::rename(temp_path_.c_str(), final_path_.c_str()) == 0) {
        temp_path_.clear();
        return true;
    }
    Discard();
    return false;
}

void Replacing_File::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_path_.empty()) {
        ::unlink(temp_path_.c_str());
        temp_path_.clear();
    }
}
