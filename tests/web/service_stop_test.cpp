// Stopping the service at any moment after it bound its port, as systemd may stop it right
// after starting it: Run() then returns instead of serving on.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "tests/support/files.h"
#include "web/service.h"
#include "web/store.h"

namespace {

TEST(Web_Service_Stop, AStopBeforeServingBeginsEndsTheRun) {
    Scratch_Folder folder;
    auto store = Open_Sqlite_Store(folder / "scores.db");
    Web_Service service(*store, 0);
    std::string error;
    ASSERT_TRUE(service.Bind("127.0.0.1", 0, error)) << error;

    // The stop is asked for before Run() starts: the signal that came first.
    std::thread stopper([&] { service.Stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto run = std::async(std::launch::async, [&] { return service.Run(); });
    const bool ended = run.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!ended) service.Stop();  // lets the test end after its failure
    stopper.join();
    EXPECT_TRUE(ended) << "the service went on serving after the stop";
    EXPECT_TRUE(run.get());
}

TEST(Web_Service_Stop, AStopWhileServingEndsTheRun) {
    Scratch_Folder folder;
    auto store = Open_Sqlite_Store(folder / "scores.db");
    Web_Service service(*store, 0);
    std::string error;
    ASSERT_TRUE(service.Bind("127.0.0.1", 0, error)) << error;
    auto run = std::async(std::launch::async, [&] { return service.Run(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    service.Stop();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(run.get());
}

}  // namespace
