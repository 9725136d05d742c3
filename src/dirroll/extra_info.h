#pragma once
// Extra file information: creation and access dates, owners, MP3 tags and
// picture sizes for the rows of the file list.
#include <optional>
#include <string>
#include <string_view>

namespace dr::roll {

class MainModel;

// The ID3v1 block at the end of a file as five labelled lines, or "No tag".
std::string ReadMp3Tag(const std::string& path);

// The value after the first occurrence of word: from 11 characters after its
// start to the next CR LF. Width and Height are trimmed.
std::string TagValue(std::string_view text, std::string_view word);

// A picture's pixel size from its header (JPEG, GIF, BMP, PNG).
struct PictureSize {
    int width = 0, height = 0;
};
std::optional<PictureSize> ReadPictureDimensions(const std::string& path);
// "Width    = 1,024\r\nHeight   = 768\r\n"; nullopt when the size cannot be read.
std::optional<std::string> ReadPictureSize(const std::string& path);

// The pass over every row. False when halted.
bool GetExtraInfoForFiles(MainModel& m, bool withPictures);
// "Get extra Info for each File (MP3, Pics)": asks whether to include pictures.
void ExtraInfoCommand(MainModel& m);

} // namespace dr::roll
