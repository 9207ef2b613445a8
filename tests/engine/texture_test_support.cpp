#include "tests/engine/texture_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "engine/pak.h"
#include "platform/png.h"
#include "tests/support/log_entries.h"

void Texture_Fixture::SetUp() {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_directory_ = cwd;
    folder = std::make_unique<Scratch_Folder>();
    ASSERT_EQ(chdir(folder->Path().c_str()), 0);
    mkdir("data", 0755);
    log_path = *folder / "log.dat";
    window = std::make_unique<CTarvelWindow>(100.0f, 800.0f, log_path.c_str(), nullptr);
    ASSERT_TRUE(window->GL_Create_Window("Texture test", 64, 64, 16, false, false, false, true));
}

void Texture_Fixture::TearDown() {
    window.reset();
    if (!previous_directory_.empty()) {
        EXPECT_EQ(chdir(previous_directory_.c_str()), 0);
    }
    folder.reset();
}

std::string Texture_Fixture::Png_Bytes(int width, int height,
                                       const std::vector<std::uint32_t>& rgba) {
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t p : rgba) {
        pixels.push_back(std::uint8_t(p >> 24));
        pixels.push_back(std::uint8_t(p >> 16));
        pixels.push_back(std::uint8_t(p >> 8));
        pixels.push_back(std::uint8_t(p));
    }
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(Png_Encode_RGBA(width, height, pixels.data(), &bytes));
    return std::string(bytes.begin(), bytes.end());
}

std::string Texture_Fixture::Png_Bytes(int width, int height) {
    return Png_Bytes(width, height,
                     std::vector<std::uint32_t>(size_t(width) * height, 0x808080FFu));
}

void Texture_Fixture::Write_Archive(
    const std::vector<std::pair<std::string, std::string>>& members) {
    std::vector<Pak_Input> inputs;
    for (const auto& [name, data] : members) {
        inputs.push_back(Pak_Input{name, std::vector<std::uint8_t>(data.begin(), data.end())});
    }
    ASSERT_TRUE(Pak_Write("data/textures.pak", inputs));
}

void Texture_Fixture::Use_Built_Archive() {
    std::string bytes = Read_File(std::string(TINDRAL_DATA_DIR) + "/textures.pak");
    ASSERT_FALSE(bytes.empty()) << "the build's data/textures.pak is missing";
    Write_File("data/textures.pak", bytes);
}

std::vector<std::string> Texture_Fixture::Log_Entries() const {
    std::vector<std::string> out;
    for (const Log_Entry& entry : Log_Entries_Read(log_path)) {
        out.push_back(std::to_string(entry.level) + ":" + entry.text);
    }
    return out;
}

int Texture_Fixture::Log_Count(int level, const std::string& text) const {
    int count = 0;
    for (const std::string& e : Log_Entries()) count += e == std::to_string(level) + ":" + text;
    return count;
}
