#pragma once
// The summary page of a saved list: files and bytes in total, by type group,
// by owner and by year of modification.
#include <cstdint>
#include <string>
#include <vector>

#include "client/search.h"

namespace dr::client {

// The counts behind the page.
struct SummaryRow {
    std::string name;
    int64_t files = 0;
    int64_t bytes = 0;
    bool counted = false;  // at least one file landed here
};

struct ListSummary {
    int64_t files = 0;
    int64_t bytes = 0;
    std::vector<SummaryRow> types;   // rows 1..40 of the type table (index 0 unused)
    std::vector<SummaryRow> owners;  // rows 1..40: the owner combo's entries
    std::vector<SummaryRow> years;   // rows 0..: 1984 up to the current year
};

// Reads the list; false (and the message "Summary does not work on standard
// CSV files") when its first line is not a saved-list header.
// `ownerCombo` is the owner combo's entries, "[any user]" first.
bool SummariseList(const std::string& listPath, const std::vector<std::string>& ownerCombo, ListSummary& out,
                   const ProgressFn& progress = {});

// The page text, CR LF after each line.
std::string SummaryPage(const ListSummary& s, const std::string& listPath);

// BuildListSummary: reads listPath, writes summaryPath. False when no page was written.
bool BuildListSummary(const std::string& listPath, const std::string& summaryPath,
                      const std::vector<std::string>& ownerCombo, const ProgressFn& progress = {});

// The owner combo as the start-up fills it: "[any user]", then users.txt.
std::vector<std::string> DefaultOwnerCombo();

} // namespace dr::client
