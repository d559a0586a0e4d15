#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tolvi::test {
namespace {

using namespace platform;

TEST(Paths, JoinAndParts) {
    const struct {
        const char *dir, *name, *joined;
    } joins[] = {
        {"/a/b", "c.ini", "/a/b/c.ini"}, {"/a/b/", "c.ini", "/a/b/c.ini"}, {"/a/b", "/c.ini", "/a/b/c.ini"},
        {"/", "c.ini", "/c.ini"},        {"", "c.ini", "c.ini"},           {"rel", "x/y", "rel/x/y"},
    };
    for (const auto& j : joins) EXPECT_EQ(JoinPath(j.dir, j.name), j.joined) << j.dir << " + " << j.name;

    const struct {
        const char *path, *dir, *name;
    } parts[] = {
        {"/a/b/c.TPB", "/a/b", "c.TPB"},
        {"/c.TPB", "/", "c.TPB"},
        {"c.TPB", "", "c.TPB"},
        {"/a/b/", "/a/b", ""},
    };
    for (const auto& p : parts) {
        EXPECT_EQ(DirectoryPart(p.path), p.dir) << p.path;
        EXPECT_EQ(FileNamePart(p.path), p.name) << p.path;
    }

    for (const char* root : {"/", "//", "///"}) EXPECT_TRUE(IsRootPath(root)) << root;
    for (const char* other : {"", "/a", "a/", "c:", "C:\\"}) EXPECT_FALSE(IsRootPath(other)) << other;
}

TEST(Paths, StatTestsLeaveTheCurrentDirectory) {
    TempDir dir;
    const std::string file = dir.Write("f.txt", "x");
    std::filesystem::create_directory(dir.File("Sub"));
    const auto before = std::filesystem::current_path();

    EXPECT_TRUE(IsDirectory(dir.File("Sub")));
    EXPECT_TRUE(IsEnterableDirectory(dir.File("Sub")));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_TRUE(IsReadableRegularFile(file));
    EXPECT_FALSE(IsReadableRegularFile(dir.File("Sub")));
    EXPECT_FALSE(PathExists(dir.File("sub")));  // names are exact; only ResolveFixedName folds case
    EXPECT_FALSE(IsDirectory(""));

    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(Paths, FixedNamesResolveWithoutRegardToCase) {
    TempDir dir;
    dir.Write("tolvi32.ini", "");
    dir.Write("Exact.TXT", "");
    dir.Write("exact.txt", "");
    std::filesystem::create_directory(dir.File("Help"));
    dir.Write("Help/INDEX.htm", "");

    EXPECT_EQ(ResolveFixedName(dir.path(), "TOLVI32.INI"), dir.File("tolvi32.ini"));
    EXPECT_EQ(ResolveFixedName(dir.path(), "exact.txt"), dir.File("exact.txt"));  // exact match first
    EXPECT_EQ(ResolveFixedName(dir.path(), "help/index.HTM"), dir.File("Help/INDEX.htm"));
    EXPECT_EQ(ResolveFixedName(dir.path(), "QUVLOCAL32.TXT"), dir.File("QUVLOCAL32.TXT"));  // none: unchanged
}

TEST(Paths, ProgramDirectoryHoldsTheExecutable) {
    EXPECT_TRUE(IsDirectory(ProgramDirectory()));
    EXPECT_EQ(ProgramFileName(), "platform_tests");
    EXPECT_TRUE(PathExists(JoinPath(ProgramDirectory(), ProgramFileName())));
}

TEST(Paths, WriteFileAtomicallyReplacesAndKeepsMode) {
    TempDir dir;
    const std::string target = dir.Write("a.ini", "old");
    chmod(target.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, "new", &error)) << error;
    EXPECT_EQ(dir.Read("a.ini"), "new");
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    EXPECT_FALSE(WriteFileAtomically(dir.File("none/a.ini"), "x", &error));
    EXPECT_EQ(error, "Path not found");
}

}  // namespace
}  // namespace tolvi::test
