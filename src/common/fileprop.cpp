#include "common/fileprop.h"

#include "common/format.h"
#include "common/listrules.h"
#include "common/runtime.h"
#include "common/text.h"
#include "common/versioninfo.h"
#include "platform/platform.h"

namespace dr {

namespace {

std::string timeText(const DateTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " at " +
           std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

const char* boolText(bool b) { return b ? "True" : "False"; }

} // namespace

std::string fileTypeName(const std::string& path, bool isDir) {
    if (isDir) return "File Folder";
    std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return "File";
    return UCase(name.substr(dot + 1)) + " File";
}

void clsFileProp::FindFileInfo(const std::string& path, bool /*largeIcon*/) {
    if (path.empty()) return;
    FileStat st;
    if (!platform().fileStat(path, st)) {
        host().message("Can't open the file", "", Buttons::OK, Icon::Exclamation);
        return;
    }
    modified_ = DateTime::fromTimeT(st.modified, true);
    accessed_ = DateTime::fromTimeT(st.accessed, true);
    lastWriteTime_ = timeText(modified_);
    lastAccessTime_ = timeText(accessed_);
    hasCreated_ = st.hasCreated;
    if (st.hasCreated) {
        created_ = DateTime::fromTimeT(st.created, true);
        creationTime_ = timeText(created_);
    } else {
        creationTime_.clear();
    }

    std::string base = ExtractFileName(path);
    if (base.empty()) base = path;
    directory_ = st.isDir;
    readOnly_ = !st.writable || (st.mode & 0222) == 0; // no write bit at all: read-only even for root
    hidden_ = !base.empty() && base[0] == '.';
    system_ = archive_ = temporary_ = compress_ = false;
    normal_ = !directory_ && !readOnly_ && !hidden_;
    fileName_ = UCase(path);
    byteSize_ = formatNumber(st.isDir ? uint64_t(0) : st.size, "###,###,###") + " bytes";

    if (st.isRegular) {
        VersionResource res;
        if (readVersionResourceFile(path, res)) {
            struct {
                const char* key;
                std::string* prop;
            } const keys[] = {{"CompanyName", &companyName_},       {"FileDescription", &fileDescription_},
                              {"FileVersion", &fileVersion_},       {"InternalName", &internalName_},
                              {"LegalCopyright", &legalCopyright_}, {"OriginalFilename", &originalFileName_},
                              {"ProductName", &productName_},       {"ProductVersion", &productVersion_}};
            for (const auto& k : keys) res.find(k.key, *k.prop);
        }
    }

    if (path.find("/NetHood/") == std::string::npos) {
        fileType_ = fileTypeName(path, st.isDir);
        iconIndex_ = 0;
    }
}

std::string clsFileProp::GetDateCreated() const {
    if (!hasCreated_) return {};
    return formatDate(created_, "yyyy-mm-dd") + " " + formatDate(created_, "hh:mm:ss");
}

std::string clsFileProp::GetDateModified() const {
    return formatDate(modified_, "yyyy-mm-dd") + " " + formatDate(modified_, "hh:mm:ss");
}

std::string clsFileProp::GetDateAccessed() const { return formatDate(accessed_, "yyyy-mm-dd"); }

std::string clsFileProp::GetAllFileInfo() const {
    auto date = [](const DateTime& t) { return formatDate(t, "dd-MMM-yyyy (DDD)"); };
    auto time = [](const DateTime& t) { return formatDate(t, "hh:mm:ss"); };
    std::string s;
    s += "File Created on = " + (hasCreated_ ? date(created_) : std::string()) + " at " +
         (hasCreated_ ? time(created_) : std::string()) + "  ";
    s += "Last Written on = " + date(modified_) + " at " + time(modified_) + "  ";
    s += "Last Accessed on= " + date(accessed_) + "\r\n";
    s += "OriginalFileName= " + originalFileName_ + "\r\n";
    s += "ProductName     = " + productName_ + "\r\n";
    s += "FileVersion     = " + fileVersion_ + "\r\n";
    s += std::string("Temporary       = ") + boolText(temporary_) + "\r\n";
    s += "IconIndex       = " + std::to_string(iconIndex_) + "\r\n";
    s += "\r\n";
    s += std::string("Normal          = ") + boolText(normal_) + "\r\n";
    s += std::string("Archive         = ") + boolText(archive_) + "\r\n";
    s += std::string("ReadOnly        = ") + boolText(readOnly_) + "\r\n";
    s += std::string("System          = ") + boolText(system_) + "\r\n";
    s += std::string("Hidden          = ") + boolText(hidden_) + "\r\n";
    s += std::string("Compress        = ") + boolText(compress_) + "\r\n";
    return s;
}

std::string GetFileOwner(const std::string& path, ListBox* list) {
    bool ok = false;
    std::string owner = platform().fileOwner(path, ok);
    if (!ok) owner.clear();
    if (owner == "unknown") return owner;
    if (list) list->items.push_back("Owner = " + owner);
    return owner;
}

} // namespace dr
