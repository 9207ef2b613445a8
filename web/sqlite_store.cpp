// The SQLite store: one connection, one writer at a time. WAL with synchronous=FULL makes
// every commit durable before it returns, so an acknowledged upload survives a crash or a
// power cut.
#include <sqlite3.h>

#include <mutex>

#include "web/store.h"

namespace {

const char* const Schema = R"sql(
CREATE TABLE IF NOT EXISTS score_runs (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    time_us INTEGER NOT NULL,
    spheres INTEGER NOT NULL,
    os TEXT NOT NULL,
    version TEXT NOT NULL,
    check_index INTEGER NOT NULL,
    received INTEGER NOT NULL,
    UNIQUE (name, time_us, spheres, os, version, check_index)
);
CREATE INDEX IF NOT EXISTS score_runs_by_spheres ON score_runs (spheres, time_us DESC, id);
CREATE INDEX IF NOT EXISTS score_runs_by_time ON score_runs (time_us DESC, spheres, id);
CREATE TABLE IF NOT EXISTS install_reports (
    id INTEGER PRIMARY KEY,
    action TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    major INTEGER NOT NULL,
    minor INTEGER NOT NULL,
    os TEXT NOT NULL,
    os_timestamp INTEGER NOT NULL,
    received INTEGER NOT NULL
);
)sql";

const char* const Insert_Run =
    "INSERT INTO score_runs (name, time_us, spheres, os, version, check_index, received) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT DO NOTHING";
const char* const Insert_Report =
    "INSERT INTO install_reports (action, program, version, major, minor, os, os_timestamp, "
    "received) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
const char* const Top_By_Spheres =
    "SELECT name, spheres, time_us, os, received FROM score_runs "
    "ORDER BY spheres, time_us DESC, id LIMIT ?1";
const char* const Top_By_Time =
    "SELECT name, spheres, time_us, os, received FROM score_runs "
    "ORDER BY time_us DESC, spheres, id LIMIT ?1";
const char* const Count_Runs = "SELECT count(*) FROM score_runs";
const char* const Count_Reports = "SELECT count(*) FROM install_reports";
const char* const Install_Table =
    "SELECT program, version, os, "
    "sum(lower(action) = 'install'), sum(lower(action) = 'uninstall') FROM install_reports "
    "GROUP BY program, version, os "
    "HAVING sum(lower(action) IN ('install', 'uninstall')) > 0 "
    "ORDER BY program, version, os LIMIT 200";

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr) !=
            SQLITE_OK) {
            throw Store_Error(std::string("cannot prepare a statement: ") + sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Resets the statement for a new run; the previous bindings are cleared.
    sqlite3_stmt* Start() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
        return statement_;
    }
    void Text(int at, const std::string& value) {
        Check(sqlite3_bind_text(statement_, at, value.data(), static_cast<int>(value.size()),
                                SQLITE_TRANSIENT));
    }
    void Integer(int at, std::int64_t value) { Check(sqlite3_bind_int64(statement_, at, value)); }
    // One step; true while it yields a row.
    bool Step() {
        int status = sqlite3_step(statement_);
        if (status == SQLITE_ROW) return true;
        if (status == SQLITE_DONE) return false;
        std::string error = sqlite3_errmsg(db_);
        sqlite3_reset(statement_);
        throw Store_Error("SQLite: " + error);
    }
    std::string Column_Text(int at) {
        const unsigned char* text = sqlite3_column_text(statement_, at);
        return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                             sqlite3_column_bytes(statement_, at))
                               : std::string();
    }
    std::int64_t Column_Integer(int at) { return sqlite3_column_int64(statement_, at); }

  private:
    void Check(int status) {
        if (status != SQLITE_OK) throw Store_Error(std::string("SQLite: ") + sqlite3_errmsg(db_));
    }
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

