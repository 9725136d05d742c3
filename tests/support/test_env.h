#pragma once
// Each test runs in its own temporary program folder with a fixed clock and a
// scripted host; the runtime is restored afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/runtime.h"
#include "support/scripted_host.h"

namespace drtest {

class TestEnv {
public:
    explicit TestEnv(dr::DateTime now = dr::DateTime{2026, 12, 11, 10, 30, 0},
                     std::string programName = "dirroll");
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    const std::string& folder() const { return folder_; }
    std::string path(const std::string& name) const { return folder_ + "/" + name; }
    void write(const std::string& name, const std::string& content) const; // creates folders
    std::string read(const std::string& name) const;                       // "" when missing
    bool exists(const std::string& name) const;
    void mkdir(const std::string& name) const;

    ScriptedHost host;
    dr::FixedClock clock;

private:
    std::string folder_;
    dr::Runtime saved_;
};

// A fixture holding a TestEnv.
class EnvTest : public ::testing::Test {
protected:
    TestEnv env;
};

// Reads and writes whole files.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// The CR LF lines of a text; a last line without CR LF gets "<no CR LF>" added.
std::vector<std::string> crlfLines(const std::string& text);
bool isDirectory(const std::string& path);
// Sets a file's modification (and access) time.
void setFileTime(const std::string& path, const dr::DateTime& localTime);

} // namespace drtest
