#include "common/versioninfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/format.h"

namespace dr {

namespace {

// Random access to the bytes of an image; every read is checked against its size.
class Source {
public:
    virtual ~Source() = default;
    virtual uint64_t size() const = 0;
    virtual bool readAt(uint64_t off, void* dst, size_t n) const = 0;

    bool read(uint64_t off, void* dst, size_t n) const {
        if (off > size() || n > size() - off) return false;
        return readAt(off, dst, n);
    }
    bool u16(uint64_t off, uint16_t& v) const {
        uint8_t b[2];
        if (!read(off, b, 2)) return false;
        v = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(uint64_t off, uint32_t& v) const {
        uint8_t b[4];
        if (!read(off, b, 4)) return false;
        v = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
        return true;
    }
};

class SpanSource : public Source {
public:
    explicit SpanSource(std::span<const uint8_t> s) : s_(s) {}
    uint64_t size() const override { return s_.size(); }
    bool readAt(uint64_t off, void* dst, size_t n) const override {
        if (n) std::memcpy(dst, s_.data() + off, n);
        return true;
    }

private:
    std::span<const uint8_t> s_;
};

class FileSource : public Source {
public:
    FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t off, void* dst, size_t n) const override {
        auto* p = static_cast<uint8_t*>(dst);
        while (n > 0) {
            ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(off));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
            p += r;
            off += static_cast<uint64_t>(r);
            n -= static_cast<size_t>(r);
        }
        return true;
    }

private:
    int fd_;
    uint64_t size_;
};

struct Section {
    uint32_t va, vsize, rawSize, rawPtr;
};

constexpr uint32_t kMaxSections = 96;       // the loader's own limit
constexpr uint32_t kMaxEntries = 4096;      // per resource directory
constexpr size_t kMaxBlock = 65536;         // a version block's length is 16-bit
constexpr uint32_t kRtVersion = 16;

// File offset of an RVA, or false when no section holds it.
bool rvaToOffset(const std::vector<Section>& secs, uint32_t rva, uint64_t& off) {
    for (const auto& s : secs) {
        uint64_t span = std::max(s.vsize, s.rawSize);
        if (rva >= s.va && rva - s.va < span) {
            uint64_t delta = rva - s.va;
            if (delta >= s.rawSize) return false; // in memory only
            off = uint64_t(s.rawPtr) + delta;
            return true;
        }
    }
    return false;
}

// One entry of a resource directory at dirOff (relative to the resource root).
// wantId < 0 takes the first entry.
bool resourceEntry(const Source& src, const std::vector<Section>& secs, uint32_t resRva, uint32_t dirOff,
                   int64_t wantId, uint32_t& target) {
    uint64_t off;
    if (!rvaToOffset(secs, resRva + dirOff, off)) return false;
    uint16_t named = 0, ids = 0;
    if (!src.u16(off + 12, named) || !src.u16(off + 14, ids)) return false;
    uint32_t n = std::min<uint32_t>(uint32_t(named) + ids, kMaxEntries);
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t name = 0, data = 0;
        uint64_t e = off + 16 + uint64_t(i) * 8;
        if (!src.u32(e, name) || !src.u32(e + 4, data)) return false;
        if (wantId >= 0 && ((name & 0x80000000u) || name != uint32_t(wantId))) continue;
        target = data;
        return true;
    }
    return false;
}

