#pragma once
// Saved file lists (.DR): a ";DR" header line, then one record a line of 14
// fields, each followed by character 31.
#include <string>
#include <string_view>

#include "dirroll/file_list.h"
#include "dirroll/main_model.h"
#include "platform/datetime.h"

namespace dr::roll {

constexpr char kFieldSep = '\x1f';

// A file written to a temporary name beside its target and renamed into place
// by commit(), so readers never see it half written. Without a commit the
// temporary file is removed and the target stays as it was.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open(const std::string& target);
    void write(std::string_view data);   // buffered; a failure shows in commit()
    bool commit();                        // true when the target now holds what was written
    const std::string& error() const { return error_; } // why it failed

private:
    bool flush();
    void fail(const char* what);
    std::string target_, temp_, buf_, error_;
    int fd_ = -1;
};

// ";DR formatted list of files created by Dirroller - Wed, 9/12/2026 17:14:05"
std::string SavedListHeader(const DateTime& t);

// Writes the rows in display order through a temporary file and a rename.
// True when the whole list is in place; false leaves any old file untouched.
// `why` receives the reason of a failure.
bool SaveListViewToDATFile(const FileList& files, const std::string& path, std::string* why = nullptr);

enum class LoadResult { NotAList, Loaded, Partial };
// Replaces the rows of w.files with the file's records, sets the totals and the
// status bar. NotAList (nothing loaded, panels untouched) when the file is
// missing or its first line does not start with ";DR".
LoadResult LoadSavedList(MainModel& w, const std::string& path);

// The file's last-write date as "DDD, d-MMM-yy" ("Wed, 9-Dec-26"); "" when missing.
std::string LastRefreshedText(const std::string& path);

// "Save List for &Client (DAT)".
void SaveListForClient(MainModel& w);

} // namespace dr::roll
