// Feeds arbitrary bytes to the settings reader and writer and checks that
// they agree: the snapshot answers like single reads, and a write changes
// exactly the one value it writes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/ini.h"

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        char tmpl[] = "/tmp/fuzz_settings-XXXXXX";
        int fd = ::mkstemp(tmpl);
        if (fd < 0) std::abort();
        ::close(fd);
        return std::string(tmpl);
    }();
    return path;
}

bool same(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string trimmed(std::string s) {
    s = s.substr(0, s.find_first_of("\r\n"));
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "settings invariant broken: %s\n", what);
        std::abort();
    }
}

void checkAgrees(const dr::IniSnapshot& snap, const std::string& file) {
    for (const std::string& s : snap.sectionNames())
        if (const auto* keys = snap.section(s)) // a nameless section cannot be asked for
            for (const dr::IniPair& kv : *keys)
                check(dr::ReadIniValue(file, s, kv.first) == snap.value(s, kv.first), "snapshot and read differ");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& file = scratchFile();
    // The first byte picks what to write; the rest is the file.
    uint8_t pick = size ? data[0] : 0;
    std::string text(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    } else {
        return 0;
    }

    dr::IniSnapshot before(file);
    checkAgrees(before, file);
    (void)dr::ReadIniValue(file, "Settings", "Key");
    (void)dr::ReadIniSection(file, "Settings");

    std::vector<std::string> names = before.sectionNames();
    std::string sec = "Fuzz Section", key = "fuzz key";
    if (!names.empty() && (pick & 1)) {
        sec = names[(pick >> 1) % names.size()];
        const auto* keys = before.section(sec);
        if (keys && !keys->empty() && (pick & 0x40)) key = (*keys)[(pick >> 2) % keys->size()].first;
    }
    std::string value = " written\tvalue " + std::to_string(pick) + (pick & 0x80 ? "\r\n[evil]\r\nx=1" : "");
    if (!sec.empty() && !key.empty()) {
        dr::WriteIniValue(sec, key, value, file);
        check(dr::ReadIniValue(file, sec, key) == trimmed(value), "written value not read back");
        dr::IniSnapshot after(file);
        checkAgrees(after, file);
        for (const std::string& s : names) {
            const auto* keys = before.section(s);
            if (!keys) continue;
            for (const dr::IniPair& kv : *keys) {
                if (same(s, sec) && same(kv.first, key)) continue;
                check(after.value(s, kv.first) == before.value(s, kv.first), "a write changed another value");
            }
        }
    }
    return 0;
}
