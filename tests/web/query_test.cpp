// The service's reading of the two queries, checked against the queries the game and the
// plug-in really build (their own URL code), and the pure parts around it: the shared
// check value, the rate limit, the page's escaping and the command line.
#include "web/query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "frontend/upload.h"
#include "game/score_check.h"
#include "plugin/usage_report.h"
#include "web/options.h"
#include "web/page.h"
#include "web/rate_limit.h"

namespace {

const std::string Example =
    "access=score_upload_information&level=1&score_time=40.500000&score_spheres=3"
    "&username=Ann&index=1074&os=XP&version=1.65";

// The query part of a URL.
std::string Query_Of(const std::string& url) {
    return url.substr(url.find('?') + 1);
}

// `query` with the value of `key` replaced, or the key removed when `value` is null.
std::string With(const std::string& query, const std::string& key, const char* value) {
    std::string out;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = std::min(query.find('&', start), query.size());
        std::string part = query.substr(start, end - start);
        if (part.rfind(key + "=", 0) == 0) {
            if (value == nullptr) {
                start = end + 1;
                continue;
            }
            part = key + "=" + value;
        }
        out += (out.empty() ? "" : "&") + part;
        start = end + 1;
    }
    return out;
}

TEST(ScoreCheck, TruncatesAsX86AndWrapsIn32Bits) {
    const struct {
        float value;
        std::int32_t truncated;
    } truncations[] = {
        {40.5f, 40},         {2.9f, 2},
        {-1.5f, -1},         {0.99999994f, 0},
        {3.0e9f, INT32_MIN}, {-3.0e9f, INT32_MIN},
        {NAN, INT32_MIN},    {INFINITY, INT32_MIN},
    };
    for (const auto& c : truncations) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Truncate_X86(c.value), c.truncated);
    }
    EXPECT_EQ(Score_Check_Value(40, 3, 3), 1074);
    EXPECT_EQ(Score_Check_Value(12, 0, 3), -6);
    EXPECT_EQ(Score_Check_Value(100000, 100000, 15), -971566086);
    EXPECT_EQ(Score_Check_Value(INT32_MIN, 1, 3), 2147483642);
}

struct Query_Case {
    const char* what;
    std::string query;
    bool accepted;
};

