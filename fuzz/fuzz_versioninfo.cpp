// Feeds arbitrary bytes to the version-resource reader, both as a whole PE
// image and as a bare version block.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/versioninfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exact-size copies, so any read past the end is caught.
    std::vector<uint8_t> image(data, data + size);
    dr::VersionResource res;
    if (dr::readVersionResource(image, res)) (void)dr::versionInfoTextOf(res);
    dr::VersionResource block;
    if (dr::parseVersionBlock(image, block)) {
        (void)dr::versionInfoTextOf(block);
        std::string v;
        (void)block.find("ProductVersion", v);
    }
    return 0;
}
