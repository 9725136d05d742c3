#include "common/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/split.h"

namespace dr {

namespace {

constexpr size_t kChunk = 64 * 1024;
const char kCrLf[] = "\r\n";

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

std::string_view trimSpaces(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Opens for reading; folders are refused like the original's file opens.
int openForInput(const std::string& path, std::string& why) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        why = std::strerror(EISDIR);
        return -1;
    }
    return fd;
}

} // namespace

cFileIO::~cFileIO() { closeFile(); }

bool cFileIO::Exists() const {
    struct stat st{};
    return !fname_.empty() && ::stat(fname_.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool cFileIO::openFile(const std::string& mode, bool ignoreErrors) {
    std::string m = upper(mode);
    int flags;
    if (m == "APPEND") flags = O_WRONLY | O_CREAT | O_APPEND;
    else if (m == "OUTPUT") flags = O_WRONLY | O_CREAT | O_TRUNC;
    else if (m == "INPUT") flags = O_RDONLY;
    else {
        // Nothing is open afterwards, so the flags stay as they were.
        host().message("Invalid method of opening file");
        return false;
    }
    closeFile();
    int fd = flags == O_RDONLY ? openForInput(fname_, lastError_)
                               : ::open(fname_.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (flags != O_RDONLY) lastError_ = std::strerror(errno);
        if (!ignoreErrors)
            appLog().log("cFileIO - An error occurred opening the file " + fname_ + "\r\nErr = " + lastError_, 0);
        return false;
    }
    fd_ = fd;
    reading_ = flags == O_RDONLY;
    eof_ = false;
    buf_.clear();
    pos_ = 0;
    moreData_ = true;
    return true;
}

void cFileIO::reportWrite(What what, bool silent, const std::string& why) {
    lastError_ = why;
    if (silent) return;
    host().message(std::string(what == What::Printing ? "An error occurred printing to file "
                                                      : "An error occurred appending to file ") +
                   fname_ + "\r\nErr = " + why);
}

bool cFileIO::flush() {
    const char* p = buf_.data();
    size_t left = buf_.size();
    std::string why;
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            why = std::strerror(n < 0 ? errno : EIO);
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    buf_.clear();
    if (why.empty()) return true;
    reportWrite(lastWhat_, lastSilent_, why);
    return false;
}

bool cFileIO::write(std::string_view text, bool silent, What what) {
    if (fd_ < 0 || reading_) {
        reportWrite(what, silent, fd_ < 0 ? "Bad file name or number" : "Bad file mode");
        return false;
    }
    lastSilent_ = silent;
    lastWhat_ = what;
    buf_.append(text).append(kCrLf);
    return buf_.size() < kChunk || flush();
}

void cFileIO::printLine(std::string_view text, bool silent) { write(text, silent, What::Printing); }

void cFileIO::appendLine(std::string_view text, bool silent) {
    if (fd_ >= 0) {
        write(text, silent, What::Appending);
        return;
    }
    std::string line(text);
    line += kCrLf;
    std::string why;
    if (!appendToFile(fname_, line, &why)) reportWrite(What::Appending, silent, why);
}

void cFileIO::dumpArray(std::span<const std::string> items, bool silent, const std::string& prefix) {
    if (fd_ >= 0) {
        for (size_t i = 1; i < items.size(); ++i)
            if (!trimSpaces(items[i]).empty() && !write(prefix + items[i], silent, What::Appending)) return;
        return;
    }
    std::string all;
    for (size_t i = 1; i < items.size(); ++i)
        if (!trimSpaces(items[i]).empty()) all.append(prefix).append(items[i]).append(kCrLf);
    std::string why;
    if (!appendToFile(fname_, all, &why)) reportWrite(What::Appending, silent, why);
}

bool cFileIO::fill() {
    if (eof_ || fd_ < 0 || !reading_) return false;
    buf_.erase(0, pos_);
    pos_ = 0;
    size_t had = buf_.size();
    buf_.resize(had + kChunk);
    for (;;) {
        ssize_t n = ::read(fd_, buf_.data() + had, kChunk);
        if (n > 0) {
            buf_.resize(had + static_cast<size_t>(n));
            return true;
        }
        if (n == 0) break;
        if (errno == EINTR) continue;
        lastError_ = std::strerror(errno);
        MessageRequest box{"An error occurred reading from the file " + fname_ + "\r\nErr = " + lastError_ +
                               "Click OK to resume",
                           "Error reading from File", Buttons::AbortRetryIgnore, Icon::Critical, 2};
        Answer a = host().messageBox(box);
        if (a == Answer::Abort) std::exit(1);
        if (a == Answer::Retry) continue;
        break; // Ignore: the file is treated as ended, so read loops finish
    }
    buf_.resize(had);
    eof_ = true;
    return false;
}

bool cFileIO::getLine(std::string& out) {
    out.clear();
    if (fd_ < 0 || !reading_ || (pos_ >= buf_.size() && !fill())) {
        moreData_ = false;
        return false;
    }
    for (;;) {
        const char* base = buf_.data() + pos_;
        size_t avail = buf_.size() - pos_;
        const char* stop = static_cast<const char*>(std::memchr(base, '\n', avail));
        const char* cr = static_cast<const char*>(std::memchr(base, '\r', stop ? size_t(stop - base) : avail));
        if (cr) stop = cr;
        if (!stop) {
            out.append(base, avail);
            pos_ = buf_.size();
            if (!fill()) return true; // the last line had no line end
            continue;
        }
        out.append(base, size_t(stop - base));
        pos_ += size_t(stop - base) + 1;
        if (*stop == '\r') {
            if (pos_ >= buf_.size()) fill();
            if (pos_ < buf_.size() && buf_[pos_] == '\n') ++pos_;
        }
        return true;
    }
}

std::string cFileIO::getLine() {
    std::string line;
    getLine(line);
    return line;
}

void cFileIO::closeFile() {
    if (fd_ < 0) return;
    if (!reading_ && !buf_.empty()) flush();
    if (::close(fd_) != 0 && !reading_) reportWrite(lastWhat_, lastSilent_, std::strerror(errno));
    fd_ = -1;
    buf_.clear();
    buf_.shrink_to_fit();
    pos_ = 0;
}

void cFileIO::Clear() {
    closeFile();
    ::unlink(fname_.c_str());
}

std::string cFileIO::LoadFileToString(const std::string& separator) {
    closeFile();
    std::string all, line;
    if (!openFile("INPUT")) return all;
    while (moreData_) {
        getLine(line);
        all.append(line).append(separator);
    }
    closeFile();
    return all;
}

bool cFileIO::waitUntilFileCanBeOpened(int maxSeconds) {
    closeFile();
    Host& h = host();
    h.setBusy(true);
    // Either clock may end the wait: the runtime's (which tests drive) or the real one.
    const int64_t limit = static_cast<int64_t>(std::max(maxSeconds, 0)) * 1000;
    const int64_t start = rt().clock->steadyMillis();
    const auto realStart = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        int64_t real = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                             realStart).count();
        return std::max(real, rt().clock->steadyMillis() - start);
    };
    long long attempts = 0;
    std::string why;
    for (;;) {
        int fd = openForInput(fname_, why);
        if (fd >= 0) {
            ::close(fd);
            appLog().log("SUCCESS - waitUntilFileCanOpened took " + std::to_string(attempts) + " attempts for " +
                             fname_, 1);
            h.setBusy(false);
            return true;
        }
        if (elapsed() >= limit) break;
        h.doEvents();
        ++attempts;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    appLog().log("FAIL - waitUntilFileCanOpened Timed out waiting for file to be opened after " +
                     std::to_string(attempts) + " attempts for file " + fname_, 1);
    h.setBusy(false);
    return false;
}

// clsArray

void clsArray::init(size_t size) {
    items_.clear();
    items_.reserve(std::max<size_t>(size, 1));
}

void clsArray::CreateByParsingText(std::string_view text, std::string_view delimiter, bool includeBlanks) {
    std::vector<std::string> slots(100);
    std::string joined;
    joined.reserve(delimiter.size() + text.size());
    joined.append(delimiter).append(text);
    splitTextIntoFields(slots, joined, 0, delimiter);
    for (size_t k = 1; k < slots.size(); ++k) {
        std::string_view t = trimSpaces(slots[k]);
        if (includeBlanks || !t.empty()) items_.emplace_back(t);
    }
}

long long clsArray::LoadFromDisk(const std::string& fileName, bool showMessage) {
    cFileIO f(fileName);
    if (!f.openFile("INPUT", true)) {
        host().message("Error loading file from disk to Array\r\n" + f.lastError());
        return -1;
    }
    long long count = 0;
    std::string line;
    while (f.moreData()) {
        f.getLine(line);
        items_.push_back(line);
        ++count;
    }
    f.closeFile();
    if (showMessage) host().message("Read in " + formatNumber(count, "###,###,###") + " lines \r\n from file " + fileName);
    return count;
}

void clsArray::SaveToDisk(const std::string& fileName) {
    cFileIO f(fileName);
    if (!f.openFile("OUTPUT")) return;
    for (const std::string& s : items_) f.printLine(s);
    f.closeFile();
}

size_t clsArray::GetIndexByText(std::string_view text, size_t, bool caseSensitive) const {
    if (caseSensitive) {
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == text) return i + 1;
        return 0;
    }
    std::string want = upper(text);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].size() == want.size() && upper(items_[i]) == want) return i + 1;
    return 0;
}

void clsArray::Add(std::string text, int index) {
    if (index != 1) host().message("ndx isnt setup to add at specific point yet");
    items_.push_back(std::move(text));
}

const std::string& clsArray::Item(size_t index) const {
    static const std::string empty;
    return index >= 1 && index <= items_.size() ? items_[index - 1] : empty;
}

void clsArray::setItem(size_t index, std::string text) {
    if (index < 1 || index > items_.size()) throw std::out_of_range("clsArray index out of range");
    items_[index - 1] = std::move(text);
}

} // namespace dr
