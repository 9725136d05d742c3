#pragma once
// Window tests: one offscreen QApplication for the whole run, a platform whose
// opener and recent documents the test controls, and a frmFiles started the
// way main() starts it.
#include <QApplication>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"
#include "support/test_env.h"
#include "ui/dirroll/frm_files.h"

namespace drtest {

QApplication& qtApp();
// Lets queued events (resizes, timers) run.
void settle();

// The native platform, except that documents and programs are only recorded
// and the recent documents are the test's.
class WindowPlatform : public dr::Platform {
public:
    WindowPlatform();
    ~WindowPlatform() override;

    std::vector<std::string> recent;
    std::vector<std::string> opened;                 // targets of openDocument
    std::vector<std::vector<std::string>> started;   // startProgram calls

    std::string executablePath() override { return real_->executablePath(); }
    std::string programFolder() override { return real_->programFolder(); }
    std::string userName() override { return "tester"; }
    std::string computerName() override { return "testpc"; }
    std::string specialFolder(dr::SpecialFolder) override { return ""; }
    std::vector<std::string> recentDocuments() override { return recent; }
    bool fileStat(const std::string& p, dr::FileStat& out, bool noFollow = false) override {
        return real_->fileStat(p, out, noFollow);
    }
    std::string accountName(uint32_t uid) override { return real_->accountName(uid); }
    std::string fileOwner(const std::string& p, bool& ok) override { return real_->fileOwner(p, ok); }
    std::vector<dr::Volume> volumes() override { return real_->volumes(); }
    bool listFolder(const std::string& f, bool withStat, const std::function<bool(const DirEntry&)>& fn) override {
        return real_->listFolder(f, withStat, fn);
    }
    int openDocument(const std::string& target, const std::string&) override {
        opened.push_back(target);
        return dr::launch::kOk;
    }
    bool startProgram(const std::vector<std::string>& argv) override {
        started.push_back(argv);
        return true;
    }
    int runProgramAndWait(const std::vector<std::string>&, const std::function<void()>&) override { return -1; }
    bool hasDisplay() override { return false; }

private:
    std::unique_ptr<dr::Platform> real_;
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    // The engine's start-up (settings file, default profiles) and the window's.
    dr::ui::frmFiles& start();
    // Closes the window (saving its state) and starts a new one in the same folder.
    dr::ui::frmFiles& restart();
    void closeWindow();

    // A profile of the program folder: one folder (a trailing '*' takes its tree),
    // all files, any dates.
    void writeProfile(const std::string& name, const std::string& folder, const std::string& extra = "");
    // Files of `count` bytes each in a folder of the program folder, modified on 10 Dec 2026.
    void makeFiles(const std::string& folder, const std::vector<std::pair<std::string, int>>& files);
    // A saved list for a profile with records (name, folder, size).
    void writeSavedList(const std::string& profile, const std::vector<std::tuple<std::string, std::string, int>>& rows);
    // Selects a profile as a click on cmdProfile does.
    void chooseProfile(const std::string& name);

    // The rows' texts of one column, in display order.
    std::vector<std::string> column(int col) const;
    std::string panel(int i) const;

    TestEnv env;
    WindowPlatform plat;
    std::unique_ptr<dr::ui::frmFiles> w;
};

} // namespace drtest
