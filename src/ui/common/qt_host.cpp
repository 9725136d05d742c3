#include "ui/common/qt_host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "common/runtime.h"

namespace dr::ui {

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString qsText(const std::string& s) {
    QString q = qs(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return q;
}

std::string ss(const QString& s) { return s.toUtf8().toStdString(); }

std::string programTitle(const std::string& programName) {
    return programName == "dr-client" ? "Dirroller Client" : "Dirroller";
}

// "*.pro" -> "*.pro *.PRO"; patterns without letters stay as they are.
static QString bothCases(const QString& patterns) {
    QStringList out;
    for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString t = p.trimmed();
        if (t.isEmpty()) continue;
        for (const QString& v : {t, t.toLower(), t.toUpper()})
            if (!out.contains(v)) out << v;
    }
    return out.join(QLatin1Char(' '));
}

QStringList nameFilters(const std::string& filter) {
    QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList out;
    if (parts.size() == 1) {
        if (!parts[0].trimmed().isEmpty()) out << parts[0].trimmed() + QStringLiteral(" (") + bothCases(parts[0]) + ')';
        return out;
    }
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        QString pats = bothCases(parts[i + 1]);
        if (pats.isEmpty()) continue;
        // A description that already names its patterns in brackets loses them:
        // Qt takes the patterns from the last bracket pair.
        qsizetype br = desc.lastIndexOf(QLatin1Char('('));
        if (br > 0 && desc.endsWith(QLatin1Char(')'))) desc = desc.left(br).trimmed();
        if (desc.isEmpty()) desc = parts[i + 1].trimmed();
        out << desc + QStringLiteral(" (") + pats + ')';
    }
    return out;
}

QtHost::QtHost(std::string title) : title_(title.empty() ? programTitle(rt().programName) : std::move(title)) {}

QtHost::~QtHost() {
    if (busy_) QApplication::restoreOverrideCursor();
}

void QtHost::clearWindow(QWidget* w) {
    if (win_.widget == w) win_ = Window{};
}

QString QtHost::boxTitle(const std::string& t) const { return qs(t.empty() ? title_ : t); }

dr::Answer QtHost::messageBox(const dr::MessageRequest& req) {
    using SB = QMessageBox::StandardButton;
    struct Map { SB qt; dr::Answer a; };
    static const std::vector<Map> sets[] = {
        {{SB::Ok, dr::Answer::OK}},
        {{SB::Ok, dr::Answer::OK}, {SB::Cancel, dr::Answer::Cancel}},
        {{SB::Abort, dr::Answer::Abort}, {SB::Retry, dr::Answer::Retry}, {SB::Ignore, dr::Answer::Ignore}},
        {{SB::Yes, dr::Answer::Yes}, {SB::No, dr::Answer::No}, {SB::Cancel, dr::Answer::Cancel}},
        {{SB::Yes, dr::Answer::Yes}, {SB::No, dr::Answer::No}},
        {{SB::Retry, dr::Answer::Retry}, {SB::Cancel, dr::Answer::Cancel}},
    };
    const auto& set = sets[static_cast<int>(req.buttons)];
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (req.icon) {
    case dr::Icon::Critical: icon = QMessageBox::Critical; break;
    case dr::Icon::Question: icon = QMessageBox::Question; break;
    case dr::Icon::Exclamation: icon = QMessageBox::Warning; break;
    case dr::Icon::Information: icon = QMessageBox::Information; break;
    case dr::Icon::None: break;
    }
    QMessageBox box(icon, boxTitle(req.title), qsText(req.text), QMessageBox::NoButton, win_.widget);
    for (const Map& m : set) box.addButton(m.qt);
    size_t d = req.defaultButton >= 0 && static_cast<size_t>(req.defaultButton) < set.size() ? req.defaultButton : 0;
    box.setDefaultButton(set[d].qt);
    // The hourglass would hide the arrow the user needs for the box.
    bool wasBusy = busy_;
    if (wasBusy) setBusy(false);
    box.exec();
    if (wasBusy) setBusy(true);
    auto clicked = box.standardButton(box.clickedButton());
    for (const Map& m : set)
        if (m.qt == clicked) return m.a;
    // Closed with Escape or the close box: what Escape means for this set.
    for (const Map& m : set)
        if (m.a == dr::Answer::Cancel) return m.a;
    return set.size() == 2 && set[1].a == dr::Answer::No ? dr::Answer::No : set[0].a;
}

std::optional<std::string> QtHost::inputBox(const std::string& prompt, const std::string& title,
                                            const std::string& defaultText) {
    bool ok = false;
    QString r = QInputDialog::getText(win_.widget, boxTitle(title), qsText(prompt), QLineEdit::Normal,
                                      qs(defaultText), &ok);
    if (!ok) return std::nullopt;
    return ss(r);
}

std::optional<std::string> QtHost::fileDialog(const dr::FileDialogRequest& req, bool save) {
    QFileDialog dlg(win_.widget, qs(req.title), qs(req.startFolder));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters = nameFilters(req.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        int i = req.filterIndex - 1;
        if (i >= 0 && i < filters.size()) dlg.selectNameFilter(filters[i]);
    }
    if (!req.defaultExt.empty()) dlg.setDefaultSuffix(qs(req.defaultExt));
    // A wildcard "file name" only names the filter; it is not a name to offer.
    QString name = qs(req.fileName);
    if (!name.isEmpty() && !name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?'))) dlg.selectFile(name);
    bool wasBusy = busy_;
    if (wasBusy) setBusy(false);
    int rc = dlg.exec();
    if (wasBusy) setBusy(true);
    if (rc != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return ss(dlg.selectedFiles().front());
}

std::optional<std::string> QtHost::openFileDialog(const dr::FileDialogRequest& req) { return fileDialog(req, false); }
std::optional<std::string> QtHost::saveFileDialog(const dr::FileDialogRequest& req) { return fileDialog(req, true); }

std::optional<std::string> QtHost::pickFolder(const std::string& title, const std::string& startFolder) {
    QString r = QFileDialog::getExistingDirectory(win_.widget, boxTitle(title), qs(startFolder));
    if (r.isEmpty()) return std::nullopt;
    return ss(r);
}

void QtHost::setStatusPanel(int index, const std::string& text) {
    if (win_.status) win_.status(index, text);
}

void QtHost::setCaption(const std::string& text) {
    if (win_.caption) win_.caption(text);
}

void QtHost::setProgress(int value, int max) {
    if (win_.progress) win_.progress(value, max);
}

void QtHost::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void QtHost::doEvents() {
    if (lastEvents_.isValid() && lastEvents_.elapsed() < doEventsMs_) return;
    QCoreApplication::processEvents();
    lastEvents_.start();
}

void QtHost::repaint() {
    if (win_.repaint) win_.repaint();
}

} // namespace dr::ui
