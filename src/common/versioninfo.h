#pragma once
// The version resource of Windows executables and libraries (PE images),
// read with bounds checks on every size and offset the file states.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dr {

struct VersionResource {
    struct Table {
        std::string key; // "040904B0": language and code page in hex
        std::vector<std::pair<std::string, std::string>> strings; // name, value (UTF-8)
    };
    bool hasTranslation = false;
    uint16_t language = 0, codePage = 0; // the first translation entry
    std::vector<Table> tables;

    // The value of name in the table key (both without regard to case), cut at
    // its first NUL, at most 128 characters; "" when absent.
    std::string query(std::string_view tableKey, std::string_view name) const;
    // The first value of name in any table; false when no table has it.
    bool find(std::string_view name, std::string& value) const;
    // The first translation as eight upper-case hex digits, language first;
    // without one, the key of the first table.
    std::string translationKey() const;
};

// Parses a version block (VS_VERSIONINFO). False when it is not one.
bool parseVersionBlock(std::span<const uint8_t> block, VersionResource& out);

// Finds and parses the version resource of a PE image. False when the image
// has none (or is not a PE image).
bool readVersionResource(std::span<const uint8_t> image, VersionResource& out);
// The same for a file, reading only the parts it needs.
bool readVersionResourceFile(const std::string& path, VersionResource& out);

// The version block text: eight labelled lines ("Company Name:      " ...),
// each ending with CR LF, or "No version info" when the file has no version
// resource or its ProductVersion is blank.
std::string VersionInfoText(const std::string& path);
std::string versionInfoTextOf(const VersionResource& res);

} // namespace dr
