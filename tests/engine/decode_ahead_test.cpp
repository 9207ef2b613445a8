// Decode_Ahead with real files in a scratch folder that is the current directory: the
// worker's result is handed out only for exactly the bytes the loader is about to read,
// work the worker has not begun is left to the loader, and the worker stops when asked.
#include "engine/decode_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/pak.h"
#include "tests/engine/pak_test_support.h"

namespace {

using namespace std::chrono_literals;

// What the tests' decoder makes of a file: its text, and the thread that decoded it.
struct Decoded_Text {
    std::string text;
    std::thread::id thread;
};

Decoded_Text Decode_Text(const std::vector<std::uint8_t>& bytes) {
    return Decoded_Text{std::string(bytes.begin(), bytes.end()), std::this_thread::get_id()};
}

class Decode_Ahead_Test : public ::testing::Test {
  protected:
    void Archive(const std::vector<Raw_Entry>& members) {
        std::filesystem::create_directory(dir_ / "data");
        Write_File(dir_ / "data/test.pak", Raw_Archive(members));
    }

    Scratch_Folder dir_;
    Working_Folder here_{dir_.Path()};
};

// The worker reads each name as the loading protocol finds it (the archive's member, else
// the loose file); the loader gets the result only when the file it is about to decode
// holds those very bytes, so a file that changed since, or the loose file standing beside
// an archive member, is decoded by the loader itself.
TEST_F(Decode_Ahead_Test, ResultOnlyForTheBytesTheLoaderReads) {
    Archive({{"member.png", "from the archive"}, {"beside.png", "also from the archive"}});
    Write_File(dir_ / "beside.png", "loose beside the member");
    Write_File(dir_ / "extracted.png", "from the archive");  // the loader's extracted copy
    Write_File(dir_ / "loose.png", "loose only");
    Write_File(dir_ / "changed.png", "as the worker read it");
    std::atomic<int> decoded{0};
    Decode_Ahead<Decoded_Text> ahead(
        "data/test.pak", {"member.png", "beside.png", "loose.png", "gone.png", "changed.png"},
        [&](const std::vector<std::uint8_t>& bytes) {
            ++decoded;
            return Decode_Text(bytes);
        });
    while (decoded < 4) std::this_thread::sleep_for(1ms);  // all but gone.png, which it missed
    Write_File(dir_ / "changed.png", "changed since");
    Write_File(dir_ / "gone.png", "appeared later");

    struct Case {
        const char* name;
        const char* path;  // what the loader would decode
        const char* text;  // nullptr: the loader decodes it itself
    } cases[] = {
        {"member.png", "extracted.png", "from the archive"},
        {"beside.png", "beside.png", nullptr},
        {"loose.png", "loose.png", "loose only"},
        {"changed.png", "changed.png", nullptr},
        {"gone.png", "gone.png", nullptr},
        {"unknown.png", "loose.png", nullptr},
        {"loose.png", "loose.png", nullptr},  // handed out once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + c.path);
        std::optional<Decoded_Text> got = ahead.Take(c.name, c.path);
        if (c.text == nullptr) {
            EXPECT_FALSE(got.has_value());
            continue;
        }
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->text, c.text);
        EXPECT_NE(got->thread, std::this_thread::get_id());
    }
}

// A name the worker has not begun is the loader's (the worker skips it); a name the worker
// is decoding is waited for.
TEST_F(Decode_Ahead_Test, LoaderWaitsForWorkUnderWayAndTakesOverTheRest) {
    for (const char* name : {"a.png", "b.png", "c.png"}) Write_File(dir_ / name, name);
    std::atomic<bool> started{false}, go{false};
    std::atomic<int> decoded{0};
    Decode_Ahead<Decoded_Text> ahead("data/none.pak", {"a.png", "b.png", "c.png"},
                                     [&](const std::vector<std::uint8_t>& bytes) {
                                         started = true;
                                         while (!go) std::this_thread::sleep_for(1ms);
                                         ++decoded;
                                         return Decode_Text(bytes);
                                     });
    while (!started) std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(ahead.Take("b.png", "b.png").has_value());  // not begun: the loader's
    std::thread release([&] {
        std::this_thread::sleep_for(50ms);
        go = true;
    });
    std::optional<Decoded_Text> a = ahead.Take("a.png", "a.png");  // under way: waits
    release.join();
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->text, "a.png");
    while (decoded < 2) std::this_thread::sleep_for(1ms);  // the worker went on to c
    std::optional<Decoded_Text> c = ahead.Take("c.png", "c.png");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->text, "c.png");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(decoded, 2);  // b was left to the loader
}

// Destroying it lets the worker finish the file at hand and skip the rest.
TEST_F(Decode_Ahead_Test, StopsAfterTheFileAtHand) {
    std::vector<std::string> names;
    for (int i = 0; i < 50; ++i) {
        names.push_back("f" + std::to_string(i) + ".png");
        Write_File(dir_ / names.back(), "x");
    }
    std::atomic<int> decoded{0};
    {
        Decode_Ahead<Decoded_Text> ahead("data/none.pak", names,
                                         [&](const std::vector<std::uint8_t>& bytes) {
                                             ++decoded;
                                             std::this_thread::sleep_for(20ms);
                                             return Decode_Text(bytes);
                                         });
        while (decoded == 0) std::this_thread::sleep_for(1ms);
    }
    EXPECT_LE(decoded, 2);
}

}  // namespace