TEST(ScoreQuery, AcceptsWhatTheGameSendsAndNothingElse) {
    const Query_Case cases[] = {
        {"the worked example", Example, true},
        {"no sphere allowed gives -6",
         "access=score_upload_information&level=1&score_time=12.250000&score_spheres=0"
         "&username=Zed&index=-6&os=Windows_7&version=1.65",
         true},
        {"keys in another order",
         "version=1.65&os=XP&index=1074&username=Ann&score_spheres=3&score_time=40.500000"
         "&level=1&access=score_upload_information",
         true},
        {"a fifteen-character name",
         With(With(Example, "username", "A23456789012345"), "index", "5394"), true},
        {"the whole run", With(With(Example, "score_time", "150.000000"), "index", "4044"), true},
        {"the last frame's overshoot",
         With(With(Example, "score_time", "150.000015"), "index", "4044"), true},
        {"no time at all", With(With(Example, "score_time", "0.000000"), "index", "-6"), true},
        {"a forged index", With(Example, "index", "1075"), false},
        {"the index of a lower time", With(Example, "index", "1047"), false},
        {"an empty name", With(With(Example, "username", ""), "index", "-6"), false},
        {"a sixteen-character name",
         With(With(Example, "username", "A234567890123456"), "index", "5754"), false},
        {"a name with a space", With(With(Example, "username", "A%20n"), "index", "1074"), false},
        {"a name with a letter beyond ASCII",
         With(With(Example, "username", "Zo%C3%AB"), "index", "1434"), false},
        {"an injection attempt",
         With(With(Example, "username", "x%27%3BDROP%20TABLE%20score_runs"), "index", "1074"),
         false},
        {"a name with a percent-encoded NUL", With(Example, "username", "An%00"), false},
        {"another access", With(Example, "access", "score_upload"), false},
        {"another level", With(Example, "level", "2"), false},
        {"another version", With(Example, "version", "1.66"), false},
        {"the version with three decimals", With(Example, "version", "1.650"), false},
        {"an OS no game names", With(Example, "os", "Linux"), false},
        {"an OS name in the wrong case", With(Example, "os", "xp"), false},
        {"negative spheres", With(Example, "score_spheres", "-3"), false},
        {"fractional spheres", With(Example, "score_spheres", "3.0"), false},
        {"spheres with a leading zero", With(Example, "score_spheres", "03"), false},
        {"spheres with a plus", With(Example, "score_spheres", "%2B3"), false},
        {"more spheres than a run can let in",
         With(With(Example, "score_spheres", "251"), "index", "90354"), false},
        {"a time without six decimals", With(Example, "score_time", "40.5"), false},
        {"a negative time", With(Example, "score_time", "-40.500000"), false},
        {"a time past the run", With(With(Example, "score_time", "152.000000"), "index", "4098"),
         false},
        {"a time no float prints", With(Example, "score_time", "40.500001"), false},
        {"a time in exponent form", With(Example, "score_time", "4.05e1"), false},
        {"not a number", With(Example, "score_time", "nan"), false},
        {"an index with a leading zero", With(Example, "index", "01074"), false},
        {"an index beyond 32 bits", With(Example, "index", "4294968370"), false},
        {"an extra key", Example + "&extra=1", false},
        {"a repeated key", Example + "&level=1", false},
        {"a part without a value", Example + "&flag", false},
        {"a broken escape", With(Example, "username", "An%4"), false},
        {"an escape that is no hex", With(Example, "username", "An%zz"), false},
        {"nothing", "", false},
    };
    for (const Query_Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        auto run = Read_Score_Query(c.query, &why);
        EXPECT_EQ(run.has_value(), c.accepted) << c.query << " (" << why << ")";
    }
    auto run = Read_Score_Query(Example);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->name, "Ann");
    EXPECT_EQ(run->time_us, 40'500'000);
    EXPECT_EQ(run->spheres, 3);
    EXPECT_EQ(run->os, "XP");
    EXPECT_EQ(run->version, "1.65");
    EXPECT_EQ(run->index, 1074);
}

TEST(ScoreQuery, EachMissingFieldIsRefused) {
    for (const char* key :
         {"access", "level", "score_time", "score_spheres", "username", "index", "os", "version"}) {
        SCOPED_TRACE(key);
        std::string why;
        std::string query = With(Example, key, nullptr);
        ASSERT_EQ(query.find(std::string(key) + "="), std::string::npos);
        EXPECT_FALSE(Read_Score_Query(query, &why));
        EXPECT_EQ(why, std::string("missing ") + key);
    }
}

// Every run the game can send is accepted, checked with the game's own URL code: the
// printed time is rounded, so a float just below a whole second prints as that second
// while the game truncated it one lower.
TEST(ScoreQuery, AcceptsEveryQueryTheGameBuilds) {
    std::vector<float> times = {0.0f, 0.5f, 40.5f, 99.99f, 149.99f, 150.0f};
    for (int k = 1; k <= 150; ++k) {
        times.push_back(static_cast<float>(k));
        times.push_back(std::nextafter(static_cast<float>(k), 0.0f));
        times.push_back(std::nextafter(std::nextafter(static_cast<float>(k), 0.0f), 0.0f));
    }
    std::mt19937 random(20);
    std::uniform_real_distribution<float> any_time(0.0f, 150.0f);
    for (int i = 0; i < 2000; ++i) times.push_back(any_time(random));
    const char* names[] = {"A", "Ann", "Bo7", "ABCDEFGHIJKLMNO"};
    int checked = 0;
    for (float time : times) {
        for (float spheres : {0.0f, 1.0f, 3.0f, 17.0f, 250.0f}) {
            const char* name = names[checked++ % 4];
            std::string url = Score_Upload_Url("h", name, spheres, time, "Windows_7");
            std::string why;
            EXPECT_TRUE(Read_Score_Query(Query_Of(url), &why)) << url << " (" << why << ")";
        }
    }
}

