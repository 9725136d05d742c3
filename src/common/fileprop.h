#pragma once
// What the system shows about one file beyond its name and size: attributes,
// the three times (local time), a type name, the version texts and a details
// block; and the owning account.
#include <cstdint>
#include <string>

#include "platform/datetime.h"

namespace dr {

struct ListBox;

class clsFileProp {
public:
    // Examines the file and fills the properties; "" does nothing. A file that
    // cannot be examined shows "Can't open the file" and keeps the previous
    // values. A property that cannot be read keeps its previous value.
    void FindFileInfo(const std::string& path, bool largeIcon = false);

    // "yyyy-mm-dd hh:mm:ss"; "" when the file system keeps no birth time.
    std::string GetDateCreated() const;
    std::string GetDateModified() const;
    // "yyyy-mm-dd".
    std::string GetDateAccessed() const;
    // The details block, each line ending with CR LF.
    std::string GetAllFileInfo() const;

    int32_t IconIndex() const { return iconIndex_; }
    const std::string& FileType() const { return fileType_; }
    bool Compress() const { return compress_; }
    bool Temporary() const { return temporary_; }
    bool Normal() const { return normal_; }
    bool Archive() const { return archive_; }
    bool Directory() const { return directory_; }
    bool System() const { return system_; }
    bool Hidden() const { return hidden_; }
    bool ReadOnly() const { return readOnly_; }
    // "2004-3-7 at 9:5:30" (no leading zeros); CreationTime "" without a birth time.
    const std::string& LastWriteTime() const { return lastWriteTime_; }
    const std::string& LastAccessTime() const { return lastAccessTime_; }
    const std::string& CreationTime() const { return creationTime_; }
    // "1,234,567 bytes"; " bytes" for an empty file.
    const std::string& ByteSize() const { return byteSize_; }
    const std::string& ProductVersion() const { return productVersion_; }
    const std::string& ProductName() const { return productName_; }
    const std::string& OriginalFileName() const { return originalFileName_; }
    const std::string& LegalCopyright() const { return legalCopyright_; }
    const std::string& InternalName() const { return internalName_; }
    const std::string& FileVersion() const { return fileVersion_; }
    const std::string& FileDescription() const { return fileDescription_; }
    const std::string& CompanyName() const { return companyName_; }
    // The examined path, upper-cased.
    const std::string& FileName() const { return fileName_; }

    // The three times as values (local time); the unread value is 1899-12-30.
    const DateTime& created() const { return created_; }
    const DateTime& modified() const { return modified_; }
    const DateTime& accessed() const { return accessed_; }
    bool hasCreated() const { return hasCreated_; }

private:
    int32_t iconIndex_ = 0;
    std::string fileType_;
    bool compress_ = false, temporary_ = false, normal_ = false, archive_ = false, directory_ = false,
         system_ = false, hidden_ = false, readOnly_ = false;
    std::string lastWriteTime_, lastAccessTime_, creationTime_, byteSize_;
    std::string productVersion_, productName_, originalFileName_, legalCopyright_, internalName_, fileVersion_,
        fileDescription_, companyName_;
    std::string fileName_;
    DateTime created_{1899, 12, 30, 0, 0, 0}, modified_{1899, 12, 30, 0, 0, 0}, accessed_{1899, 12, 30, 0, 0, 0};
    bool hasCreated_ = true;
};

// The type name shown for a file: "File Folder" for a folder, "JPG File" for
// a.jpg, "File" without an extension.
std::string fileTypeName(const std::string& path, bool isDir);

// The owner's account name; "unknown" when the uid has no account (no line is
// added then). A file that cannot be examined gives "". Adds "Owner = " + the
// owner to list when given.
std::string GetFileOwner(const std::string& path, ListBox* list = nullptr);

} // namespace dr
