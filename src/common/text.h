#pragma once
// Small text and path operations, the safe file copy used to publish lists,
// and the clock-time helpers of unattended runs. Paths use '/'.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"

namespace dr {

// The text before its first NUL; the whole text when it has none.
std::string CutAtNull(std::string_view text);
// Every CR and every LF becomes one space (CR LF gives two spaces).
std::string FlattenLineBreaks(std::string_view text);

// folder + "/" (when it does not end with one) + name. The caller's folder
// receives the '/'.
std::string JoinPath(std::string& folder, std::string_view name);
// Same, leaving the folder alone.
std::string JoinPath(const std::string& folder, std::string_view name);

// Puts one blank in front of the text for each length from its current one up
// to and including width, so a text of at most width characters ends up
// right-aligned in width + 1 characters; a longer text is unchanged. The
// caller's text receives the result, which is also returned.
std::string PadLeft(std::string& text, int64_t width);

// slots holds 0..U. Finds the highest non-empty slot (0 when all are empty);
// when it is above U - 2, logs " array full" at level 0, stores nothing and
// returns that number; otherwise stores text in the next slot and returns its
// number. Slots 0 and U are never filled here.
int64_t AppendToStringArray(std::vector<std::string>& slots, const std::string& text);

// The path up to and including its last '/'; "" when it has none.
std::string ExtractFolder(std::string_view path);
// The text after the last '/'; "" when there is none (so a bare name gives "").
std::string ExtractFileName(std::string_view path);

// True when the path names an existing entry (file, folder, or a link itself),
// hidden ones included. No wildcard expansion: '*' and '?' are plain
// characters. "" gives false.
bool FileExists(const std::string& path);

// Copies source over target. Unless skipBackup, the present target is first
// copied to target + ".BAK" (errors ignored). A missing source logs
// "SafeFileCopy Failed - source file doesnt exist: <source>" and copies
// nothing. The copy goes to a temporary file beside the target, which then
// replaces it, so a failed copy leaves the old target whole. A failure logs
// "SafeFileCopy Failed to copy <source> to <target>" (and, with
// reportNotShown, the "MSGBOX NOT SHOWN" line) at level 0. Never shows a box.
// Returns true when the target now holds a copy of the source; keepError has
// no further effect (the result always tells).
bool SafeFileCopy(const std::string& source, const std::string& target, bool skipBackup = false,
                  bool reportNotShown = false, bool keepError = false);

// ---- Clock times "hh:mm:ss" ----------------------------------------------------
std::string FormatClockTime(const DateTime& t);
// hh * 3600 + mm * 60 + ss read from characters 1-2, 4-5 and 7-8 (unreadable: 0).
int64_t ClockTextToSeconds(std::string_view clock);
// The span from start to end as a time of day (on 1899-12-30); a span that
// passes midnight counts the 24 hours it wraps. Example: 10:05:50 to 11:05:10
// gives 00:59:20.
DateTime ClockTextDifference(std::string_view start, std::string_view end);
// The same span in seconds (0 .. 86399).
int64_t ClockTextDifferenceSeconds(std::string_view start, std::string_view end);

} // namespace dr