// The lower reading of a whole second is accepted only where a float below it prints so.
TEST(ScoreQuery, TheLowerReadingOfAWholeSecondOnlyWhereAFloatGivesIt) {
    auto run = [](const char* time, std::int32_t seconds) {
        std::string query = With(With(Example, "score_time", time), "index",
                                 std::to_string(Score_Check_Value(seconds, 3, 3)).c_str());
        return Read_Score_Query(query).has_value();
    };
    EXPECT_TRUE(run("2.000000", 2));
    EXPECT_TRUE(run("2.000000", 1));  // 1.9999999f prints "2.000000"
    EXPECT_FALSE(run("2.000000", 0));
    EXPECT_TRUE(run("8.000000", 7));  // floats below 8 lie 0.48 microseconds apart
    EXPECT_TRUE(run("16.000000", 16));
    EXPECT_FALSE(run("16.000000", 15));  // below 16 they lie 0.95 apart: none prints so
    EXPECT_FALSE(run("2.500000", 1));
}

TEST(ReportQuery, AcceptsWhatThePlugInSends) {
    using corvane::Usage_Report;
    const Usage_Report reports[] = {
        {"install", "Tindral", "1.65", 5, 1, "XP", 1234567890},
        {"", "", "", 0, 0, "Unknown", 0},  // nothing on the installer's stack
        {"uninstall", "Tindral Deluxe", "1.65 beta", 6, 1, "Windows_7", -2147483647 - 1},
        {"install", "H\xC3\xA4sk\xC3\xA9tt & Co = \"#1?\"", "2.65+1", 4, 10, "98", -1},
        {"install", std::string(251, 'x'), "\xF0\x9F\x8E\xB1", 4, 90, "Me", 7},
    };
    for (const Usage_Report& sent : reports) {
        SCOPED_TRACE(sent.program);
        std::string why;
        auto report = Read_Report_Query(Query_Of(corvane::Usage_Report_Url("h", sent)), &why);
        ASSERT_TRUE(report) << why;
        EXPECT_EQ(report->action, sent.action);
        EXPECT_EQ(report->program, sent.program);
        EXPECT_EQ(report->version, sent.version);
        EXPECT_EQ(report->major, sent.major);
        EXPECT_EQ(report->minor, sent.minor);
        EXPECT_EQ(report->os, sent.os);
        EXPECT_EQ(report->os_timestamp, sent.os_timestamp);
    }
}

TEST(ReportQuery, RefusesWhatThePlugInCannotSend) {
    const std::string good =
        "access=app_info&action=install&program=Tindral&version=1.65&major=5&minor=1&os=XP"
        "&os_timestamp=1234567890";
    const Query_Case cases[] = {
        {"the plug-in's report", good, true},
        {"another access", With(good, "access", "score_upload_information"), false},
        {"a line break", With(good, "program", "Tin%0Adral"), false},
        {"a C1 control", With(good, "program", "Tin%C2%85dral"), false},
        {"a cut UTF-8 sequence", With(good, "program", "Tin%C3"), false},
        {"an overlong UTF-8 form", With(good, "program", "%C0%AF"), false},
        {"a UTF-16 surrogate", With(good, "program", "%ED%A0%80"), false},
        {"252 characters", With(good, "program", std::string(252, 'x').c_str()), false},
        {"an OS no plug-in names", With(good, "os", "Linux"), false},
        {"a major that is no number", With(good, "major", "five"), false},
        {"a timestamp beyond 32 bits", With(good, "os_timestamp", "2147483648"), false},
        {"a missing key", With(good, "minor", nullptr), false},
        {"an extra key", good + "&user=me", false},
    };
    for (const Query_Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        EXPECT_EQ(Read_Report_Query(c.query, &why).has_value(), c.accepted) << why;
    }
}

