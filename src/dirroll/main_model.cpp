#include "dirroll/main_model.h"

#include <algorithm>
#include <cctype>

#include "common/runtime.h"
#include "dirroll/listing.h"

namespace dr::roll {

const std::array<const char*, 7> kDateRangeNames = {
    "Any Dates", "in the last Year", "in the last Month", "in the last Week",
    "in the last 3 days", "Todays files only", "Custom Date Range"};

static bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

void SortedList::add(const std::string& s) {
    items_.insert(std::upper_bound(items_.begin(), items_.end(), s, lessNoCase), s);
}

void SortedList::assign(const std::vector<std::string>& v) {
    items_ = v;
    std::stable_sort(items_.begin(), items_.end(), lessNoCase);
}

MainModel::MainModel() {
    status_[3] = "Welcome to Homestack";
    status_[1] = "0 files";
    status_[2] = "0 bytes";
}

template <class F> void MainModel::notify(F f) {
    for (ModelListener* l : listeners_) f(*l);
}

void MainModel::addListener(ModelListener* l) { listeners_.push_back(l); }
void MainModel::removeListener(ModelListener* l) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
}

std::string MainModel::profileText() const {
    if (profileIndex < 0 || profileIndex >= static_cast<int>(profiles.size())) return {};
    return profiles[static_cast<size_t>(profileIndex)];
}

void MainModel::setProfiles(std::vector<std::string> names) {
    profiles = std::move(names);
    profileIndex = -1;
    changed(SpecPart::Profiles);
}

void MainModel::setProfileIndex(int i) {
    profileIndex = (i >= 0 && i < static_cast<int>(profiles.size())) ? i : -1;
    changed(SpecPart::Profiles);
}

void MainModel::setProfileEnabled(bool on) {
    profileEnabled = on;
    notify([](ModelListener& l) { l.flagsChanged(); });
}

int MainModel::findProfile(const std::string& name) const {
    for (size_t i = 0; i < profiles.size(); ++i)
        if (profiles[i] == name) return static_cast<int>(i);
    return -1;
}

void MainModel::changed(SpecPart part) {
    notify([&](ModelListener& l) { l.specChanged(part); });
}

void MainModel::setCaption(const std::string& text) {
    caption_ = text;
    if (rt().host) rt().host->setCaption(text);
    notify([](ModelListener& l) { l.captionChanged(); });
}

void MainModel::setStatus(int panel, const std::string& text) {
    if (panel < 1 || panel > 3) return;
    status_[static_cast<size_t>(panel)] = text;
    if (rt().host) rt().host->setStatusPanel(panel, text);
    notify([&](ModelListener& l) { l.statusChanged(panel); });
}

void MainModel::showProgress(bool on) {
    progressVisible_ = on;
    if (!on) progressValue_ = 0;
    if (rt().host) rt().host->setProgress(progressValue_, on ? 100 : 0);
    notify([](ModelListener& l) { l.progressChanged(); });
}

void MainModel::setProgress(int percent) {
    progressValue_ = std::clamp(percent, 0, 100);
    if (rt().host && progressVisible_) rt().host->setProgress(progressValue_, 100);
    notify([](ModelListener& l) { l.progressChanged(); });
}

bool MainModel::halted() const { return rt().host && rt().host->halted(); }
void MainModel::setHalt(bool on) {
    if (rt().host) rt().host->setHalt(on);
}

void MainModel::setMenus(const MenuTicks& m) {
    menus = m;
    notify([](ModelListener& l) { l.flagsChanged(); });
}

std::string MainModel::excludedPathsPath() const {
    return excludedPathsFile.empty() ? rt().sideFile("ExcludedPaths.txt") : excludedPathsFile;
}

void pump(MainModel& m) {
    m.files.publish();
    if (rt().host) rt().host->doEvents();
}

std::string FilesPanelText(int64_t files) { return GroupDigits(static_cast<uint64_t>(files)) + " files "; }
std::string BytesPanelText(uint64_t bytes) { return GroupDigits(bytes) + " bytes "; }

void UpdateFileStatus(MainModel& m) {
    Totals& t = m.files.totals;
    m.files.syncOwnTexts(t);
    m.setStatus(1, GroupDigits(static_cast<uint64_t>(t.files)) + " files (" +
                       GroupDigits(static_cast<uint64_t>(t.taggedFiles), true) + " tagged files) ");
    m.setStatus(2, GroupDigits(t.bytes) + " bytes  (" + GroupDigits(t.taggedBytes, true) + " tagged bytes) ");
    m.setStatus(3, m.caption());
}

} // namespace dr::roll
