#pragma once
// Builds small Windows PE images with a version resource, byte by byte, so
// the reader meets the layout the linkers write (and its broken variants).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace drtest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, size_t at, uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, uint16_t(v));
    put16(b, at + 2, uint16_t(v >> 16));
}
inline void pad4(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}
inline void appendUtf16(Bytes& b, const std::u16string& s) {
    for (char16_t c : s) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
}

// One node of a version block: header, key, value, children.
inline Bytes versionNode(const std::u16string& key, const Bytes& value, uint16_t valueLength, uint16_t type,
                         const std::vector<Bytes>& children = {}) {
    Bytes b(6, 0);
    appendUtf16(b, key);
    pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const auto& c : children) {
        pad4(b);
        b.insert(b.end(), c.begin(), c.end());
    }
    put16(b, 0, uint16_t(b.size()));
    put16(b, 2, valueLength);
    put16(b, 4, type);
    return b;
}

inline Bytes stringNode(const std::u16string& name, const std::u16string& value) {
    Bytes v;
    appendUtf16(v, value);
    return versionNode(name, v, uint16_t(value.size() + 1), 1);
}

struct VersionTable {
    std::u16string key = u"040904B0";
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// A VS_VERSIONINFO block with the tables and, when lang is not negative, a translation.
inline Bytes versionBlock(const std::vector<VersionTable>& tables, int lang = 0x0409, uint16_t codePage = 0x04B0) {
    Bytes fixed(52, 0);
    put32(fixed, 0, 0xFEEF04BD);
    std::vector<Bytes> tableNodes;
    for (const auto& t : tables) {
        std::vector<Bytes> strs;
        for (const auto& [k, v] : t.strings) strs.push_back(stringNode(k, v));
        tableNodes.push_back(versionNode(t.key, {}, 0, 1, strs));
    }
    std::vector<Bytes> kids{versionNode(u"StringFileInfo", {}, 0, 1, tableNodes)};
    if (lang >= 0) {
        Bytes tr;
        put16(tr, 0, uint16_t(lang));
        put16(tr, 2, codePage);
        kids.push_back(versionNode(u"VarFileInfo", {}, 0, 1, {versionNode(u"Translation", tr, 4, 0)}));
    }
    return versionNode(u"VS_VERSION_INFO", fixed, 52, 0, kids);
}

// Offsets inside the images peImage builds.
constexpr size_t kRsrcFileOffset = 0x200;
constexpr size_t kDataEntryOffset = kRsrcFileOffset + 0x48;
constexpr size_t kBlockOffset = kRsrcFileOffset + 0x58;

// A PE image (PE32, or PE32+ when wide) whose only section is .rsrc holding
// the block as resource type 16, name 1, language 0x409.
inline Bytes peImage(const Bytes& block, bool wide = false) {
    Bytes img(0x40, 0);
    img[0] = 'M';
    img[1] = 'Z';
    put32(img, 0x3C, 0x40);
    const size_t pe = 0x40, coff = pe + 4, opt = coff + 20;
    const uint16_t optSize = wide ? 240 : 224;
    img.resize(opt + optSize + 40, 0);
    img[pe] = 'P';
    img[pe + 1] = 'E';
    put16(img, coff, wide ? 0x8664 : 0x14c);
    put16(img, coff + 2, 1);
    put16(img, coff + 16, optSize);
    put16(img, opt, wide ? 0x20b : 0x10b);
    const size_t dirs = opt + (wide ? 112 : 96);
    put32(img, opt + (wide ? 108 : 92), 16);
    const uint32_t rsrcRva = 0x1000;
    const uint32_t rsrcSize = uint32_t(0x58 + block.size());
    put32(img, dirs + 16, rsrcRva);
    put32(img, dirs + 20, rsrcSize);
    const size_t sh = opt + optSize;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (int i = 0; i < 8; ++i) img[sh + i] = uint8_t(name[i]);
    put32(img, sh + 8, rsrcSize);
    put32(img, sh + 12, rsrcRva);
    put32(img, sh + 16, (rsrcSize + 0x1FF) & ~0x1FFu);
    put32(img, sh + 20, kRsrcFileOffset);
    img.resize(kRsrcFileOffset, 0);

    Bytes r(0x58, 0);
    put16(r, 0x0E, 1); // root: one id entry
    put32(r, 0x10, 16);
    put32(r, 0x14, 0x80000000u | 0x18);
    put16(r, 0x18 + 0x0E, 1); // names
    put32(r, 0x28, 1);
    put32(r, 0x2C, 0x80000000u | 0x30);
    put16(r, 0x30 + 0x0E, 1); // languages
    put32(r, 0x40, 0x409);
    put32(r, 0x44, 0x48);
    put32(r, 0x48, rsrcRva + 0x58); // data entry
    put32(r, 0x4C, uint32_t(block.size()));
    img.insert(img.end(), r.begin(), r.end());
    img.insert(img.end(), block.begin(), block.end());
    img.resize(kRsrcFileOffset + ((rsrcSize + 0x1FF) & ~0x1FFu), 0);
    return img;
}

// The usual eight strings.
inline VersionTable fullTable(const std::u16string& productVersion = u"3.4.1") {
    VersionTable t;
    t.strings = {{u"CompanyName", u"Acme Ltd"},       {u"FileDescription", u"Dirroller"},
                 {u"FileVersion", u"3.4.0.1"},        {u"InternalName", u"dirroll"},
                 {u"LegalCopyright", u"(c) Acme"},    {u"OriginalFilename", u"DIRROLL.EXE"},
                 {u"ProductName", u"Dirroller"},      {u"ProductVersion", productVersion}};
    return t;
}

} // namespace drtest
