// tindral-sim as a user runs it: a copy of the program in a folder of its own, with the
// model archive in data/ beside it, started from another working folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/pak.h"
#include "tests/game/game_test_support.h"

namespace {

// Every [x, y, z] that follows "key": in the output, in order.
std::vector<std::vector<double>> Triples(const std::string& json, const std::string& key) {
    std::vector<std::vector<double>> values;
    const std::string number = "(-?[0-9.eE+-]+)";
    std::regex pattern("\"" + key + "\": \\[" + number + ", " + number + ", " + number + "\\]");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        values.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3])});
    }
    return values;
}

std::vector<std::string> Words(const std::string& json, const std::string& key) {
    std::vector<std::string> values;
    std::regex pattern("\"" + key + "\": (true|false)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        values.push_back((*it)[1]);
    }
    return values;
}

class Sim_Test : public ::testing::Test {
  protected:
    Sim_Test() {
        std::filesystem::copy_file(TINDRAL_SIM_PATH, program_folder / "tindral-sim");
        mkdir((program_folder / "data").c_str(), 0755);
        std::vector<Pak_Input> members;
        for (auto [name, text] : {std::pair{"ground.dat", Fixture_Ground()},
                                  {"wall.dat", Fixture_Wall()},
                                  {"paddle.dat", Fixture_Paddle()},
                                  {"sphere.dat", Fixture_Sphere()}}) {
            members.push_back({name, {text.begin(), text.end()}});
        }
        Pak_Write((program_folder / "data/models.pak").c_str(), members);
    }
    Run_Result Sim(const std::string& arguments) {
        // --steps 0: the set-up alone (by default the match is played to its end).
        return Run_Command("cd " + elsewhere.Path() + " && " + (program_folder / "tindral-sim") +
                           " --steps 0 " + arguments + " 2>/dev/null");
    }

    Scratch_Folder program_folder;
    Scratch_Folder elsewhere;  // the working folder the program is started from
};

