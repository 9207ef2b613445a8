// Both stores through the one interface, with the same cases: SQLite on a real file, and
// PostgreSQL in a private cluster that pg_cluster.py starts and names in
// TINDRAL_TEST_POSTGRES (the PostgreSQL cases are skipped without it).
#include "web/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <pqxx/pqxx>
#include <thread>

#include "tests/support/files.h"

namespace {

Score_Run Make_Run(const std::string& name, std::int32_t spheres, std::int64_t time_us,
                   const std::string& os = "XP", std::int32_t index = 0) {
    return Score_Run{name, time_us, spheres, os, "1.65", index};
}

std::vector<std::string> Names(const std::vector<Ranked_Run>& runs) {
    std::vector<std::string> names;
    for (const Ranked_Run& run : runs) names.push_back(run.name);
    return names;
}

class Sqlite_Backend {
  public:
    static constexpr const char* Name = "Sqlite";
    Sqlite_Backend() : path_(folder_.Path() + "/scores.db") {}
    bool Available(std::string&) { return true; }
    std::unique_ptr<Score_Store> Open() { return Open_Sqlite_Store(path_); }
    const std::string& Path() const { return path_; }

  private:
    Scratch_Folder folder_;
    std::string path_;
};

class Postgres_Backend {
  public:
    static constexpr const char* Name = "Postgres";
    bool Available(std::string& why) {
        const char* conninfo = std::getenv("TINDRAL_TEST_POSTGRES");
        if (conninfo == nullptr || conninfo[0] == '\0') {
            why = "TINDRAL_TEST_POSTGRES is not set (run through pg_cluster.py)";
            return false;
        }
        conninfo_ = conninfo;
        // Every test starts from an empty database.
        pqxx::connection connection(conninfo_);
        pqxx::work work(connection);
        work.exec("DROP TABLE IF EXISTS score_runs, install_reports");
        work.commit();
        return true;
    }
    std::unique_ptr<Score_Store> Open() { return Open_Postgres_Store(conninfo_); }

  private:
    std::string conninfo_;
};

template <class Backend>
class Store_Test : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        if (!backend.Available(why)) GTEST_SKIP() << why;
        opened = backend.Open();
    }

    Backend backend;
    std::unique_ptr<Score_Store> opened;
};

struct Backend_Names {
    template <class T>
    static std::string GetName(int) {
        return T::Name;
    }
};

using Backends = ::testing::Types<Sqlite_Backend, Postgres_Backend>;
TYPED_TEST_SUITE(Store_Test, Backends, Backend_Names);

TYPED_TEST(Store_Test, SameRunTwiceIsStoredOnceAndRunsDifferingInAnyFieldAreEach) {
    Score_Store& store = *this->opened;
    const Score_Run first = Make_Run("Ann", 3, 40'500'000, "XP", 1074);
    EXPECT_EQ(store.Add_Run(first, 100), Add_Result::Stored);
    EXPECT_EQ(store.Add_Run(first, 200), Add_Result::Already_Stored);

    std::vector<Score_Run> others(6, first);
    others[0].name = "ann";
    others[1].time_us += 1;
    others[2].spheres = 4;
    others[3].os = "Vista";
    others[4].index = 1075;
    others[5].version = "1.66";
    for (const Score_Run& run : others) EXPECT_EQ(store.Add_Run(run, 300), Add_Result::Stored);

    Store_Summary summary = store.Read_Summary(25);
    EXPECT_EQ(summary.runs, 7);
    // The repeat kept the first arrival's time. (Only the run one microsecond longer
    // ranks before it.)
    ASSERT_GE(summary.by_spheres.size(), 2u);
    EXPECT_EQ(summary.by_spheres[1], (Ranked_Run{"Ann", 3, 40'500'000, "XP", 100}));
}

