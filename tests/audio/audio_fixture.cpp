#include "tests/audio/audio_fixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/log.h"
#include "engine/pak.h"

void Run_Frames(CTarvelAudio* audio, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (audio != nullptr) audio->Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Stderr_Capture::Stderr_Capture(const std::string& path) : path_(path) {
    std::fflush(stderr);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0) return;
    saved_ = dup(STDERR_FILENO);
    dup2(file, STDERR_FILENO);
    close(file);
}

Stderr_Capture::~Stderr_Capture() {
    Finish();
}

std::string Stderr_Capture::Finish() {
    if (saved_ >= 0) {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    std::ifstream file(path_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void Audio_Test::SetUp() {
    folder_ = std::make_unique<Scratch_Folder>();
    dir_ = folder_->Path();
    here_ = std::make_unique<Working_Folder>(dir_);
    std::filesystem::create_directory("data");
    log_path_ = dir_ + "/log.dat";
    Engine_Log = Log_Open(log_path_.c_str());
    ASSERT_NE(Engine_Log, nullptr);
}

void Audio_Test::TearDown() {
    Log_Close(Engine_Log);
    Engine_Log = nullptr;
    here_.reset();
    folder_.reset();
}

std::vector<Log_Entry> Audio_Test::Log_Entries() const {
    return Log_Entries_Read(log_path_);
}

void Audio_Test::Write_Sound(const std::string& name, const Test_Sound& sound) const {
    const std::vector<std::uint8_t> bytes = Encode_Ogg(sound);
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(Write_File(dir_ + "/" + name, std::string(bytes.begin(), bytes.end())));
}

void Audio_Test::Write_Archive(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& members) const {
    std::vector<Pak_Input> inputs;
    for (const auto& [name, bytes] : members) inputs.push_back({name, bytes});
    ASSERT_TRUE(Pak_Write((dir_ + "/data/audio.pak").c_str(), inputs));
}

Recording Audio_Test::Read_Wave() const {
    Recording recording;
    EXPECT_TRUE(Read_Recording(Test_Wave_Path(), recording)) << Test_Wave_Path();
    return recording;
}
