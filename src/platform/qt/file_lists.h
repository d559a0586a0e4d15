#pragma once
// The drive, directory and file lists of the setup dialogs. They read the file system at once
// (no background model), so what they show is there as soon as a path is set. Paths are the file
// system's bytes; names are sorted without regard to case, and entries whose names start with a
// dot are hidden.
#include <QComboBox>
#include <QListWidget>
#include <string>
#include <vector>

namespace tolvi::platform {

// The drive list. Linux has one tree, so it offers the root "/" alone.
class DriveCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DriveCombo(QWidget* parent = nullptr);
    std::string drive() const;
    // A drive that is not listed is ignored.
    void setDrive(const std::string& drive);

signals:
    void driveChanged();
};

// The directory list: ".." (except at the root) and the subdirectories of path(). A double click
// or Enter on an entry makes it the path.
class DirList : public QListWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);

    const std::string& path() const { return path_; }
    // Shows dir (one trailing "/" dropped, the root kept); false, with nothing changed, when dir
    // is not a directory that can be read. pathChanged follows a change.
    bool setPath(const std::string& dir);
    void refresh();
    int listIndex() const { return currentRow(); }
    // The path entry i leads to; "" out of range.
    std::string entryPath(int i) const;

signals:
    void pathChanged();

private:
    std::string path_;
    std::vector<std::string> targets_;
};

// The file list: the regular files of path() whose names match pattern() without regard to
// case. Patterns use * and ?, several separated by ";"; "*.*" and "" match every file.
// currentRowChanged is its click, itemDoubleClicked its double click. Taking the focus chooses
// no file (a click would act on it).
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    const std::string& path() const { return path_; }
    // A directory that cannot be read shows an empty list.
    void setPath(const std::string& dir);
    const std::string& pattern() const { return pattern_; }
    void setPattern(const std::string& pattern);
    void refresh();

    // Name of entry i; "" out of range.
    std::string fileName(int i) const;
    // Name of the selected entry; "" when none is.
    std::string fileName() const { return fileName(currentRow()); }
    int listIndex() const { return currentRow(); }
    void setListIndex(int i) { setCurrentRow(i); }

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    std::string path_;
    std::string pattern_ = "*.*";
    std::vector<std::string> names_;
};

// True when name matches one of the ";"-separated patterns, letters compared without regard to
// case.
bool MatchesFilePattern(const std::string& name, const std::string& patterns);

}  // namespace tolvi::platform
