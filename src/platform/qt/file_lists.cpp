#include "platform/qt/file_lists.h"

#include <fnmatch.h>
#include <strings.h>

#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "platform/qt/codec.h"

namespace tolvi::platform {

namespace {

namespace fs = std::filesystem;

// Letters compared without regard to ASCII case; equal names then by their bytes, so the order
// is total.
bool NameLess(const std::string& a, const std::string& b) {
    const int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
}

// Names in dir of directories (wantDirs) or regular files, dot names left out; empty when dir
// cannot be read.
std::vector<std::string> ListNames(const std::string& dir, bool wantDirs) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code typeEc;
        const bool isWanted = wantDirs ? it->is_directory(typeEc) : it->is_regular_file(typeEc);
        if (!typeEc && isWanted) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

std::string WithoutTrailingSlash(std::string dir) {
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace

bool MatchesFilePattern(const std::string& name, const std::string& patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', start), patterns.size());
        std::string p = patterns.substr(start, end - start);
        p.erase(0, p.find_first_not_of(' '));
        p.erase(p.find_last_not_of(' ') + 1);
        if (p.empty() || p == "*.*") p = "*";
        if (fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
        start = end + 1;
    }
    return false;
}

DriveCombo::DriveCombo(QWidget* parent) : QComboBox(parent) {
    addItem(QStringLiteral("/"));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { emit driveChanged(); });
}

std::string DriveCombo::drive() const { return PathFromQString(currentText()); }

void DriveCombo::setDrive(const std::string& drive) {
    const int i = findText(PathToQString(drive));
    if (i >= 0) setCurrentIndex(i);
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const std::string target = entryPath(row(item));
        if (!target.empty()) setPath(target);
    });
}

bool DirList::setPath(const std::string& dir) {
    const std::string p = WithoutTrailingSlash(dir);
    if (p.empty() || !IsEnterableDirectory(p)) return false;
    std::error_code ec;
    fs::directory_iterator probe(p, ec);
    if (ec) return false;
    const bool changed = p != path_;
    path_ = p;
    refresh();
    if (changed) emit pathChanged();
    return true;
}

void DirList::refresh() {
    const QSignalBlocker quiet(this);
    clear();
    targets_.clear();
    if (path_.empty()) return;
    if (!IsRootPath(path_)) {
        addItem(QStringLiteral(".."));
        targets_.push_back(DirectoryPart(path_));
    }
    for (const std::string& name : ListNames(path_, true)) {
        addItem(PathToQString(name));
        targets_.push_back(JoinPath(path_, name));
    }
}

std::string DirList::entryPath(int i) const {
    return i >= 0 && i < int(targets_.size()) ? targets_[std::size_t(i)] : std::string();
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::setPath(const std::string& dir) {
    path_ = WithoutTrailingSlash(dir);
    refresh();
}

void FileList::setPattern(const std::string& pattern) {
    pattern_ = pattern;
    refresh();
}

void FileList::refresh() {
    const QSignalBlocker quiet(this);  // a refill is no click
    clear();
    names_.clear();
    if (path_.empty()) return;
    for (const std::string& name : ListNames(path_, false))
        if (MatchesFilePattern(name, pattern_)) names_.push_back(name);
    for (const std::string& name : names_) addItem(PathToQString(name));
}

void FileList::focusInEvent(QFocusEvent* event) {
    // A list view makes its first entry current when it gets the focus by the keyboard or by its
    // window's activation; here that would be a click nobody gave.
    const bool hadCurrent = currentIndex().isValid();
    {
        const QSignalBlocker quiet(this);
        QListWidget::focusInEvent(event);
        if (!hadCurrent) setCurrentIndex(QModelIndex());
    }
}

std::string FileList::fileName(int i) const {
    return i >= 0 && i < int(names_.size()) ? names_[std::size_t(i)] : std::string();
}

}  // namespace tolvi::platform
