#include "tests/audio/audio_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "engine/pak.h"
#include "shell/log.h"

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

void PrintTo(const Log_Entry& entry, std::ostream* out) {
    *out << "{" << entry.level << ", \"" << entry.text << "\"}";
}

void Audio_Test::SetUp() {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_dir_ = cwd;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tindral-audio-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    std::filesystem::create_directory("data");
    log_path_ = dir_ + "/log.dat";
    Engine_Log = Log_Open(log_path_.c_str());
    ASSERT_NE(Engine_Log, nullptr);
}

void Audio_Test::TearDown() {
    Log_Close(Engine_Log);
    Engine_Log = nullptr;
    if (!old_dir_.empty()) {
        EXPECT_EQ(chdir(old_dir_.c_str()), 0);
    }
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

std::vector<Log_Entry> Audio_Test::Log_Entries() const {
    std::ifstream file(log_path_);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    // One entry: " \cfN\f0 HH:MM:SS :: message\cf0\f1\par", colour N = level + 1.
    static const std::regex entry(R"( \\cf([1-4])\\f0 \d\d:\d\d:\d\d :: (.*?)\\cf0\\f1\\par)");
    std::vector<Log_Entry> entries;
    for (auto it = std::sregex_iterator(all.begin(), all.end(), entry);
         it != std::sregex_iterator(); ++it) {
        entries.push_back({std::stoi((*it)[1]) - 1, (*it)[2]});
    }
    return entries;
}

void Audio_Test::Write_Sound(const std::string& name, const Test_Sound& sound) const {
    const std::vector<std::uint8_t> bytes = Encode_Ogg(sound);
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(Write_Bytes(dir_ + "/" + name, bytes));
}

void Audio_Test::Write_Archive(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& members) const {
    std::vector<Pak_Input> inputs;
    for (const auto& [name, bytes] : members) inputs.push_back({name, bytes});
    ASSERT_TRUE(Pak_Write((dir_ + "/data/audio.pak").c_str(), inputs));
}

bool Audio_Test::Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

Recording Audio_Test::Read_Wave() const {
    Recording recording;
    EXPECT_TRUE(Read_Recording(Test_Wave_Path(), recording)) << Test_Wave_Path();
    return recording;
}
