// Sets OpenAL Soft up for this test process before anything touches OpenAL: its own
// configuration file (ALSOFT_CONF is read once, when the library first initialises)
// selecting the backend named by TINDRAL_TEST_AL_DRIVERS and allowing each context
// TINDRAL_TEST_AL_SOURCES sources (16 unless the test binary says otherwise). With the wave
// backend the mix goes, in real time, to a mono 16-bit file in a temporary folder of this
// process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/audio/audio_fixture.h"

#ifndef TINDRAL_TEST_AL_SOURCES
#define TINDRAL_TEST_AL_SOURCES 16
#endif

namespace {
std::string Wave_Path;
}  // namespace

const std::string& Test_Wave_Path() {
    return Wave_Path;
}

int main(int argc, char** argv) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "tindral-openal-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) return 2;
    Wave_Path = folder + "/out.wav";
    const std::string config = folder + "/alsoft.conf";
    {
        std::ofstream out(config);
        out << "[general]\n"
            << "drivers = " << TINDRAL_TEST_AL_DRIVERS << "\n"
            << "channels = mono\n"
            << "sample-type = int16\n"
            << "frequency = 44100\n"
            << "sources = " << TINDRAL_TEST_AL_SOURCES << "\n"
            << "[wave]\n"
            << "file = " << Wave_Path << "\n";
    }
    setenv("ALSOFT_CONF", config.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    // Warnings, among them what a context or device still held when it was destroyed, on
    // the standard error stream: unlike a log file it is not buffered, so a test can read
    // what its own device wrote.
    setenv("ALSOFT_LOGLEVEL", "2", 1);
    unsetenv("ALSOFT_LOGFILE");

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return result;
}
