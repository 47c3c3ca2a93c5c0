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

}  // namespace
}  // namespace bx
