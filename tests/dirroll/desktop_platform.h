#pragma once
// The native platform with the user's folders, recent documents, display and
// opener replaced, so tests neither read the real desktop nor open anything.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace drtest {

class DesktopPlatform : public dr::Platform {
public:
    DesktopPlatform() : real_(dr::makeNativePlatform()) { dr::setPlatform(this); }
    ~DesktopPlatform() override { dr::setPlatform(nullptr); }
    DesktopPlatform(const DesktopPlatform&) = delete;
    DesktopPlatform& operator=(const DesktopPlatform&) = delete;

    std::map<dr::SpecialFolder, std::string> folders;
    std::vector<std::string> recent;
    std::vector<std::string> opened; // targets handed to the opener
    bool display = false;
    std::string exePath = "/usr/local/bin/dirroll";

    std::string executablePath() override { return exePath; }
    std::string programFolder() override { return real_->programFolder(); }
    std::string userName() override { return "tester"; }
    std::string computerName() override { return "testpc"; }
    std::string specialFolder(dr::SpecialFolder which) override {
        auto it = folders.find(which);
        return it == folders.end() ? std::string() : it->second;
    }
    std::vector<std::string> recentDocuments() override { return recent; }
    bool fileStat(const std::string& path, dr::FileStat& out, bool noFollow) override {
        return real_->fileStat(path, out, noFollow);
    }
    std::string accountName(uint32_t uid) override { return real_->accountName(uid); }
    std::string fileOwner(const std::string& path, bool& ok) override { return real_->fileOwner(path, ok); }
    std::vector<dr::Volume> volumes() override { return real_->volumes(); }
    bool listFolder(const std::string& folder, bool withStat,
                    const std::function<bool(const DirEntry&)>& fn) override {
        return real_->listFolder(folder, withStat, fn);
    }
    int openDocument(const std::string& target, const std::string&) override {
        opened.push_back(target);
        return dr::launch::kOk;
    }
    bool startProgram(const std::vector<std::string>&) override { return false; }
    int runProgramAndWait(const std::vector<std::string>&, const std::function<void()>&) override { return -1; }
    bool hasDisplay() override { return display; }

private:
    std::unique_ptr<dr::Platform> real_;
};

} // namespace drtest
