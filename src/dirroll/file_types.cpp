#include "dirroll/file_types.h"

#include <cctype>

#include "common/ini.h"
#include "common/runtime.h"

namespace dr::roll {

FileTypeTable& fileTypeTable() {
    static FileTypeTable t;
    return t;
}

namespace {

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Keys in the order the table is read; index = display mode.
constexpr const char* kListKeys[7] = {nullptr, nullptr, "Picture", "Web", "Strings", "Details", "OLE"};
constexpr const char* kColourKeys[7] = {nullptr, nullptr, "ColorPicture", "ColorWeb", "ColorStrings",
                                        "ColorDetails", "ColorOLE"};

// Lists are searched in this order; the first holding the extension wins.
constexpr int kSearchOrder[5] = {kModeOle, kModeStrings, kModeWeb, kModePicture, kModeDetails};

} // namespace

void LoadFileTypeTable() { LoadFileTypeTable(fileTypeTable(), rt().sideFile("dirroll.INI")); }

void LoadFileTypeTable(FileTypeTable& t, const std::string& iniPath) {
    const char* section = "HowToDisplayFiles";
    for (int m = kModePicture; m <= kModeOle; ++m) {
        std::string v = ReadIniValue(iniPath, section, kListKeys[m]);
        t.lists[m] = trimmed(v).empty() ? std::string("0") : v;
    }
    for (auto& c : t.colours) c.assign(1, '0');
    for (int m = kModePicture; m <= kModeOle; ++m) {
        std::string v = trimmed(ReadIniValue(iniPath, section, kColourKeys[m]));
        if (!v.empty()) t.colours[m] = v;
    }
    t.anyColour = false;
    for (int m = 0; m < 8; ++m) {
        t.colourValue[m] = ParseColourText(t.colours[m]);
        t.anyColour = t.anyColour || t.colourValue[m] != 0;
    }
}

std::string_view ExtensionOf(std::string_view path) {
    size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
}

int ChooseDisplayMode(std::string_view fileName) { return ChooseDisplayMode(fileTypeTable(), fileName); }

int ChooseDisplayMode(const FileTypeTable& t, std::string_view fileName) {
    std::string_view ext = ExtensionOf(fileName);
    if (ext.empty()) return kModeFixedText;
    // Upper-case on the stack: this runs once per listed file.
    char buf[64];
    std::string big;
    char* up = buf;
    if (ext.size() > sizeof buf) {
        big.resize(ext.size());
        up = big.data();
    }
    for (size_t i = 0; i < ext.size(); ++i)
        up[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(ext[i])));
    std::string_view key(up, ext.size());
    for (int m : kSearchOrder)
        if (t.lists[m].find(key) != std::string::npos) return m;
    return kModeFixedText;
}

uint32_t DisplayColourOf(std::string_view fileName) { return DisplayColourOf(fileTypeTable(), fileName); }

uint32_t DisplayColourOf(const FileTypeTable& t, std::string_view fileName) {
    if (!t.anyColour) return 0;
    return t.colourValue[ChooseDisplayMode(t, fileName)];
}

uint32_t ParseColourText(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (s.empty()) return 0;
    uint64_t v = 0;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        s.remove_prefix(2);
        if (s.size() > 8) return 0;
        for (char c : s) {
            int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                : -1;
            if (d < 0) return 0;
            v = v * 16 + static_cast<uint64_t>(d);
        }
        return static_cast<uint32_t>(v);
    }
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > 0xFFFFFFFFu) return 0;
    }
    return static_cast<uint32_t>(v);
}

} // namespace dr::roll
