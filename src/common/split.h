#pragma once
// Splitting a delimited text into a caller's fixed array of slots.
#include <span>
#include <string>
#include <string_view>

namespace dr {

// Clears every slot, then fills slot 0 with the text before the first
// separator and slots 1, 2, ... with the following fields (empty fields stay
// as empty slots, so slot k is field k). Without the separator slot 0 gets
// the whole text. fieldLimit N > 0: slots 1..N get the next fields, the slot
// reached when no separator follows gets the rest, text beyond field N is
// dropped. fieldLimit 0: every field, the text after the last separator being
// the last (empty when the text ends with the separator).
// More fields than slots: the split stops at the last slot, the slots filled
// keep their texts, "Error in splitTextIntoFields" is logged, and false is
// returned. Pass a std::vector<std::string> of the wanted size or an array.
bool splitTextIntoFields(std::span<std::string> slots, std::string_view text, int fieldLimit,
                         std::string_view separator);

} // namespace dr
