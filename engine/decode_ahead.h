// Decoding done ahead of the loader that needs it. Start-up decodes its pictures and
// sounds while the window and its OpenGL context are being made (most of that is the
// graphics driver loading, which leaves the other processor idle): a worker thread reads
// each named file as the loading protocol will find it (the archive's member, else the
// loose file) and decodes it. The loader keeps its protocol, its checks and its log
// lines, and only at the decoding step asks for the worker's result, which it gets when
// the file it is about to decode holds exactly the bytes the worker decoded; in every
// other case it decodes the file itself, as without the worker.
//
// The worker touches nothing but its own files and results: it logs nothing and needs no
// window or device. Only the thread that made the object calls Take.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The bytes of `name` as the loading protocol finds them: the member of `archive` when
// the archive exists and holds it, else the loose file `name`. False when neither can be
// read.
bool Decode_Ahead_Read_Source(const char* archive, const char* name,
                              std::vector<std::uint8_t>* bytes);
// Whether the file `path` holds exactly `bytes`.
bool Decode_Ahead_File_Equals(const char* path, const std::vector<std::uint8_t>& bytes);

template <typename Decoded>
class Decode_Ahead {
  public:
    using Decoder = std::function<Decoded(const std::vector<std::uint8_t>& bytes)>;

    // Starts the worker on `names`, in order.
    Decode_Ahead(std::string archive, const std::vector<std::string>& names, Decoder decode)
        : archive_(std::move(archive)), decode_(std::move(decode)) {
        for (const std::string& name : names) items_.push_back(Item{name, {}, {}, Item::Waiting});
        worker_ = std::thread([this] { Run(); });
    }
    // Lets the worker finish the file at hand, skips the rest and waits for it.
    ~Decode_Ahead() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        worker_.join();
    }
    Decode_Ahead(const Decode_Ahead&) = delete;
    Decode_Ahead& operator=(const Decode_Ahead&) = delete;

    // What the worker decoded for `name`, when it decoded exactly the bytes that the file
    // `path` holds now; waits while the worker is decoding it. Nothing when the name was
    // not asked for or was taken before, when the worker has not begun it (it then leaves
    // it to the caller), or when its bytes could not be read or differ from the file's.
    std::optional<Decoded> Take(const std::string& name, const char* path) {
        std::unique_lock<std::mutex> lock(mutex_);
        Item* item = nullptr;
        for (Item& candidate : items_) {
            if (candidate.name == name && candidate.state != Item::Taken) {
                item = &candidate;
                break;
            }
        }
        if (item == nullptr) return std::nullopt;
        if (item->state == Item::Waiting) {
            item->state = Item::Taken;  // the caller decodes it sooner than the worker could
            return std::nullopt;
        }
        ready_.wait(lock, [item] { return item->state != Item::Working; });
        item->state = Item::Taken;
        std::vector<std::uint8_t> source = std::move(item->source);
        std::optional<Decoded> decoded = std::move(item->decoded);
        item->decoded.reset();
        lock.unlock();
        if (!decoded || !Decode_Ahead_File_Equals(path, source)) return std::nullopt;
        return decoded;
    }

  private:
    struct Item {
        std::string name;
        std::vector<std::uint8_t> source;  // the bytes decoded
        std::optional<Decoded> decoded;    // nothing when the bytes could not be read
        enum { Waiting, Working, Done, Taken } state;
    };

    void Run() {
        for (std::size_t i = 0;; ++i) {
            std::string name;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_ || i >= items_.size()) return;
                if (items_[i].state != Item::Waiting) continue;
                items_[i].state = Item::Working;
                name = items_[i].name;
            }
            std::vector<std::uint8_t> source;
            std::optional<Decoded> decoded;
            if (Decode_Ahead_Read_Source(archive_.c_str(), name.c_str(), &source)) {
                decoded = decode_(source);
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                items_[i].source = std::move(source);
                items_[i].decoded = std::move(decoded);
                items_[i].state = Item::Done;
            }
            ready_.notify_all();
        }
    }

    const std::string archive_;
    const Decoder decode_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Item> items_;  // fixed in size once the worker runs
    bool stopping_ = false;
    std::thread worker_;
};
