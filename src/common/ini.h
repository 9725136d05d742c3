#pragma once
// Settings files (INI format). Every call reads or writes the file itself:
// no caching, so a change made by another program is seen at once.
//
// Matching: section and key names without regard to case, spaces and tabs
// around names and values trimmed, the first matching section and the first
// matching key in it win, an empty value reads like a missing one. Lines may
// end with CR LF, CR or LF; lines starting with ';' are comments.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dr {

// The longest value a reader returns.
constexpr size_t kIniValueMax = 32000;

// The value under key in section of file; "" when absent, empty or unreadable.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key);

// Stores value under key in section, creating the file, section or key as
// needed. Changes only the key's own line (a new key goes after the section's
// last non-blank line, a new section at the end of the file) and keeps every
// other byte. The file is replaced through a temporary file in its folder and
// a rename. A line break in the value ends it (a value is one line). Failures
// are silent.
void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

using IniPair = std::pair<std::string, std::string>; // key, value (both trimmed)

// The key lines of the first matching section in file order (first key wins
// is up to the caller; duplicates are kept). Lines without '=' are left out.
std::vector<IniPair> ReadIniSection(const std::string& file, const std::string& section);
// The section names of the file in order, as written (trimmed).
std::vector<std::string> ReadIniSectionNames(const std::string& file);

// A file read once and parsed, for callers that read many keys. Answers with
// the same rules as ReadIniValue.
class IniSnapshot {
public:
    IniSnapshot() = default;
    explicit IniSnapshot(const std::string& file) { load(file); }
    // false when the file could not be read (the snapshot is then empty).
    bool load(const std::string& file);
    void loadText(std::string_view text);

    std::string value(std::string_view section, std::string_view key) const;
    // nullptr when the section is absent.
    const std::vector<IniPair>* section(std::string_view name) const;
    std::vector<std::string> sectionNames() const;
    bool empty() const { return sections_.empty(); }

private:
    struct Section {
        std::string name;
        std::vector<IniPair> keys;
    };
    std::vector<Section> sections_;
};

} // namespace dr
