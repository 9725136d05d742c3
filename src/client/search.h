#pragma once
// The client's search: the pre-filter over a saved list, the filters and the
// results page, and RunSearch, shared by the window and the command line.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"

namespace dr::client {

// Work files of a window search, in the program folder.
inline constexpr const char* kWorkResults = "tmpResults.txt";
inline constexpr const char* kWorkFolders = "folders.lis";
inline constexpr const char* kWorkDuplicates = "removeDuplicates.lis";
inline constexpr const char* kResultsPage = "results.htm";

inline constexpr const char* kAllFileTypes = "All File Types";
inline constexpr const char* kAtAnyTime = "At any time";

// The progress label (lblWait); an empty function shows nothing.
using ProgressFn = std::function<void(const std::string&)>;

// The words of a search text: upper-cased, split at single spaces into 10
// slots; the words before the first empty slot. An 11th word logs
// "Error in splitTextIntoFields" and is dropped.
std::vector<std::string> SearchWords(std::string_view searchText);

// True when every word occurs in the upper-cased line (true for no words).
bool LineHasAllWords(const std::vector<std::string>& words, size_t wordCount, std::string_view upperLine);

// Copies the header and the lines holding all words of the search text to
// outPath; stops after limit + 1 matches when limit > 0. Upper-cases the
// caller's text. Returns the number of matches.
int64_t PrefilterList(std::string& searchText, const std::string& listPath, const std::string& outPath,
                      const ProgressFn& progress, int64_t limit);

// The same pass into a buffer: header line and matching lines, CR LF after
// each. `progressText` receives the label's last text.
int64_t PrefilterToBuffer(std::string_view searchText, const std::string& listPath, std::string& out,
                          const ProgressFn& progress, int64_t limit, std::string* progressText = nullptr);

// True when typeFilter is empty or holds ".EXT" of the path's extension
// (first 15 entries; a 17th logs "Error in splitTextIntoFields").
bool IsWantedFileType(std::string_view path, std::string_view typeFilter);
// from <= date text <= to as "yyyy-mm-dd hh:mm" texts; equal bounds need the
// exact minute; an empty date never passes.
bool DoesFileHaveCorrectDateRange(std::string_view dateText, const DateTime& from, const DateTime& to);
// The file's modification day against the bounds' days ("yyyymmdd").
bool IsFileDayInRange(const std::string& path, const DateTime& from, const DateTime& to);

// One line per input line: its folder field (the header gives an empty line).
void ExtractFolderColumn(const std::string& inputPath, const std::string& outputPath);
// Drops repeated lines (and empty ones), keeping the first of each in order.
void RemoveDuplicateLines(const std::string& filePath, bool caseSensitive, const std::string& progressText,
                          const ProgressFn& progress);

struct ClockTime {
    int hours = 0, minutes = 0, seconds = 0;
    int64_t totalSeconds() const { return int64_t(hours) * 3600 + minutes * 60 + seconds; }
};
// end - start of two "hh:mm:ss" texts, field by field with borrows.
ClockTime ClockDifference(std::string_view startClock, std::string_view endClock);

// One result as the page shows it.
struct ResultEntry {
    std::string path;      // P: folder + name, or the whole line of a list without fields
    std::string name;      // field 2
    std::string folder;    // field 3
    std::string size;      // field 4 as stored
    std::string modified;  // field 6
    std::string owner;     // field 14
};

// What a search needs; the window fills it from its controls and
// ClientSettings, the command line from its options.
struct SearchRequest {
    std::string searchText;                 // as typed
    std::string listName;                   // the list combo's text; "" = no lists available
    std::string listPath;                   // "" = program folder + "/" + listName + ".DR"
    std::string typeText = kAllFileTypes;   // the type combo's text
    std::string typeFilter;                 // ".DOC .XLS"; "" = every type
    std::string rangeText = kAtAnyTime;     // the date-range combo's text
    DateTime from{1980, 1, 1, 0, 0, 0};
    DateTime to{2099, 12, 31, 0, 0, 0};
    std::string owner = "[any user]";
    int style = 0;                          // 0 Web Style .. 3 Preview mode
    int64_t maxResults = 100;               // 0 = no limit
    bool showMissing = false;
    int previewSize = 1;                    // 1 = autosize
    bool showFolders = false;               // "Show List of Folders" is checked
    bool debugMode = false;
    bool askQuestions = true;               // the long-search questions (the command line says no)

    // Work files and page; "" keeps them in memory and writes nothing.
    std::string workPath;                   // pre-filtered lines
    std::string foldersPath;                // folders for Show Folders
    std::string pagePath;                   // the results page
    bool pageInMemory = false;              // also hand the page back in SearchOutcome::page

    ProgressFn progress;                    // lblWait
    // Each result as it is written; when unset they are collected in SearchOutcome::results.
    std::function<void(const ResultEntry&)> onResult;

    // The window's request: work files and page in the program folder.
    static SearchRequest forWindow();
};

struct SearchOutcome {
    enum class Status { Done, NoLists, InvalidList, Cancelled };
    Status status = Status::Done;
    std::string listPath;           // the list searched
    int64_t count = 0;              // results on the page
    int64_t total = -1;             // pre-filter matches, -1 for "all"
    int64_t missing = 0;            // matches whose file is gone
    std::string description;        // "Searching in ... modified by ..."
    std::string progressText;       // the pre-filter's last label text
    std::string caption;            // "Findwright  - 3 Matches"
    std::vector<ResultEntry> results;
    std::string page;               // when pageInMemory
    bool pageWritten = true;        // false when pagePath could not be written whole
};

// Everything RenderResults reads besides its input.
struct RenderParams {
    std::string searchText;         // as typed
    std::string description;
    std::string progressText;
    std::string listPath;           // currentListPath, for the foot
    std::string typeFilter;
    std::string owner;              // "[any user]" or "" = any
    DateTime from{1980, 1, 1, 0, 0, 0};
    DateTime to{2099, 12, 31, 0, 0, 0};
    int64_t total = -1;             // pre-filter count, -1 for "all"
    int style = 0;
    int64_t limit = 100;            // 0 = no limit
    int previewSize = 1;
    bool showMissing = false;
    bool showFolders = false;
    bool debugMode = false;
    std::string foldersPath;        // for the folders box
};

struct RenderCounts {
    int64_t count = 0;              // results written
    int64_t missing = 0;            // matches whose file is gone
    bool pageWritten = true;        // false when a page file was asked for and not written whole
};

// The filters and the page over pre-filtered lines (header first) held in
// `input`. Appends the page to `page` when given and reports each result;
// sets the window caption.
RenderCounts RenderLines(std::string_view input, const RenderParams& p, std::string* page,
                         const std::function<void(const ResultEntry&)>& onResult = {});
// RenderResults: from a work file to a page file ("" writes no page).
int64_t RenderResults(const std::string& inputPath, const std::string& outputPath, const RenderParams& p,
                      const std::function<void(const ResultEntry&)>& onResult = {},
                      RenderCounts* counts = nullptr);

// RunSearch's steps without the window: checks, questions through rt().host,
// pre-filter, folders, page, debug log lines.
SearchOutcome RunSearch(const SearchRequest& req);

} // namespace dr::client
