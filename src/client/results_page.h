#pragma once
// The texts of the results page: head and style block, the folders box, the
// four entry styles, missing-file lines, the foot and the caption; and the
// page's commands (FIND links, save, launch in a browser).
#include <cstdint>
#include <string>
#include <string_view>

namespace dr::client {

inline constexpr int kStyleWebStyle = 0, kStyleSingleLine = 1, kStyleTable = 2, kStylePreviewMode = 3;

// Lines 2 to 15 of the page head, "<STYLE>" to "</STYLE>"; the summary page shares them.
extern const char* const kPageStyleBlock[14];

// Text for a page: & < > " become entities; everything else stays.
void AppendHtml(std::string& out, std::string_view text);
std::string HtmlEscape(std::string_view text);
// A path as a link target: the bytes that a URL cannot carry as they are
// (controls, '"', '#', '%', '<', '>', '?', '\', '`', '{', '}', non-ASCII) as %XX.
void AppendUrlPath(std::string& out, std::string_view path);
// "file://" + the path made absolute and encoded as above.
void AppendFileUrl(std::string& out, std::string_view path);
std::string FileUrl(std::string_view path);

// Each line of these ends with CR LF.
void AppendPageHead(std::string& out, std::string_view searchText, std::string_view description);
// The box around the folder links of BuildFolderLinks.
void AppendFoldersBox(std::string& out, std::string_view searchText, std::string_view folderLinks);
void AppendTableHead(std::string& out);
void AppendTableEnd(std::string& out);
void AppendMissingLine(std::string& out, std::string_view path);
// `searchUpper` is the search text in upper case; total -1 means "all".
void AppendPageFoot(std::string& out, int64_t count, int64_t total, std::string_view searchUpper,
                    std::string_view listPath, std::string_view progressText);

// The folder links of the folders file, all in one text (no line end).
std::string BuildFolderLinks(const std::string& foldersPath);
std::string BuildFolderLinksFromText(std::string_view folderLines);

// One entry of the page, without its line end. An unknown style shows
// "unknown output style" and gives ""; a path starting with ';' gives "".
void AppendResultEntry(std::string& out, std::string_view folder, std::string_view name, std::string_view path,
                       int style, std::string_view modified, std::string_view size, std::string_view owner,
                       int previewSize);
std::string FormatResultEntry(std::string_view folder, std::string_view name, std::string_view path, int style,
                              std::string_view modified, std::string_view size, std::string_view owner,
                              int previewSize = 1);

// "Findwright  - No Matches" or "Findwright  - 1,234 Matches".
std::string ResultsCaption(int64_t count);

// A browser navigation to "FIND..." asks for a search: true with the words.
bool IsFindLink(std::string_view url, std::string& searchText);

// File > "Save Search Results...": asks for a name and copies the page there.
// True when a copy was made.
bool SaveSearchResults(const std::string& pagePath);
// File > "Launch Results in Browser": program folder + "/results.htm".
void LaunchResultsInBrowser();

} // namespace dr::client