class Sqlite_Store : public Score_Store {
  public:
    explicit Sqlite_Store(const std::string& path) {
        int status = sqlite3_open_v2(path.c_str(), &db_,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                         SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE,
                                     nullptr);
        if (status != SQLITE_OK) {
            std::string error = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(status);
            sqlite3_close(db_);
            throw Store_Error("cannot open the database " + path + ": " + error);
        }
        try {
            // A file without write permission opens read-only: refuse it now rather than
            // at the first upload.
            if (sqlite3_db_readonly(db_, "main") == 1) {
                throw Store_Error("cannot write the database " + path + ": the file is read-only");
            }
            Execute("PRAGMA busy_timeout = 10000", path);
            std::string mode;
            Query_Text("PRAGMA journal_mode = WAL", mode, path);
            if (mode != "wal") {
                throw Store_Error("cannot use write-ahead logging for the database " + path +
                                  " (journal mode " + mode + ")");
            }
            Execute("PRAGMA synchronous = FULL", path);
            // A write at start-up finds an unwritable folder (the -wal and -shm files live
            // beside the database) before the service answers anyone.
            Execute("BEGIN IMMEDIATE", path);
            Execute(Schema, path);
            Execute("COMMIT", path);
            insert_run_ = std::make_unique<Statement>(db_, Insert_Run);
            insert_report_ = std::make_unique<Statement>(db_, Insert_Report);
            top_by_spheres_ = std::make_unique<Statement>(db_, Top_By_Spheres);
            top_by_time_ = std::make_unique<Statement>(db_, Top_By_Time);
            count_runs_ = std::make_unique<Statement>(db_, Count_Runs);
            count_reports_ = std::make_unique<Statement>(db_, Count_Reports);
            install_table_ = std::make_unique<Statement>(db_, Install_Table);
        } catch (...) {
            Close();
            throw;
        }
    }

    ~Sqlite_Store() override { Close(); }

    Add_Result Add_Run(const Score_Run& run, std::int64_t received) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *insert_run_;
        s.Start();
        s.Text(1, run.name);
        s.Integer(2, run.time_us);
        s.Integer(3, run.spheres);
        s.Text(4, run.os);
        s.Text(5, run.version);
        s.Integer(6, run.index);
        s.Integer(7, received);
        // Outside a transaction the statement commits (and syncs) before it is done.
        s.Step();
        return sqlite3_changes(db_) == 1 ? Add_Result::Stored : Add_Result::Already_Stored;
    }

    void Add_Report(const Install_Report& report, std::int64_t received) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *insert_report_;
        s.Start();
        s.Text(1, report.action);
        s.Text(2, report.program);
        s.Text(3, report.version);
        s.Integer(4, report.major);
        s.Integer(5, report.minor);
        s.Text(6, report.os);
        s.Integer(7, report.os_timestamp);
        s.Integer(8, received);
        s.Step();
    }

    Store_Summary Read_Summary(int top) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Store_Summary summary;
        Execute("BEGIN", "");
        try {
            Read_Runs(*top_by_spheres_, top, summary.by_spheres);
            Read_Runs(*top_by_time_, top, summary.by_time);
            summary.runs = Count(*count_runs_);
            summary.reports = Count(*count_reports_);
            Statement& s = *install_table_;
            s.Start();
            while (s.Step()) {
                summary.installs.push_back({s.Column_Text(0), s.Column_Text(1), s.Column_Text(2),
                                            s.Column_Integer(3), s.Column_Integer(4)});
            }
            s.Start();
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        Execute("COMMIT", "");
        return summary;
    }

  private:
    void Read_Runs(Statement& s, int top, std::vector<Ranked_Run>& runs) {
        s.Start();
        s.Integer(1, top);
        while (s.Step()) {
            runs.push_back({s.Column_Text(0), static_cast<std::int32_t>(s.Column_Integer(1)),
                            s.Column_Integer(2), s.Column_Text(3), s.Column_Integer(4)});
        }
        s.Start();  // ends the read
    }

    std::int64_t Count(Statement& s) {
        s.Start();
        std::int64_t count = s.Step() ? s.Column_Integer(0) : 0;
        s.Start();
        return count;
    }

    void Execute(const char* sql, const std::string& path) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            std::string error = message != nullptr ? message : sqlite3_errmsg(db_);
            sqlite3_free(message);
            throw Store_Error(path.empty() ? "SQLite: " + error
                                           : "cannot write the database " + path + ": " + error);
        }
    }

    void Query_Text(const char* sql, std::string& out, const std::string& path) {
        try {
            Statement s(db_, sql);
            s.Start();
            if (s.Step()) out = s.Column_Text(0);
        } catch (const Store_Error& e) {
            throw Store_Error("cannot open the database " + path + ": " + e.what());
        }
    }

    void Close() {
        insert_run_.reset();
        insert_report_.reset();
        top_by_spheres_.reset();
        top_by_time_.reset();
        count_runs_.reset();
        count_reports_.reset();
        install_table_.reset();
        // The last connection to close checkpoints the log into the database file.
        sqlite3_close(db_);
        db_ = nullptr;
    }

    sqlite3* db_ = nullptr;
    std::mutex mutex_;
    std::unique_ptr<Statement> insert_run_, insert_report_, top_by_spheres_, top_by_time_,
        count_runs_, count_reports_, install_table_;
};

}  // namespace

std::unique_ptr<Score_Store> Open_Sqlite_Store(const std::string& path) {
    return std::make_unique<Sqlite_Store>(path);
}
