#pragma once
// A Platform that forwards to the native one; tests override the calls they
// need to steer. Installed for the object's life.
#include <memory>

#include "platform/platform.h"

namespace drtest {

class ForwardingPlatform : public dr::Platform {
public:
    ForwardingPlatform() : real_(dr::makeNativePlatform()) { dr::setPlatform(this); }
    ~ForwardingPlatform() override { dr::setPlatform(nullptr); }

    std::string executablePath() override { return real_->executablePath(); }
    std::string programFolder() override { return real_->programFolder(); }
    std::string userName() override { return real_->userName(); }
    std::string computerName() override { return real_->computerName(); }
    std::string specialFolder(dr::SpecialFolder w) override { return real_->specialFolder(w); }
    std::vector<std::string> recentDocuments() override { return real_->recentDocuments(); }
    bool fileStat(const std::string& p, dr::FileStat& out, bool noFollow = false) override {
        return real_->fileStat(p, out, noFollow);
    }
    std::string accountName(uint32_t uid) override { return real_->accountName(uid); }
    std::string fileOwner(const std::string& p, bool& ok) override { return real_->fileOwner(p, ok); }
    std::vector<dr::Volume> volumes() override { return real_->volumes(); }
    bool listFolder(const std::string& f, bool withStat, const std::function<bool(const DirEntry&)>& fn) override {
        return real_->listFolder(f, withStat, fn);
    }
    int openDocument(const std::string&, const std::string&) override { return dr::launch::kUnknown; }
    bool startProgram(const std::vector<std::string>&) override { return false; }
    int runProgramAndWait(const std::vector<std::string>&, const std::function<void()>&) override { return -1; }
    bool hasDisplay() override { return false; }

protected:
    std::unique_ptr<dr::Platform> real_;
};

} // namespace drtest