TEST_F(Sim_Test, HighScoreSetUp) {
    Run_Result run = Sim("--level 6 --sides 1,2,1,1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Numbers(run.output, "family"), std::vector<double>{6});
    EXPECT_EQ(Numbers(run.output, "wall"), std::vector<double>{98});  // read from the archive
    EXPECT_EQ(Numbers(run.output, "clock"), std::vector<double>{150});
    EXPECT_EQ(Numbers(run.output, "sphere_speed"), std::vector<double>{300});
    EXPECT_EQ(Triples(run.output, "position"),
              (std::vector<std::vector<double>>{
                  {-50, 50, 10}, {50, 50, 10}, {50, -50, 10}, {-50, -50, 10}}));
    std::vector<double> headings = Numbers(run.output, "heading");
    ASSERT_EQ(headings.size(), 4u);
    const double expected[4] = {225, 135, 45, 315};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(headings[i], expected[i], 1e-3);
    EXPECT_EQ(Numbers(run.output, "launch_timer"), (std::vector<double>{3, 3, 3, 3}));
    EXPECT_EQ(Words(run.output, "parked"),
              (std::vector<std::string>{"true", "true", "true", "true"}));
    EXPECT_EQ(Words(run.output, "closed"),
              (std::vector<std::string>{"true", "false", "true", "true"}));
    EXPECT_EQ(Numbers(run.output, "controller"), (std::vector<double>{8, 2, 8, 8}));
    EXPECT_EQ(
        Triples(run.output, "paddle"),
        (std::vector<std::vector<double>>{{0, 130, 0}, {0, -130, 0}, {-130, 0, 0}, {130, 0, 0}}));
}

TEST_F(Sim_Test, CountdownAndTimedSetUps) {
    Run_Result countdown = Sim("--level 4 --sides 7,1,8,7");
    ASSERT_EQ(countdown.status, 0);
    EXPECT_EQ(Numbers(countdown.output, "sphere_count"), std::vector<double>{1});
    EXPECT_EQ(Triples(countdown.output, "position"),
              (std::vector<std::vector<double>>{{0, 0, 10}}));
    EXPECT_EQ(Numbers(countdown.output, "score"), (std::vector<double>{600, 600, 0, 600}));
    EXPECT_EQ(Words(countdown.output, "closed"),
              (std::vector<std::string>{"false", "false", "true", "false"}));

    Run_Result timed = Sim("--level 1 --sides 7,1,7,7");
    ASSERT_EQ(timed.status, 0);
    EXPECT_EQ(Numbers(timed.output, "sphere_count"), std::vector<double>{3});
    EXPECT_EQ(Numbers(timed.output, "clock"), std::vector<double>{360});
    EXPECT_EQ(Numbers(timed.output, "sphere_speed"), std::vector<double>{200});
}

TEST_F(Sim_Test, RepeatedSetUpsPrintTheSameState) {
    for (const char* level : {"0", "4", "6"}) {
        std::string arguments = std::string("--level ") + level + " --sides 7,8,7,1";
        Run_Result once = Sim(arguments);
        Run_Result thrice = Sim(arguments + " --setups 3");
        ASSERT_EQ(once.status, 0);
        EXPECT_EQ(once.output, thrice.output) << level;
    }
}

TEST_F(Sim_Test, LogNamesTheModelsRead) {
    std::string log = elsewhere / "sim.log";
    Run_Result run = Sim("--level 3 --log sim.log");  // relative to the caller's folder
    ASSERT_EQ(run.status, 0);
    std::string text = Read_File(log);
    EXPECT_NE(text.find("CTarvelModel::File_Load() :: [wall.dat][98 points][8 triangles]"),
              std::string::npos);
    EXPECT_NE(text.find("[sphere.dat][5 points][4 triangles]"), std::string::npos);
}

TEST_F(Sim_Test, BadArgumentsAreRefused) {
    for (const char* arguments :
         {"--level 7", "--level -1", "--level x", "--sides 1,2,3", "--sides 1,2,3,9",
          "--sides 1,2,3,4,5", "--sides 0,1,1,1", "--bogus", "--level"}) {
        Run_Result run = Sim(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_TRUE(run.output.empty()) << arguments;
    }
}

TEST_F(Sim_Test, RunsPlayAsRecorded) {
    // Whole runs on the test arena against the output recorded in sim_golden.txt: every
    // position, velocity, score, time, reset and sound comes out the same, and the same
    // again with the meshes left unrolled.
    std::istringstream golden(Read_File(TINDRAL_SIM_GOLDEN));
    std::vector<std::pair<std::string, std::string>> runs;  // arguments, output
    for (std::string line; std::getline(golden, line);) {
        if (line.rfind("#", 0) == 0) continue;
        if (line.rfind("$ ", 0) == 0) {
            runs.push_back({line.substr(2), ""});
        } else if (!runs.empty()) {
            runs.back().second += line + "\n";
        }
    }
    ASSERT_FALSE(runs.empty()) << "nothing read from " << TINDRAL_SIM_GOLDEN;
    for (const auto& [arguments, recorded] : runs) {
        for (const char* meshes : {"", " --meshes 0"}) {
            Run_Result run =
                Run_Command("cd " + elsewhere.Path() + " && " + (program_folder / "tindral-sim") +
                            " " + arguments + meshes + " 2>/dev/null");
            ASSERT_EQ(run.status, 0) << arguments << meshes;
            EXPECT_EQ(run.output, recorded) << arguments << meshes;
        }
    }
}

// The shipped arena, once the build has made its archives.
TEST(Sim_Shipped, HighScoreSetUpWithTheRealModels) {
    const std::string program = TINDRAL_SIM_PATH;
    const std::string archive =
        std::filesystem::path(program).parent_path() / "data" / "models.pak";
    if (!File_Exists(archive)) GTEST_SKIP() << "no " << archive << " yet";
    Run_Result run = Run_Command(program + " --steps 0 --level 6 2>/dev/null");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(Triples(run.output, "position"),
              (std::vector<std::vector<double>>{
                  {-50, 50, 10}, {50, 50, 10}, {50, -50, 10}, {-50, -50, 10}}));
    EXPECT_EQ(Words(run.output, "closed"),
              (std::vector<std::string>{"true", "false", "true", "true"}));
}

}  // namespace
