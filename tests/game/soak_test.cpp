// The long soak run: an hour of play in every mode, at 60 and at 30 frames per second,
// with the computer on all four sides and no end rules, played by tindral-sim on the
// shipped arena. No sphere may leave the arena in any of them. The fourteen runs go to
// parallel processes, one per processor; the drawn meshes are not rolled (--meshes 0),
// which changes nothing in the play and saves most of each step.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/game/game_test_support.h"

namespace {

struct Soak_Run {
    int level;
    int frames_per_second;
    Run_Result result;
    double wall_seconds = 0;
};

double Number(const std::string& json, const std::string& key) {
    std::vector<double> values = Numbers(json, key);
    return values.size() == 1 ? values[0] : -1.0;
}

TEST(Soak, AnHourOfEveryModeAt60And30FramesPerSecondLosesNoSphere) {
    constexpr int Seconds = 3600;
    std::vector<Soak_Run> runs;
    for (int frames_per_second : {60, 30}) {
        for (int level = 0; level <= 6; ++level)
            runs.push_back(Soak_Run{level, frames_per_second, {}, 0});
    }
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < runs.size(); i = next++) {
            Soak_Run& run = runs[i];
            char arguments[256];
            std::snprintf(arguments, sizeof arguments,
                          " --level %d --sides 7,7,7,7 --seconds %d --end-rules 0 --meshes 0 "
                          "--sound 1 --dt %.9g",
                          run.level, Seconds, 1.0 / run.frames_per_second);
            const auto start = std::chrono::steady_clock::now();
            run.result = Run_Command(std::string(TINDRAL_SIM_PATH) + arguments);
            run.wall_seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    };
    const unsigned processes = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < processes; ++i) workers.emplace_back(work);
    for (std::thread& worker : workers) worker.join();

    std::printf("level  fps  escapes  goals  resets  wall s\n");
    for (const Soak_Run& run : runs) {
        const std::string& json = run.result.output;
        std::printf("%5d  %3d  %7.0f  %5.0f  %6.0f  %6.1f\n", run.level, run.frames_per_second,
                    Number(json, "escapes"), Number(json, "2"), Number(json, "resets"),
                    run.wall_seconds);
    }
    for (const Soak_Run& run : runs) {
        const std::string& json = run.result.output;
        const std::string name = "level " + std::to_string(run.level) + " at " +
                                 std::to_string(run.frames_per_second) + " fps";
        ASSERT_EQ(run.result.status, 0) << name << "\n" << json;
        EXPECT_EQ(Number(json, "steps"), double(Seconds) * run.frames_per_second) << name;
        EXPECT_EQ(Number(json, "first_bad_step"), -1) << name;
        EXPECT_EQ(Number(json, "escapes"), 0) << name;
        // Every sphere in flight stayed inside the walls (the goals' backs stand at 190).
        EXPECT_LT(Number(json, "max_extent"), 190.0) << name;
        // It was played: goals were scored, and every reset followed one.
        EXPECT_GT(Number(json, "2"), 0) << name;
        EXPECT_EQ(Number(json, "resets"), Number(json, "2")) << name;
    }
}

}  // namespace
