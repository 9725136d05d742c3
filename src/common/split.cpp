#include "common/split.h"

#include "common/log.h"

namespace dr {

bool splitTextIntoFields(std::span<std::string> slots, std::string_view text, int fieldLimit,
                         std::string_view separator) {
    for (std::string& s : slots) s.clear();
    auto fail = [] {
        appLog().log("Error in splitTextIntoFields", routineLogLevel());
        return false;
    };
    size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
    if (slots.empty()) return fail();
    if (at == std::string_view::npos) {
        slots[0].assign(text);
        return true;
    }
    slots[0].assign(text.substr(0, at));
    size_t start = at + separator.size();
    for (size_t k = 1;; ++k) {
        if (fieldLimit > 0 && k > static_cast<size_t>(fieldLimit)) return true;
        if (k >= slots.size()) return fail();
        size_t next = text.find(separator, start);
        if (next == std::string_view::npos) {
            slots[k].assign(text.substr(start));
            return true;
        }
        slots[k].assign(text.substr(start, next - start));
        start = next + separator.size();
    }
}

} // namespace dr
