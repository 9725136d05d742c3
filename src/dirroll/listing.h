#pragma once
// The listing engine: turns folders, patterns, exclusions and a date range into
// rows of the file list, with running totals, progress and halt.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dirroll/main_model.h"
#include "platform/datetime.h"

namespace dr::roll {

// The inputs of one run. Folder entries ending in '*' take the whole tree.
struct ListingInput {
    DateTime from, to;
    std::vector<std::string> folders;
    std::vector<std::string> patterns;
    std::vector<std::string> exclusions;
    bool checkAll = false;      // tag every row at the end
    bool showProgress = true;
    // Where the percentage of folders done goes; empty means the owner's progress bar.
    std::function<void(int)> progress;
};

// One run into owner.files. True when it ran to its normal end, false when halted.
bool BuildListing(MainModel& owner, const ListingInput& in);
// A run from the window's own pickers and lists.
bool BuildListing(MainModel& owner, bool checkAll = false);
ListingInput InputFromModel(const MainModel& m);

// The pattern table: empty entries dropped, "JPG" becoming "*.JPG".
std::vector<std::string> BuildPatternTable(const std::vector<std::string>& patterns);
// True when the name matches the first pattern that matches it: '*' and '?'
// over the whole name, case-blind; "*.*" matches every name.
bool MatchesFilePattern(std::string_view name, const std::vector<std::string>& table);
bool GlobMatch(std::string_view pattern, std::string_view name);
// The modification day within from's day .. to's day.
bool InDateRange(const DateTime& modified, const DateTime& from, const DateTime& to);
bool InDateRange(const std::string& path, const DateTime& from, const DateTime& to);

// Fills `actual` with the folders to scan and removes those containing an
// exclusion text (case-sensitive). Returns false when halted (the exclusions
// are still applied to the folders found so far).
bool ExpandPathList(MainModel& m, const std::vector<std::string>& folders, std::vector<std::string>& actual,
                    const std::vector<std::string>& exclusions);
// Adds the matching files of one folder. Returns false when halted or when
// the folder cannot be opened (`opened` tells which).
bool ListFolderFiles(MainModel& m, const std::string& folder, const DateTime& from, const DateTime& to,
                     const std::vector<std::string>& table, bool* opened = nullptr);
// Adds one row and counts it. `folder` ends with '/'.
struct FileFacts {
    uint64_t size = 0;
    DateTime modified;        // local time
};
void AddFileRow(MainModel& m, std::string_view folder, std::string_view name, const FileFacts& facts,
                uint32_t colour);

// "1,234" right-aligned with blanks to width + 1 characters, "0" for zero.
std::string FormatSize(uint64_t bytes, int width = 10);
std::string FormatSize(std::string_view sizeText, int width = 10);
// "#,###" style grouping; "" for zero.
std::string GroupDigits(uint64_t n, bool zeroAsDigit = false);

// The date-range choices.
void DateRangeClick(MainModel& m);           // after m.dateRangeIndex changed
void SelectDateRange(MainModel& m, int index);
void DatePickerChanged(MainModel& m);        // the user changed a picker
void RefreshDirrollFromSelectedDates(MainModel& m);

// Refresh commands and Halt.
void RefreshCommand(MainModel& m);
void RefreshWithAnyDates(MainModel& m);
void RefreshClearExcluded(MainModel& m);
void HaltCommand(MainModel& m);

// The header of the two fixed list files.
std::string FixedListHeader(const DateTime& t);

} // namespace dr::roll
