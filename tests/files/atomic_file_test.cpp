#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "temp_dir.h"
#include "tests/support/file_size_limit.h"

namespace bx {
namespace {

using testing_files::entryCount;
using testing_files::readBytes;
using testing_files::TempDir;
using testing_files::writeBytes;

using test::FileSizeLimit;

TEST(IniAtomicFile, ReplacesTheFileAndKeepsItsMode) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::string path = dir.file("a.ini");
  writeBytes(path, "old contents that are longer");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  std::string error;
  ASSERT_TRUE(writeFileAtomic(path, "new", &error)) << error;
  EXPECT_EQ(readBytes(path), "new");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(entryCount(dir.path()), 1u);

  std::string back;
  EXPECT_TRUE(readWholeFile(path, back, 3, &error));
  EXPECT_EQ(back, "new");
  EXPECT_FALSE(readWholeFile(path, back, 2, &error));  // over the cap
  EXPECT_TRUE(back.empty());
}

TEST(IniAtomicFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::string path = dir.file("a.ini");
  writeBytes(path, "old");
  std::string error;
  {
    FileSizeLimit limit(16);
    ASSERT_TRUE(limit.ok());
    EXPECT_FALSE(writeFileAtomic(path, std::string(4096, 'n'), &error));
  }
  EXPECT_NE(error.find("a.ini"), std::string::npos) << error;
  EXPECT_EQ(readBytes(path), "old");
  EXPECT_EQ(entryCount(dir.path()), 1u);

  // Target is a directory: the rename fails, the directory stays.
  std::filesystem::create_directory(dir.file("sub"));
  writeBytes(dir.file("sub/keep"), "k");
  error.clear();
  EXPECT_FALSE(writeFileAtomic(dir.file("sub"), "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(readBytes(dir.file("sub/keep")), "k");
  EXPECT_EQ(entryCount(dir.path()), 2u);

  EXPECT_FALSE(writeFileAtomic(dir.file("no/such/dir.ini"), "x", &error));
  EXPECT_FALSE(writeFileAtomic("", "x", &error));
}

TEST(IniAtomicFile, AReadOnlyFileIsRefusedAndStaysAsItWas) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("ro.ini");
  writeBytes(path, "user's values");
  // No write bit at all: refused even for a process that may write anything.
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  std::string error;
  EXPECT_FALSE(writeFileAtomic(path, "new", &error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_EQ(readBytes(path), "user's values");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(entryCount(dir.path()), 1u);

  // Writable again: replaced as usual.
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_TRUE(writeFileAtomic(path, "new", &error)) << error;
  EXPECT_EQ(readBytes(path), "new");
}

TEST(IniAtomicFile, ALinkIsSavedThroughToItsTargetAndStaysALink) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::filesystem::create_directory(dir.file("store"));
  const std::string target = dir.file("store/real.ini");
  writeBytes(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  // A relative link to a link: both are followed, both stay.
  std::filesystem::create_symlink("store/real.ini", dir.file("first.ini"));
  std::filesystem::create_symlink("first.ini", dir.file("link.ini"));
  std::string error;
  ASSERT_TRUE(writeFileAtomic(dir.file("link.ini"), "new", &error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("first.ini")));
  EXPECT_EQ(readBytes(target), "new");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(entryCount(dir.file("store")), 1u);  // no temporary left beside the target
  EXPECT_EQ(entryCount(dir.path()), 3u);

  // A link whose target does not exist yet creates it.
  std::filesystem::create_symlink(dir.file("store/later.ini"), dir.file("dangling.ini"));
  ASSERT_TRUE(writeFileAtomic(dir.file("dangling.ini"), "made", &error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.ini")));
  EXPECT_EQ(readBytes(dir.file("store/later.ini")), "made");

  // A read-only target behind a link is refused too.
  ASSERT_EQ(::chmod(target.c_str(), 0400), 0);
  EXPECT_FALSE(writeFileAtomic(dir.file("link.ini"), "other", &error));
  EXPECT_EQ(readBytes(target), "new");

  // A link loop is an error, not a hang.
  std::filesystem::create_symlink("loop-b.ini", dir.file("loop-a.ini"));
  std::filesystem::create_symlink("loop-a.ini", dir.file("loop-b.ini"));
  EXPECT_FALSE(writeFileAtomic(dir.file("loop-a.ini"), "x", &error));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("loop-a.ini")));
}

}  // namespace
}  // namespace bx
