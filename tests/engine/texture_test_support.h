// Shared by the texture tests: a window with a real GL context in a scratch folder that
// is the current directory (the loaders read "data/textures.pak" and loose files from
// there), small PNG files, and the entries of the window's RTF log.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/window.h"
#include "tests/engine/pak_test_support.h"

class Texture_Fixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // PNG bytes of a width x height image whose pixels are given top row first, RGBA.
    static std::string Png_Bytes(int width, int height, const std::vector<std::uint32_t>& rgba);
    static std::string Png_Bytes(int width, int height);  // a plain grey image
    // Writes data/textures.pak in the scratch folder holding these members.
    void Write_Archive(const std::vector<std::pair<std::string, std::string>>& members);
    // Copies the archive that the build generated into the scratch folder's data/.
    void Use_Built_Archive();

    // How many log entries at `level` read exactly `text`.
    int Log_Count(int level, const std::string& text) const;
    // The texts of all entries, in order, as "level:text".
    std::vector<std::string> Log_Entries() const;

    std::unique_ptr<Scratch_Folder> folder;
    std::unique_ptr<CTarvelWindow> window;
    std::string log_path;

  private:
    std::string previous_directory_;
};
