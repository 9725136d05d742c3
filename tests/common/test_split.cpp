#include <array>

#include "common/log.h"
#include "common/split.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

std::vector<std::string> split(const std::string& text, int limit, const std::string& sep, size_t slots = 8,
                               bool* ok = nullptr) {
    std::vector<std::string> v(slots, "stale");
    bool r = splitTextIntoFields(v, text, limit, sep);
    if (ok) *ok = r;
    return v;
}

using V = std::vector<std::string>;

} // namespace

TEST_F(EnvTest, SplitFillsSlotsByFieldNumber) {
    struct Case {
        const char* text;
        int limit;
        const char* sep;
        V want; // the first slots; all later ones must be empty
    } cases[] = {
        {"a;b;;c;", 0, ";", {"a", "b", "", "c", ""}},
        {"a;b;c;d", 1, ";", {"a", "b"}},
        {"a;b;c;d", 2, ";", {"a", "b", "c"}},
        {"a;b;c;d", 5, ";", {"a", "b", "c", "d"}},
        {"no separator", 0, ";", {"no separator"}},
        {"no separator", 3, ";", {"no separator"}},
        {"", 0, ";", {""}},
        {";", 0, ";", {"", ""}},
        {"one, two,three, ", 0, ", ", {"one", "two,three", ""}},
        {"a;b", 0, "", {"a;b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " limit " + std::to_string(c.limit));
        bool ok = false;
        V got = split(c.text, c.limit, c.sep, 8, &ok);
        EXPECT_TRUE(ok);
        V want = c.want;
        want.resize(8);
        EXPECT_EQ(got, want);
    }
}

TEST_F(EnvTest, SplitStopsAtTheLastSlotAndLogs) {
    rt().logLevel = 3; // the error line is routine-level in the main program
    struct Case {
        const char* text;
        int limit;
        size_t slots;
        V want;
        bool ok;
    } cases[] = {
        {"a;b;c;d;e", 0, 3, {"a", "b", "c"}, false},
        {"a;b;c", 5, 2, {"a", "b"}, false},
        {"a;b;", 0, 2, {"a", "b"}, false}, // the empty last field needs a slot too
        {"a;b;c", 0, 3, {"a", "b", "c"}, true},
        {"a;b;c;d", 2, 3, {"a", "b", "c"}, true}, // the dropped rest needs none
        {"a", 0, 0, {}, false},
    };
    const std::string logFile = env.path("dirroll.log");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::remove(logFile.c_str());
        bool ok = true;
        EXPECT_EQ(split(c.text, c.limit, ";", c.slots, &ok), c.want);
        EXPECT_EQ(ok, c.ok);
        std::string log = env.read("dirroll.log");
        EXPECT_EQ(log.find("Error in splitTextIntoFields") != std::string::npos, !c.ok) << log;
    }

    // Fixed arrays work the same way and are never written past their end.
    std::array<std::string, 3> fixed;
    EXPECT_FALSE(splitTextIntoFields(fixed, "1|2|3|4", 0, "|"));
    EXPECT_EQ(fixed, (std::array<std::string, 3>{"1", "2", "3"}));
}

TEST_F(EnvTest, SplitErrorLineFollowsTheRoutineLevel) {
    std::vector<std::string> two(2);
    splitTextIntoFields(two, "a;b;c", 0, ";"); // main program: level 3, filtered at level 0
    EXPECT_FALSE(env.exists("dirroll.log"));
    rt().routineLogLevel = 0; // the client writes its library lines at level 0
    splitTextIntoFields(two, "a;b;c", 0, ";");
    EXPECT_EQ(env.read("dirroll.log"), "2026-12-11, 10:30:00, testpc, tester, Error in splitTextIntoFields\r\n");
}
