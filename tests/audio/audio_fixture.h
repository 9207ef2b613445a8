// The frame of every sound-device test: a fresh temporary folder that is the current
// directory (the program folder, where "data/audio.pak" and loose files are looked up),
// and an open event log in it that the test reads back.
#pragma once

#include <AL/al.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "tests/audio/recording.h"
#include "tests/audio/test_sound.h"
#include "tests/support/files.h"
#include "tests/support/log_entries.h"

// The file OpenAL Soft's wave backend writes for this test process (set up by main).
const std::string& Test_Wave_Path();
// Collects what is written to the standard error stream (OpenAL Soft's warnings) while
// it lives.
class Stderr_Capture {
  public:
    explicit Stderr_Capture(const std::string& path);
    ~Stderr_Capture();
    // Ends the capture (if still running) and returns what was written.
    std::string Finish();

  private:
    std::string path_;
    int saved_ = -1;
};

// Lets `seconds` of real time pass as the game's frames do, calling Update every 10 ms.
// Without a device to feed (`audio` null) it only waits.
void Run_Frames(CTarvelAudio* audio, double seconds);

class Audio_Test : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The entries written to the event log so far.
    std::vector<Log_Entry> Log_Entries() const;
    // Encodes `sound` into `name` inside the test folder.
    void Write_Sound(const std::string& name, const Test_Sound& sound) const;
    // Writes "data/audio.pak" holding `members` (name, bytes) in that order.
    void Write_Archive(
        const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& members) const;
    // The wave backend's recording; call after the device was closed, which writes its sizes.
    Recording Read_Wave() const;

    std::string dir_;

  private:
    std::unique_ptr<Scratch_Folder> folder_;
    std::unique_ptr<Working_Folder> here_;  // the test folder is the current directory
    std::string log_path_;
};