TYPED_TEST(Store_Test, TablesRankAsTheGameDoesAndShowTheTopOnly) {
    Score_Store& store = *this->opened;
    // name, spheres, time: stored in this order.
    const Score_Run runs[] = {
        Make_Run("Slow", 2, 10'000'000),          Make_Run("Tie1", 1, 50'000'000),
        Make_Run("Best", 0, 20'000'000),          Make_Run("Long", 5, 149'000'000),
        Make_Run("Tie2", 1, 50'000'000, "Vista"), Make_Run("More", 1, 60'000'000),
        Make_Run("Even", 5, 60'000'000),
    };
    for (const Score_Run& run : runs) store.Add_Run(run, 1);
    Store_Summary summary = store.Read_Summary(25);
    // Fewer spheres first; equal spheres, longer time first; a full tie, first stored.
    EXPECT_EQ(Names(summary.by_spheres),
              (std::vector<std::string>{"Best", "More", "Tie1", "Tie2", "Slow", "Long", "Even"}));
    // Longer time first; equal times, fewer spheres first; a full tie, first stored.
    EXPECT_EQ(Names(summary.by_time),
              (std::vector<std::string>{"Long", "More", "Even", "Tie1", "Tie2", "Best", "Slow"}));

    Store_Summary top3 = store.Read_Summary(3);
    EXPECT_EQ(Names(top3.by_spheres), (std::vector<std::string>{"Best", "More", "Tie1"}));
    EXPECT_EQ(Names(top3.by_time), (std::vector<std::string>{"Long", "More", "Even"}));
    EXPECT_EQ(top3.runs, 7);
}

TYPED_TEST(Store_Test, ReportsAreCountedByProgramVersionAndOs) {
    Score_Store& store = *this->opened;
    auto report = [](std::string action, std::string version, std::string os) {
        return Install_Report{std::move(action), "Tindral", std::move(version), 5, 1,
                              std::move(os),     1234567890};
    };
    store.Add_Report(report("install", "1.65", "XP"), 1);
    store.Add_Report(report("install", "1.65", "XP"), 2);  // repeats count
    store.Add_Report(report("INSTALL", "1.65", "XP"), 3);  // any case
    store.Add_Report(report("uninstall", "1.65", "XP"), 4);
    store.Add_Report(report("install", "1.64", "Windows_7"), 5);
    store.Add_Report(report("update", "1.66", "Vista"), 6);  // neither: no row, but counted
    Store_Summary summary = store.Read_Summary(25);
    EXPECT_EQ(summary.reports, 6);
    EXPECT_EQ(summary.installs, (std::vector<Install_Count>{
                                    {"Tindral", "1.64", "Windows_7", 1, 0},
                                    {"Tindral", "1.65", "XP", 3, 1},
                                }));
}

TYPED_TEST(Store_Test, TextIsStoredAsGivenWhateverItHolds) {
    Score_Store& store = *this->opened;
    // Quotes, an attempted statement, a NUL-free multibyte text: bound, never spliced.
    const std::string hostile[] = {
        "x'); DROP TABLE score_runs; --",
        "\"quoted\" \\ back\\slash",
        "<script>alert(1)</script> & \xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB1",
    };
    for (const std::string& text : hostile) {
        store.Add_Report(Install_Report{"install", text, text, -1, 0, "Unknown", -5}, 7);
    }
    store.Add_Run(Make_Run("Robert", 1, 1'000'000, "Unknown", -6), 8);
    Store_Summary summary = store.Read_Summary(25);
    EXPECT_EQ(summary.runs, 1);
    ASSERT_EQ(summary.installs.size(), 3u);
    std::vector<std::string> programs;
    for (const Install_Count& row : summary.installs) {
        EXPECT_EQ(row.program, row.version);
        programs.push_back(row.program);
    }
    // Byte order in both stores.
    EXPECT_EQ(programs, (std::vector<std::string>{hostile[1], hostile[2], hostile[0]}));
}

