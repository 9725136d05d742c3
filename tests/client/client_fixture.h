#pragma once
// A temporary program folder for the client with a fixed clock, fresh
// settings, and helpers to write settings files and saved lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/client_settings.h"
#include "common/log.h"
#include "support/test_env.h"

namespace drtest {

// One saved-list record: 14 fields, each followed by character 31.
inline std::string drRecord(const std::string& name, const std::string& folder, const std::string& size = "      1,234",
                            const std::string& modified = "2026-12-09 17:05", const std::string& owner = "") {
    const std::string s = "\x1f";
    std::string type = name.substr(name.rfind('.') == std::string::npos ? name.size() : name.rfind('.') + 1);
    for (char& c : type) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string line = s + name + s + folder + s + size + s + type + s + modified + s;
    for (int f = 7; f <= 13; ++f) line += s;
    return line + owner + s;
}

inline std::string drList(const std::vector<std::string>& records) {
    std::string text = ";DR formatted list of files created by Dirroller - Wed, 9/12/2026 17:14:05\r\n";
    for (const std::string& r : records) text += r + "\r\n";
    return text;
}

// The style block both pages carry, from "<STYLE>" to "</STYLE>".
inline const std::string kPageStyleText =
    "<STYLE>\r\n"
    "BODY {  font-size:8pt; FONT-FAMILY:Verdana;  }\r\n"
    "NORMAL {    font-size:8pt; FONT-FAMILY:Verdana;  }\r\n"
    "A:link {        font-size:8pt; COLOR: blue;TEXT-DECORATION:none}\r\n"
    "A:visited { color: #003399; font-size:8pt;TEXT-DECORATION:none }\r\n"
    "A:hover {   color:#FF3300;TEXT-DECORATION:underline}\r\n"
    "TD {    font-size:8pt; valign=top; FONT-FAMILY:Verdana;  }\r\n"
    "H1 {    font-size:220%; FONT-WEIGHT:NORMAL; padding: 10px 0px 0px 0px; margin:0px; }\r\n"
    "H2 {    font-size:160%; FONT-WEIGHT:NORMAL; margin:0px 0px 0px 0px; padding:0px; }\r\n"
    "H3 {    font-size:120%; FONT-WEIGHT:BOLD; margin:0px 0px 0px 0px; padding:1px; letter-spacing:0.05em; }\r\n"
    "H4 {    font-size:140%; FONT-WEIGHT:NORMAL; margin:0px 0px 0px 0px; padding:1px; }\r\n"
    "H5 {    font-size:7pt; FONT-FAMILY:Arial; color:#00008B ; FONT-WEIGHT:NORMAL; margin:0px 0px 0px 0px; padding: "
    "0px 0px 0px 0px; }\r\n"
    "</STYLE>\r\n";

class ClientFolderTest : public ::testing::Test {
protected:
    ClientFolderTest() { reset(); }
    ~ClientFolderTest() override { reset(); }

    static void reset() {
        dr::client::settings() = dr::client::ClientSettings{};
        dr::client::setServerPathDialog({});
    }

    // dr-client.ini with [general] and the given key lines.
    void writeIni(const std::string& keyLines) const { env.write("dr-client.ini", "[general]\r\n" + keyLines); }
    std::string log() const { return env.read("dr-client.log"); }
    // The file's modification time, `days` before the fixed now.
    void age(const std::string& name, int days, int hour = 9) {
        dr::DateTime t = env.clock.now().addDays(-days);
        t.hour = hour;
        t.minute = t.second = 0;
        setFileTime(env.path(name), t);
    }

    TestEnv env{dr::DateTime{2026, 12, 11, 10, 30, 0}, "dr-client"};
};

// As the client logs: its library lines at level 0, into dr-client.log.
class ClientLogTest : public ClientFolderTest {
protected:
    void SetUp() override {
        dr::rt().routineLogLevel = 0;
        dr::appLog().setLogFile(env.path("dr-client.log"));
    }
};

} // namespace drtest
