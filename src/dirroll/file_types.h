#pragma once
// Display modes and the file-type table: which viewer a file opens in and the
// colour its row is painted in.
#include <cstdint>
#include <string>
#include <string_view>

namespace dr::roll {

enum DisplayMode : int {
    kModeVariableText = 0,
    kModeFixedText = 1, // the fallback
    kModePicture = 2,
    kModeWeb = 3,
    kModeStrings = 4,
    kModeDetails = 5,
    kModeOle = 6,
};

// The table as read from [HowToDisplayFiles] of dirroll.INI. Lists are kept as
// read ("GIF,JPG,JPEG,"); a missing or blank key is "0". Colours are settings
// texts ("&H800080", low byte red, high byte blue); "0" is the normal colour.
struct FileTypeTable {
    std::string lists[7];    // modes 2..6 used
    std::string colours[8];  // modes 0..7
    uint32_t colourValue[8] = {};
    bool anyColour = false;  // some mode has a colour other than 0
};

// The process-wide table (empty until loaded, so every file is mode 1 and black).
FileTypeTable& fileTypeTable();

// Reads the table from the settings file (default: rt().sideFile("dirroll.INI"))
// into `t` (default: the process-wide table).
void LoadFileTypeTable();
void LoadFileTypeTable(FileTypeTable& t, const std::string& iniPath);

// The text after the last '.' anywhere in the path, "" when there is none
// (so "my.dir/README" gives "dir/README").
std::string_view ExtensionOf(std::string_view path);

// The mode for a file name: the upper-cased extension is looked for as a plain
// substring of the OLE, Strings, Web, Picture and Details lists, in that order.
int ChooseDisplayMode(std::string_view fileName);
int ChooseDisplayMode(const FileTypeTable& t, std::string_view fileName);

// The colour of the file's mode as 0x00BBGGRR; 0 when none or not a number.
uint32_t DisplayColourOf(std::string_view fileName);
uint32_t DisplayColourOf(const FileTypeTable& t, std::string_view fileName);

// A settings colour text ("&H800080", "&HC0", "255") as a number; 0 when not one.
uint32_t ParseColourText(std::string_view text);

} // namespace dr::roll