TYPED_TEST(Store_Test, ConcurrentUploadsStoreEachRunOnce) {
    Score_Store& store = *this->opened;
    constexpr int Threads = 8, Runs = 40;
    std::atomic<int> stored{0}, repeated{0}, failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < Runs; ++i) {
                // Every run is sent by two threads: t and t ^ 1 send the same names.
                Score_Run run = Make_Run("P" + std::to_string(t / 2) + "x" + std::to_string(i),
                                         i % 9, 1'000'000 * (i + 1));
                try {
                    if (store.Add_Run(run, 1) == Add_Result::Stored) {
                        ++stored;
                    } else {
                        ++repeated;
                    }
                } catch (const Store_Error&) {
                    ++failed;
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(stored.load(), Threads / 2 * Runs);
    EXPECT_EQ(repeated.load(), Threads / 2 * Runs);
    EXPECT_EQ(store.Read_Summary(1).runs, Threads / 2 * Runs);
}

TYPED_TEST(Store_Test, WhatWasAcknowledgedIsThereAfterReopening) {
    this->opened->Add_Run(Make_Run("Kept", 2, 30'000'000), 42);
    this->opened->Add_Report(Install_Report{"install", "Tindral", "1.65", 6, 1, "Windows_7", 9},
                             43);
    this->opened.reset();
    auto reopened = this->backend.Open();
    Store_Summary summary = reopened->Read_Summary(25);
    EXPECT_EQ(summary.by_time, (std::vector<Ranked_Run>{{"Kept", 2, 30'000'000, "XP", 42}}));
    EXPECT_EQ(summary.reports, 1);
    // Opening again does not make the tables anew.
    EXPECT_EQ(reopened->Add_Run(Make_Run("Kept", 2, 30'000'000), 44), Add_Result::Already_Stored);
}

// ---- SQLite only -------------------------------------------------------------------------

using Sqlite_Store_Test = Store_Test<Sqlite_Backend>;

TEST_F(Sqlite_Store_Test, UsesWriteAheadLoggingAndSyncsEveryCommit) {
    opened->Add_Run(Make_Run("Ann", 3, 40'500'000), 1);
    // The journal mode is kept in the file; the log file stands beside it while open.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(backend.Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "wal");
    sqlite3_finalize(statement);
    sqlite3_close(db);
    struct stat info;
    EXPECT_EQ(stat((backend.Path() + "-wal").c_str(), &info), 0);
}

TEST_F(Sqlite_Store_Test, TwoStoresOnOneFileSeeEachOthersRuns) {
    auto second = backend.Open();
    EXPECT_EQ(opened->Add_Run(Make_Run("One", 1, 1'000'000), 1), Add_Result::Stored);
    EXPECT_EQ(second->Add_Run(Make_Run("One", 1, 1'000'000), 1), Add_Result::Already_Stored);
    EXPECT_EQ(second->Add_Run(Make_Run("Two", 1, 1'000'000), 1), Add_Result::Stored);
    EXPECT_EQ(opened->Read_Summary(25).runs, 2);
}

struct Unwritable_Case {
    const char* what;
    // Makes the database path unusable inside `folder`; returns the path.
    std::string (*make)(const std::string& folder);
    const char* says;
};

TEST(SqliteStoreOpen, AnUnusableFileIsRefusedWithOneLine) {
    const Unwritable_Case cases[] = {
        {"a folder that does not exist",
         [](const std::string& folder) { return folder + "/missing/scores.db"; },
         "cannot open the database"},
        {"a path that names a folder",
         [](const std::string& folder) {
             mkdir((folder + "/dir.db").c_str(), 0700);
             return folder + "/dir.db";
         },
         "cannot open the database"},
        {"a file that is not a database",
         [](const std::string& folder) {
             Write_File(folder + "/text.db", std::string(4096, 'x'));
             return folder + "/text.db";
         },
         "cannot"},
    };
    for (const Unwritable_Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch_Folder folder;
        std::string path = c.make(folder.Path());
        try {
            Open_Sqlite_Store(path);
            ADD_FAILURE() << "opened " << path;
        } catch (const Store_Error& e) {
            std::string text = e.what();
            EXPECT_NE(text.find(c.says), std::string::npos) << text;
            EXPECT_NE(text.find(path), std::string::npos) << text;
            EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        }
    }
}

// ---- PostgreSQL only ---------------------------------------------------------------------

using Postgres_Store_Test = Store_Test<Postgres_Backend>;

TEST_F(Postgres_Store_Test, ServicesStartingTogetherShareTheTables) {
    // Each store is what one service process holds; they make the tables at the same time.
    std::vector<std::unique_ptr<Score_Store>> stores(4);
    std::vector<std::thread> threads;
    std::atomic<int> failed{0};
    for (auto& slot : stores) {
        threads.emplace_back([&] {
            try {
                slot = backend.Open();
            } catch (const Store_Error&) {
                ++failed;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    ASSERT_EQ(failed.load(), 0);
    EXPECT_EQ(stores[0]->Add_Run(Make_Run("Ann", 3, 40'500'000), 1), Add_Result::Stored);
    for (std::size_t i = 1; i < stores.size(); ++i) {
        EXPECT_EQ(stores[i]->Add_Run(Make_Run("Ann", 3, 40'500'000), 1),
                  Add_Result::Already_Stored);
    }
}

TEST(PostgresStoreOpen, AnUnreachableServerIsRefusedWithOneLine) {
    Scratch_Folder folder;  // no server listens on a socket here
    try {
        Open_Postgres_Store("host=" + folder.Path() + " dbname=postgres user=nobody");
        ADD_FAILURE() << "connected";
    } catch (const Store_Error& e) {
        std::string text = e.what();
        EXPECT_EQ(text.rfind("cannot use PostgreSQL: ", 0), 0u) << text;
        EXPECT_NE(text.find(folder.Path()), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
}

}  // namespace
