#include "support/test_env.h"

#include "common/log.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace drtest {

TestEnv::TestEnv(dr::DateTime now, std::string programName) : clock(now) {
    std::string tmpl = (fs::temp_directory_path() / "drtest-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    folder_ = made;
    saved_ = dr::rt();
    dr::Runtime& r = dr::rt();
    r.host = &host;
    r.clock = &clock;
    r.programFolder = folder_;
    r.programName = std::move(programName);
    r.userName = "tester";
    r.computerName = "testpc";
    dr::appLog() = dr::cLog{}; // a fresh logger per test, writing into this folder
}

TestEnv::~TestEnv() {
    dr::rt() = saved_;
    dr::appLog() = dr::cLog{};
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

void TestEnv::write(const std::string& name, const std::string& content) const {
    fs::path p = fs::path(folder_) / name;
    fs::create_directories(p.parent_path());
    writeFile(p.string(), content);
}

std::string TestEnv::read(const std::string& name) const { return readFile(path(name)); }
bool TestEnv::exists(const std::string& name) const { return fs::exists(path(name)); }
void TestEnv::mkdir(const std::string& name) const { fs::create_directories(path(name)); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            out.push_back(text.substr(pos) + "<no CR LF>");
            break;
        }
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

bool isDirectory(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void setFileTime(const std::string& path, const dr::DateTime& localTime) {
    struct timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = localTime.toTimeT(true);
    tv[0].tv_usec = tv[1].tv_usec = 0;
    utimes(path.c_str(), tv);
}

} // namespace drtest