bool locateVersionBlock(const Source& src, std::vector<uint8_t>& block) {
    uint8_t mz[2];
    if (!src.read(0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z') return false;
    uint32_t peOff = 0;
    if (!src.u32(0x3C, peOff)) return false;
    uint8_t sig[4];
    if (!src.read(peOff, sig, 4) || std::memcmp(sig, "PE\0\0", 4) != 0) return false;
    uint64_t coff = uint64_t(peOff) + 4;
    uint16_t nsec = 0, optSize = 0, magic = 0;
    if (!src.u16(coff + 2, nsec) || !src.u16(coff + 16, optSize)) return false;
    uint64_t opt = coff + 20;
    if (!src.u16(opt, magic)) return false;
    uint64_t countAt, dirsAt;
    if (magic == 0x10b) { countAt = 92; dirsAt = 96; }
    else if (magic == 0x20b) { countAt = 108; dirsAt = 112; }
    else return false;
    uint32_t ndirs = 0, resRva = 0, resSize = 0;
    if (!src.u32(opt + countAt, ndirs) || ndirs < 3) return false;
    if (dirsAt + 3 * 8 > optSize) return false;
    if (!src.u32(opt + dirsAt + 16, resRva) || !src.u32(opt + dirsAt + 20, resSize)) return false;
    if (resRva == 0 || resSize == 0) return false;

    std::vector<Section> secs;
    uint64_t sh = opt + optSize;
    for (uint32_t i = 0; i < std::min<uint32_t>(nsec, kMaxSections); ++i) {
        uint8_t raw[40];
        if (!src.read(sh + uint64_t(i) * 40, raw, 40)) break;
        auto le = [&](int at) {
            return uint32_t(raw[at]) | (uint32_t(raw[at + 1]) << 8) | (uint32_t(raw[at + 2]) << 16) |
                   (uint32_t(raw[at + 3]) << 24);
        };
        secs.push_back({le(12), le(8), le(16), le(20)});
    }

    // Type 16, then the first name, then the first language.
    uint32_t t = 0;
    if (!resourceEntry(src, secs, resRva, 0, kRtVersion, t) || !(t & 0x80000000u)) return false;
    if (!resourceEntry(src, secs, resRva, t & 0x7FFFFFFFu, -1, t) || !(t & 0x80000000u)) return false;
    if (!resourceEntry(src, secs, resRva, t & 0x7FFFFFFFu, -1, t) || (t & 0x80000000u)) return false;
    uint64_t dataEntry;
    if (!rvaToOffset(secs, resRva + t, dataEntry)) return false;
    uint32_t dataRva = 0, dataSize = 0;
    if (!src.u32(dataEntry, dataRva) || !src.u32(dataEntry + 4, dataSize)) return false;
    uint64_t dataOff;
    if (!rvaToOffset(secs, dataRva, dataOff) || dataOff >= src.size()) return false;
    size_t n = static_cast<size_t>(std::min<uint64_t>({dataSize, kMaxBlock, src.size() - dataOff}));
    block.resize(n);
    return n > 0 && src.read(dataOff, block.data(), n);
}

// ---- The version block ----------------------------------------------------------

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) out += char(cp);
    else if (cp < 0x800) { out += char(0xC0 | (cp >> 6)); out += char(0x80 | (cp & 0x3F)); }
    else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12)); out += char(0x80 | ((cp >> 6) & 0x3F)); out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18)); out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F)); out += char(0x80 | (cp & 0x3F));
    }
}

// A node of the block: header, key, value, children, all inside [begin, end).
struct Node {
    size_t begin = 0, end = 0;       // the node's bytes
    uint16_t valueLength = 0, type = 0;
    std::string key;
    size_t valueBegin = 0;           // 4-aligned after the key
    size_t childrenBegin = 0;
};

class Block {
public:
    explicit Block(std::span<const uint8_t> b) : b_(b) {}

    uint16_t u16(size_t off) const { return static_cast<uint16_t>(b_[off] | (b_[off + 1] << 8)); }

    // UTF-16 text from off up to a NUL, the limit, or at most maxUnits units.
    // Returns the offset after the NUL (or the limit).
    size_t text(size_t off, size_t limit, std::string& out, size_t maxUnits = SIZE_MAX) const {
        out.clear();
        size_t units = 0;
        while (off + 1 < limit) {
            uint32_t c = u16(off);
            off += 2;
            if (c == 0) return off;
            if (units >= maxUnits) continue;
            ++units;
            if (c >= 0xD800 && c < 0xDC00 && off + 1 < limit) {
                uint32_t d = u16(off);
                if (d >= 0xDC00 && d < 0xE000) {
                    off += 2;
                    c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
                } else c = 0xFFFD;
            } else if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
            appendUtf8(out, c);
        }
        return limit;
    }

    // The node at off inside a parent ending at limit; false when there is none.
    bool node(size_t off, size_t limit, Node& n) const {
        if (limit > b_.size()) limit = b_.size();
        if (off + 6 > limit) return false;
        size_t len = u16(off);
        if (len < 6) return false;
        n.begin = off;
        n.end = std::min(off + len, limit);
        n.valueLength = u16(off + 2);
        n.type = u16(off + 4);
        size_t afterKey = text(off + 6, n.end, n.key, 64);
        n.valueBegin = std::min(align4(afterKey), n.end);
        size_t valueBytes = n.type == 1 ? size_t(n.valueLength) * 2 : n.valueLength;
        n.childrenBegin = std::min(align4(n.valueBegin + valueBytes), n.end);
        return true;
    }

