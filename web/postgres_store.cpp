// The PostgreSQL store, for several service processes sharing one database. Each process
// holds one connection and sends one statement at a time over it; the database keeps runs
// unique across processes. A commit returns once the server has it durable (the server's
// default synchronous_commit).
#include <mutex>
#include <pqxx/pqxx>

#include "web/store.h"

namespace {

// Taken while the tables are made, so that processes starting together do not race.
constexpr long long Schema_Lock = 0x54696e6472616cLL;  // "Tindral"

const char* const Schema = R"sql(
CREATE TABLE IF NOT EXISTS score_runs (
    id BIGSERIAL PRIMARY KEY,
    name TEXT NOT NULL,
    time_us BIGINT NOT NULL,
    spheres INTEGER NOT NULL,
    os TEXT NOT NULL,
    version TEXT NOT NULL,
    check_index INTEGER NOT NULL,
    received BIGINT NOT NULL,
    UNIQUE (name, time_us, spheres, os, version, check_index)
);
CREATE INDEX IF NOT EXISTS score_runs_by_spheres ON score_runs (spheres, time_us DESC, id);
CREATE INDEX IF NOT EXISTS score_runs_by_time ON score_runs (time_us DESC, spheres, id);
CREATE TABLE IF NOT EXISTS install_reports (
    id BIGSERIAL PRIMARY KEY,
    action TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    major INTEGER NOT NULL,
    minor INTEGER NOT NULL,
    os TEXT NOT NULL,
    os_timestamp INTEGER NOT NULL,
    received BIGINT NOT NULL
);
)sql";

// Byte order (COLLATE "C") for the install table, as SQLite sorts text.
const char* const Install_Table =
    "SELECT program, version, os, "
    "count(*) FILTER (WHERE lower(action) = 'install'), "
    "count(*) FILTER (WHERE lower(action) = 'uninstall') FROM install_reports "
    "GROUP BY program, version, os "
    "HAVING count(*) FILTER (WHERE lower(action) IN ('install', 'uninstall')) > 0 "
    "ORDER BY program COLLATE \"C\", version COLLATE \"C\", os COLLATE \"C\" LIMIT 200";

// libpq's messages run over several lines; the service reports one.
std::string One_Line(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::string out;
    for (char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

class Postgres_Store : public Score_Store {
  public:
    explicit Postgres_Store(const std::string& conninfo) {
        try {
            connection_ = std::make_unique<pqxx::connection>(conninfo);
            // "already exists, skipping" notices are no news.
            connection_->set_variable("client_min_messages", "warning");
            {
                pqxx::work work(*connection_);
                work.exec_params("SELECT pg_advisory_xact_lock($1)", Schema_Lock);
                work.exec(Schema);
                work.commit();
            }
            connection_->prepare("add_run",
                                 "INSERT INTO score_runs (name, time_us, spheres, os, version, "
                                 "check_index, received) VALUES ($1, $2, $3, $4, $5, $6, $7) "
                                 "ON CONFLICT DO NOTHING");
            connection_->prepare("add_report",
                                 "INSERT INTO install_reports (action, program, version, major, "
                                 "minor, os, os_timestamp, received) "
                                 "VALUES ($1, $2, $3, $4, $5, $6, $7, $8)");
            connection_->prepare("top_by_spheres",
                                 "SELECT name, spheres, time_us, os, received FROM score_runs "
                                 "ORDER BY spheres, time_us DESC, id LIMIT $1");
            connection_->prepare("top_by_time",
                                 "SELECT name, spheres, time_us, os, received FROM score_runs "
                                 "ORDER BY time_us DESC, spheres, id LIMIT $1");
            connection_->prepare("count_runs", "SELECT count(*) FROM score_runs");
            connection_->prepare("count_reports", "SELECT count(*) FROM install_reports");
            connection_->prepare("install_table", Install_Table);
        } catch (const std::exception& e) {
            throw Store_Error("cannot use PostgreSQL: " + One_Line(e.what()));
        }
    }

    Add_Result Add_Run(const Score_Run& run, std::int64_t received) override {
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            pqxx::work work(*connection_);
            pqxx::result result = work.exec_prepared("add_run", run.name, run.time_us, run.spheres,
                                                     run.os, run.version, run.index, received);
            work.commit();
            return result.affected_rows() == 1 ? Add_Result::Stored : Add_Result::Already_Stored;
        } catch (const std::exception& e) {
            throw Store_Error("PostgreSQL: " + One_Line(e.what()));
        }
    }

    void Add_Report(const Install_Report& report, std::int64_t received) override {
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            pqxx::work work(*connection_);
            work.exec_prepared("add_report", report.action, report.program, report.version,
                               report.major, report.minor, report.os, report.os_timestamp,
                               received);
            work.commit();
        } catch (const std::exception& e) {
            throw Store_Error("PostgreSQL: " + One_Line(e.what()));
        }
    }

    Store_Summary Read_Summary(int top) override {
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            // One snapshot for all the reads.
            pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> work(*connection_);
            Store_Summary summary;
            Read_Runs(work.exec_prepared("top_by_spheres", top), summary.by_spheres);
            Read_Runs(work.exec_prepared("top_by_time", top), summary.by_time);
            summary.runs = work.exec_prepared1("count_runs")[0].as<std::int64_t>();
            summary.reports = work.exec_prepared1("count_reports")[0].as<std::int64_t>();
            for (const auto& row : work.exec_prepared("install_table")) {
                summary.installs.push_back({row[0].as<std::string>(), row[1].as<std::string>(),
                                            row[2].as<std::string>(), row[3].as<std::int64_t>(),
                                            row[4].as<std::int64_t>()});
            }
            work.commit();
            return summary;
        } catch (const std::exception& e) {
            throw Store_Error("PostgreSQL: " + One_Line(e.what()));
        }
    }

  private:
    static void Read_Runs(const pqxx::result& rows, std::vector<Ranked_Run>& runs) {
        for (const auto& row : rows) {
            runs.push_back({row[0].as<std::string>(), row[1].as<std::int32_t>(),
                            row[2].as<std::int64_t>(), row[3].as<std::string>(),
                            row[4].as<std::int64_t>()});
        }
    }

    std::mutex mutex_;
    std::unique_ptr<pqxx::connection> connection_;
};

}  // namespace

std::unique_ptr<Score_Store> Open_Postgres_Store(const std::string& conninfo) {
    return std::make_unique<Postgres_Store>(conninfo);
}
