// Where the service keeps the runs and installer reports: one interface, kept in SQLite
// (one machine) or PostgreSQL (several service processes sharing one database).
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "web/query.h"

// Thrown by every store operation that could not be done (the database unreachable, full,
// locked for too long ...). Its text is one line.
class Store_Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A stored run as the tables show it.
struct Ranked_Run {
    std::string name;
    std::int32_t spheres = 0;
    std::int64_t time_us = 0;
    std::string os;
    std::int64_t received = 0;  // seconds since 1970, UTC
    bool operator==(const Ranked_Run&) const = default;
};

// Installer reports of one program version on one operating system.
struct Install_Count {
    std::string program;
    std::string version;
    std::string os;
    std::int64_t installs = 0;    // reports whose action is "install" (any case)
    std::int64_t uninstalls = 0;  // reports whose action is "uninstall" (any case)
    bool operator==(const Install_Count&) const = default;
};

// Everything the page shows, read in one consistent snapshot.
struct Store_Summary {
    // Fewest spheres first; equal spheres, longer time first.
    std::vector<Ranked_Run> by_spheres;
    // Longer time first; equal times, fewer spheres first.
    std::vector<Ranked_Run> by_time;
    std::int64_t runs = 0;     // accepted runs, each counted once
    std::int64_t reports = 0;  // installer reports of any action
    // By program, then version, then OS (byte order); groups without an install or an
    // uninstall are left out.
    std::vector<Install_Count> installs;
};

enum class Add_Result { Stored, Already_Stored };

class Score_Store {
  public:
    virtual ~Score_Store() = default;

    // Stores `run` unless the same run (name, time, spheres, OS, version and index) is
    // already there. Returns only after the outcome is durable. Safe to call from several
    // threads at once. Throws Store_Error.
    virtual Add_Result Add_Run(const Score_Run& run, std::int64_t received) = 0;

    // Stores one report (every report counts, repeats too). Durable on return. Throws
    // Store_Error.
    virtual void Add_Report(const Install_Report& report, std::int64_t received) = 0;

    // The first `top` runs in each order, the counts and the install table. Ties in both
    // orders go to the run stored first. Throws Store_Error.
    virtual Store_Summary Read_Summary(int top) = 0;
};

// Opens (creating when missing) the SQLite database at `path` in WAL mode with full
// synchronisation, and makes its tables. Throws Store_Error when the file cannot be
// opened or written.
std::unique_ptr<Score_Store> Open_Sqlite_Store(const std::string& path);

// Connects to PostgreSQL with libpq's `conninfo` and makes the tables when missing (safe
// while other service processes do the same). Throws Store_Error when the server cannot be
// reached or refuses.
std::unique_ptr<Score_Store> Open_Postgres_Store(const std::string& conninfo);