    static size_t align4(size_t v) { return (v + 3) & ~size_t(3); }

    // Calls fn for each child of parent.
    template <class Fn>
    void children(const Node& parent, size_t skipValue, Fn fn) const {
        size_t off = skipValue ? parent.childrenBegin : parent.valueBegin;
        Node c;
        for (int guard = 0; guard < 4096 && node(off, parent.end, c); ++guard) {
            fn(c);
            size_t next = align4(c.end);
            if (next <= off) break;
            off = next;
        }
    }

    size_t size() const { return b_.size(); }
    std::span<const uint8_t> bytes() const { return b_; }

private:
    std::span<const uint8_t> b_;
};

} // namespace

bool parseVersionBlock(std::span<const uint8_t> bytes, VersionResource& out) {
    out = VersionResource{};
    Block b(bytes);
    Node root;
    if (!b.node(0, bytes.size(), root) || root.key != "VS_VERSION_INFO") return false;
    // The root's value is the fixed file information; children follow it.
    b.children(root, true, [&](const Node& kid) {
        if (iequals(kid.key, "StringFileInfo")) {
            b.children(kid, true, [&](const Node& table) {
                VersionResource::Table t;
                t.key = table.key;
                b.children(table, true, [&](const Node& str) {
                    std::string value;
                    b.text(str.valueBegin, str.end, value, 128);
                    t.strings.emplace_back(str.key, std::move(value));
                });
                out.tables.push_back(std::move(t));
            });
        } else if (iequals(kid.key, "VarFileInfo")) {
            b.children(kid, true, [&](const Node& var) {
                if (out.hasTranslation || !iequals(var.key, "Translation")) return;
                if (var.valueBegin + 4 <= var.end) {
                    out.language = b.u16(var.valueBegin);
                    out.codePage = b.u16(var.valueBegin + 2);
                    out.hasTranslation = true;
                }
            });
        }
    });
    return true;
}

std::string VersionResource::translationKey() const {
    if (!hasTranslation) return tables.empty() ? std::string() : tables.front().key;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X%04X", language, codePage);
    return buf;
}

std::string VersionResource::query(std::string_view tableKey, std::string_view name) const {
    for (const auto& t : tables) {
        if (!iequals(t.key, tableKey)) continue;
        for (const auto& [k, v] : t.strings)
            if (iequals(k, name)) return v;
    }
    return {};
}

bool VersionResource::find(std::string_view name, std::string& value) const {
    for (const auto& t : tables)
        for (const auto& [k, v] : t.strings)
            if (iequals(k, name)) {
                value = v;
                return true;
            }
    return false;
}

bool readVersionResource(std::span<const uint8_t> image, VersionResource& out) {
    SpanSource src(image);
    std::vector<uint8_t> block;
    return locateVersionBlock(src, block) && parseVersionBlock(block, out);
}

bool readVersionResourceFile(const std::string& path, VersionResource& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool ok = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        FileSource src(fd, static_cast<uint64_t>(st.st_size));
        std::vector<uint8_t> block;
        ok = locateVersionBlock(src, block) && parseVersionBlock(block, out);
    }
    ::close(fd);
    return ok;
}

std::string versionInfoTextOf(const VersionResource& res) {
    static const char* const kKeys[] = {"CompanyName",    "FileDescription",  "FileVersion", "InternalName",
                                        "LegalCopyright", "OriginalFileName", "ProductName", "ProductVersion"};
    static const char* const kLabels[] = {"Company Name:      ", "File Description:  ", "File Version:      ",
                                          "Internal Name:     ", "Legal Copyright:   ", "Original FileName: ",
                                          "Product Name:      ", "Product Version:   "};
    const std::string key = res.translationKey();
    std::string values[8];
    for (int i = 0; i < 8; ++i) values[i] = res.query(key, kKeys[i]);
    if (Trim(values[7]).empty()) return "No version info";
    std::string out;
    for (int i = 0; i < 8; ++i) {
        out += kLabels[i];
        out += values[i];
        out += "\r\n";
    }
    return out;
}

std::string VersionInfoText(const std::string& path) {
    VersionResource res;
    if (path.empty() || !readVersionResourceFile(path, res)) return "No version info";
    return versionInfoTextOf(res);
}

} // namespace dr
