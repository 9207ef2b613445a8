#include "engine/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/log.h"
#include "platform/http.h"

namespace {

const char Agent[] = "InetURL/1.0";

// The body file of one retrieval: unique and private to this call, closed and deleted when
// the object dies unless it was renamed away.
class Body_File {
  public:
    Body_File() {
        const char* folder = std::getenv("TMPDIR");
        if (folder == nullptr || folder[0] == '\0') folder = "/tmp";
        path_ = std::string(folder) + "/tindral-data-XXXXXX";
        fd_ = mkostemp(path_.data(), O_CLOEXEC);
        if (fd_ < 0) error_ = errno;
    }
    ~Body_File() {
        if (fd_ < 0) return;
        close(fd_);
        if (!renamed_) unlink(path_.c_str());
    }
    Body_File(const Body_File&) = delete;
    Body_File& operator=(const Body_File&) = delete;

    bool Ok() const { return fd_ >= 0; }
    // The errno of the last failed file operation.
    int Error() const { return error_; }

    bool Write(const char* data, std::size_t size) {
        while (size > 0) {
            ssize_t written = write(fd_, data, size);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return Failed(written < 0 ? errno : EIO);
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Read_All(std::string* out) {
        out->clear();
        if (lseek(fd_, 0, SEEK_SET) < 0) return Failed(errno);
        char buffer[4096];
        for (;;) {
            ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return Failed(errno);
            if (got == 0) return true;
            out->append(buffer, static_cast<std::size_t>(got));
        }
    }

    // Gives the body the name `target` unless something already has that name (as MoveFile
    // does). Returns 0 or an errno value (EEXIST when `target` exists).
    int Move_To(const char* target) {
        // mkostemp made the file private to its owner; a kept copy gets the usual rights.
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd_, 0666 & ~mask);
        if (renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target, RENAME_NOREPLACE) == 0) {
            renamed_ = true;
            return 0;
        }
        int error = errno;
        if (error == EINVAL || error == ENOSYS) {
            // The file system cannot rename without replacing: a hard link cannot replace.
            if (link(path_.c_str(), target) == 0) return 0;  // the temporary name dies with us
            error = errno;
        }
        // $TMPDIR often lies on another file system than the target (tmpfs, for one).
        if (error == EXDEV || error == EPERM || error == EINVAL || error == ENOSYS) {
            return Copy_To(target);
        }
        return error;
    }

  private:
    bool Failed(int error) {
        error_ = error;
        return false;
    }

    // Copies the body into a new file `target`; a partial copy is removed again.
    int Copy_To(const char* target) {
        int out = open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out < 0) return errno;
        std::string bytes;
        int error = 0;
        if (!Read_All(&bytes)) {
            error = error_;
        } else {
            const char* data = bytes.data();
            std::size_t left = bytes.size();
            while (left > 0) {
                ssize_t written = write(out, data, left);
                if (written < 0 && errno == EINTR) continue;
                if (written <= 0) {
                    error = written < 0 ? errno : EIO;
                    break;
                }
                data += written;
                left -= static_cast<std::size_t>(written);
            }
        }
        if (close(out) != 0 && error == 0) error = errno;
        if (error != 0) unlink(target);
        return error;
    }

    std::string path_;
    int fd_ = -1;
    int error_ = 0;
    bool renamed_ = false;
};

}  // namespace

std::string Text_Mode_Read(const std::string& raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\x1a') break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += c;
    }
    return text;
}

std::string CTarvelIO::Retrieve_Data_URL(const char* url, const char* save_path) {
    Body_File body;
    if (!body.Ok()) {
        // Our own line (no Windows counterpart): the errno of the failed file operation.
        Log_Write(Engine_Log, 1, "CTarvelIO::Retrieve_Data_URL() :: failed (temporary file [%i])",
                  body.Error());
        return std::string();
    }

    bool write_failed = false;
    std::size_t received = 0;
    auto on_data = [&](const char* data, std::size_t size) {
        received += size;
        if (received > Max_Body_Bytes) return false;
        write_failed = !body.Write(data, size);
        return !write_failed;
    };
    int code = 0;
    Http_Options options;
    options.connect_timeout_ms = Connect_Timeout_Ms;
    options.total_timeout_ms = Total_Timeout_Ms;
    Http_Failure failure = Http_Get(url, Agent, on_data, &code, options);

    // A failed step leaves the later steps an empty handle, so each of them fails in turn
    // with ERROR_INVALID_HANDLE and logs its own line, as on Windows.
    switch (failure) {
        case Http_Failure::None:
            break;
        case Http_Failure::Open:
            Log_Write(Engine_Log, 1, "CTarvelIO::Retrieve_Data_URL() :: failed (InternetOpen [%i])",
                      code);
            code = Http_Error_Invalid_Handle;
            [[fallthrough]];
        case Http_Failure::Request:
            Log_Write(Engine_Log, 1,
                      "CTarvelIO::Retrieve_Data_URL() :: failed (InternetOpenURL [%i])", code);
            code = Http_Error_Invalid_Handle;
            [[fallthrough]];
        case Http_Failure::Read:
            if (write_failed) {
                Log_Write(Engine_Log, 1,
                          "CTarvelIO::Retrieve_Data_URL() :: failed (temporary file [%i])",
                          body.Error());
            } else {
                // Logged for a body cut off after its first piece too: a lost answer must
                // show in the log.
                Log_Write(Engine_Log, 1,
                          "CTarvelIO::Retrieve_Data_URL() :: failed (InternetReadFile [%i])", code);
            }
            return std::string();
    }

    std::string raw;
    if (!body.Read_All(&raw)) {
        Log_Write(Engine_Log, 1, "CTarvelIO::Retrieve_Data_URL() :: failed (temporary file [%i])",
                  body.Error());
        return std::string();
    }
    std::string result = Text_Mode_Read(raw);
    if (save_path != nullptr) {
        int error = body.Move_To(save_path);
        if (error != 0) {
            // The body is still the answer; only the copy on disk is missing.
            Log_Write(Engine_Log, 1, "CTarvelIO::Retrieve_Data_URL() :: failed (save file [%i])",
                      error);
        }
    }
    return result;
}
