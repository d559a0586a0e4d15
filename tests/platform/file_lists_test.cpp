#include "platform/qt/file_lists.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tolvi::platform {
namespace {

std::vector<std::string> Shown(const QListWidget& list) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i)->text().toStdString());
    return out;
}

TEST(FileList, MatchesPatternsWhateverTheCaseAndSortsNamesIgnoringCase) {
    test::TempDir dir;
    for (const char* f : {"b.APT", "A.apt", "c.Apt", "d.txt", ".hidden.apt", "E.SYMBOL"}) dir.Write(f, "x");
    ::mkdir(dir.File("sub.apt").c_str(), 0755);  // a directory is no file
    FileList list;
    int clicks = 0;
    QObject::connect(&list, &QListWidget::currentRowChanged, [&] { ++clicks; });
    list.setPattern("*.APT");
    list.setPath(dir.path() + "/");
    EXPECT_EQ(list.path(), dir.path());
    EXPECT_EQ(Shown(list), (std::vector<std::string>{"A.apt", "b.APT", "c.Apt"}));
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.fileName(), "");
    list.setListIndex(1);
    EXPECT_EQ(list.fileName(), "b.APT");
    EXPECT_EQ(clicks, 1) << "a refill is no click";
    list.setPattern("*.symbol;*.TXT");
    EXPECT_EQ(Shown(list), (std::vector<std::string>{"d.txt", "E.SYMBOL"}));
    EXPECT_EQ(list.fileName(5), "");
    list.setPattern("*.*");
    EXPECT_EQ(list.count(), 5) << "every file but the dot file";
    list.setPath(dir.File("missing"));
    EXPECT_EQ(list.count(), 0);
}

TEST(FileList, TakingTheFocusChoosesNoFile) {
    test::TempDir dir;
    dir.Write("a.apt", "x");
    QWidget window;
    auto* other = new QListWidget(&window);
    auto* list = new FileList(&window);
    list->setPath(dir.path());
    int clicks = 0;
    QObject::connect(list, &QListWidget::currentRowChanged, [&] { ++clicks; });
    window.show();
    other->setFocus();
    list->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(list->hasFocus() || !window.isActiveWindow());
    EXPECT_EQ(list->listIndex(), -1);
    EXPECT_EQ(clicks, 0);
    list->setListIndex(0);
    EXPECT_EQ(clicks, 1);
}

TEST(DirList, ShowsTheParentAndSubdirectoriesAndDescendsOnActivation) {
    test::TempDir dir;
    for (const char* d : {"lib", "Job", "apps", ".cache"}) ::mkdir(dir.File(d).c_str(), 0755);
    dir.Write("file.txt", "x");
    DirList list;
    int changes = 0;
    QObject::connect(&list, &DirList::pathChanged, [&] { ++changes; });
    ASSERT_TRUE(list.setPath(dir.path()));
    EXPECT_EQ(Shown(list), (std::vector<std::string>{"..", "apps", "Job", "lib"}));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(list.setPath(dir.File("file.txt")));
    EXPECT_FALSE(list.setPath(dir.File("missing")));
    EXPECT_EQ(list.path(), dir.path());

    list.show();
    list.setCurrentRow(2);
    QTest::keyClick(list.viewport(), Qt::Key_Return);
    EXPECT_EQ(list.path(), dir.File("Job"));
    EXPECT_EQ(Shown(list), (std::vector<std::string>{".."}));
    list.setCurrentRow(0);
    QTest::keyClick(list.viewport(), Qt::Key_Return);
    EXPECT_EQ(list.path(), dir.path());
    EXPECT_EQ(changes, 3);

    ASSERT_TRUE(list.setPath("/"));
    EXPECT_NE(Shown(list).front(), "..") << "the root has no parent";
}

TEST(DriveCombo, OffersTheRootAlone) {
    DriveCombo drives;
    ASSERT_EQ(drives.count(), 1);
    EXPECT_EQ(drives.drive(), "/");
    drives.setDrive("C:");
    EXPECT_EQ(drives.drive(), "/");
}

}  // namespace
}  // namespace tolvi::platform