TEST(RateLimit, EachAddressHasItsOwnBucketThatRefillsOverAMinute) {
    using namespace std::chrono_literals;
    Rate_Limit limit(3);
    const auto start = Rate_Limit::Clock::time_point{} + 1h;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.Allow("10.0.0.1", start));
    EXPECT_FALSE(limit.Allow("10.0.0.1", start + 1s));
    EXPECT_TRUE(limit.Allow("10.0.0.2", start + 1s));
    EXPECT_TRUE(limit.Allow("10.0.0.1", start + 21s));  // a third of a minute: one back
    EXPECT_FALSE(limit.Allow("10.0.0.1", start + 22s));
    // A long pause fills the bucket, but never beyond its size.
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.Allow("10.0.0.1", start + 1h));
    EXPECT_FALSE(limit.Allow("10.0.0.1", start + 1h));

    Rate_Limit open(0);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(open.Allow("10.0.0.1", start));
    EXPECT_EQ(open.Tracked(), 0u);
}

TEST(RateLimit, ManyAddressesCannotGrowTheTableBeyondItsBound) {
    using namespace std::chrono_literals;
    Rate_Limit limit(2, 2);
    const auto start = Rate_Limit::Clock::time_point{} + 1h;
    EXPECT_TRUE(limit.Allow("a", start));
    EXPECT_TRUE(limit.Allow("b", start));
    EXPECT_FALSE(limit.Allow("c", start));  // both still busy
    EXPECT_EQ(limit.Tracked(), 2u);
    // A minute later their buckets are full again and make room.
    EXPECT_TRUE(limit.Allow("c", start + 61s));
    EXPECT_EQ(limit.Tracked(), 1u);
}

TEST(Page, EveryValueIsEscapedWhereItGoes) {
    EXPECT_EQ(Html_Escape("<a href=\"x\">Tom & 'Jerry'</a>"),
              "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;");
    EXPECT_EQ(Json_String("a\"b\\c\n</script>\x01\xC3\xA9"),
              "\"a\\\"b\\\\c\\u000a\\u003c/script\\u003e\\u0001\xC3\xA9\"");

    Store_Summary summary;
    summary.runs = 2;
    summary.by_spheres = {{"Ann", 3, 40'500'000, "XP", 0}};
    summary.by_time = summary.by_spheres;
    summary.installs = {{"<script>alert(1)</script>", "1.65\"><img src=x>", "Vista", 1, 0}};
    std::string page = Page_Html(summary);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("1.65&quot;&gt;&lt;img src=x&gt;"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">Ann</td>"), std::string::npos);
    EXPECT_NE(page.find("40.50"), std::string::npos);
    EXPECT_NE(page.find("1970-01-01"), std::string::npos);
}

struct Options_Case {
    std::vector<std::string> args;
    bool ok;
    std::string host;
    int port;
    int rate;
};

TEST(WebOptions, ReadsTheCommandLine) {
    const Options_Case cases[] = {
        {{}, true, "127.0.0.1", 8080, 60},
        {{"--listen", "0.0.0.0:80", "--rate", "0"}, true, "0.0.0.0", 80, 0},
        {{"--listen=[::1]:9000", "--rate=5"}, true, "::1", 9000, 5},
        {{"--listen", "127.0.0.1:0"}, true, "127.0.0.1", 0, 60},
        {{"--listen", "127.0.0.1"}, false, "", 0, 0},
        {{"--listen", "127.0.0.1:65536"}, false, "", 0, 0},
        {{"--listen", "::1:80"}, false, "", 0, 0},
        {{"--rate", "-1"}, false, "", 0, 0},
        {{"--rate", "ten"}, false, "", 0, 0},
        {{"--db"}, false, "", 0, 0},
        {{"--db", "a.db", "--postgres", "host=x"}, false, "", 0, 0},
        {{"--port", "80"}, false, "", 0, 0},
    };
    for (const Options_Case& c : cases) {
        std::string error;
        bool help = false;
        auto options = Parse_Web_Options(c.args, error, help);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        ASSERT_EQ(options.has_value(), c.ok) << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(options->host, c.host);
        EXPECT_EQ(options->port, c.port);
        EXPECT_EQ(options->rate, c.rate);
    }
}

}  // namespace
