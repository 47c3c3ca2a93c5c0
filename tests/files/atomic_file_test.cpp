#include "files/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// Awkward things at an output path: each is refused with its reason before
// anything is written, and stays what it was. The character device is one
// made in the temporary folder (where the process may), so nothing real is
// ever at risk; the system's /dev/null is only asked about.
struct Awkward {
  const char* name;
  const char* reason;
  // Makes the thing at path; false when this process cannot.
  std::function<bool(const std::string& path)> make;
};

std::vector<Awkward> awkwardTargets() {
  return {
      {"fifo", "FIFO", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }},
      {"folder", "a folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0; }},
      {"device", "character device",
       [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }},
      {"socket", "socket",
       [](const std::string& p) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un a{};
         a.sun_family = AF_UNIX;
         if (fd < 0 || p.size() >= sizeof a.sun_path) return false;
         p.copy(a.sun_path, p.size());
         const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
         ::close(fd);
         return ok;
       }},
      {"link to a fifo", "FIFO",
       [](const std::string& p) {
         const std::string fifo = p + "-fifo";
         return ::mkfifo(fifo.c_str(), 0644) == 0 && ::symlink(fifo.c_str(), p.c_str()) == 0;
       }},
  };
}

mode_t kindAt(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

TEST(IniAtomicFile, OnlyARegularFileIsReplaced) {
  for (const Awkward& a : awkwardTargets()) {
    SCOPED_TRACE(a.name);
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("target");
    if (!a.make(path)) {
      ADD_FAILURE() << "cannot make " << a.name << " here";
      continue;
    }
    const mode_t before = kindAt(path);
    const size_t entries = entryCount(dir.path());
    std::string error;
    EXPECT_FALSE(checkOutputTarget(path, &error));
    EXPECT_NE(error.find(a.reason), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(writeFileAtomic(path, "bytes", &error));
    EXPECT_NE(error.find(a.reason), std::string::npos) << error;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    AtomicFile f;
    EXPECT_FALSE(f.open(path));
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(kindAt(path), before);
    EXPECT_EQ(entryCount(dir.path()), entries) << "no temporary file left";
  }
  // The system's own null device: refused on the check alone.
  std::string error;
  EXPECT_FALSE(checkOutputTarget("/dev/null", &error));
  EXPECT_NE(error.find("character device"), std::string::npos) << error;
  EXPECT_EQ(kindAt("/dev/null"), static_cast<mode_t>(S_IFCHR));
}

TEST(IniAtomicFile, ATargetThatTurnsIntoAFifoMeanwhileIsNotReplaced) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("out.tsv");
  AtomicFile f;
  ASSERT_TRUE(f.open(path)) << f.error();
  ASSERT_TRUE(f.write("rows\n"));
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  EXPECT_FALSE(f.commit());
  EXPECT_NE(f.error().find("FIFO"), std::string::npos) << f.error();
  EXPECT_EQ(kindAt(path), static_cast<mode_t>(S_IFIFO));
  EXPECT_EQ(entryCount(dir.path()), 1u);
}

TEST(IniAtomicFile, TheNewFileIsMadeExclusivelyAndLeavesPlantedNamesAlone) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("shot.pdf");
  const std::string victim = dir.file("victim");
  writeBytes(victim, "someone else's");
  // Links and files planted where a fixed temporary name would be.
  for (const char* planted : {"shot.pdf.part", "shot.pdf.tmp", "shot.pdf~"})
    std::filesystem::create_symlink(victim, dir.file(planted));
  writeBytes(dir.file("shot.pdf.partial"), "theirs");
  AtomicFile f;
  ASSERT_TRUE(f.open(path)) << f.error();
  // Beside the target, new, and not a link.
  EXPECT_EQ(f.tempPath().rfind(path, 0), 0u) << f.tempPath();
  EXPECT_EQ(kindAt(f.tempPath()), static_cast<mode_t>(S_IFREG));
  ASSERT_TRUE(f.write("%PDF"));
  ASSERT_TRUE(f.commit()) << f.error();
  EXPECT_EQ(readBytes(path), "%PDF");
  EXPECT_EQ(readBytes(victim), "someone else's");
  EXPECT_EQ(readBytes(dir.file("shot.pdf.partial")), "theirs");
  for (const char* planted : {"shot.pdf.part", "shot.pdf.tmp", "shot.pdf~"})
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file(planted))) << planted;
  // Two writers at once get two files.
  AtomicFile a, b;
  ASSERT_TRUE(a.open(path));
  ASSERT_TRUE(b.open(path));
  EXPECT_NE(a.tempPath(), b.tempPath());
  a.discard();
  b.discard();
  EXPECT_EQ(entryCount(dir.path()), 6u);
  // A name at the length limit still gets its new file beside it.
  const std::string longest = dir.file(std::string(255, 'n'));
  std::string error;
  EXPECT_TRUE(writeFileAtomic(longest, "x", &error)) << error;
  EXPECT_EQ(readBytes(longest), "x");
  EXPECT_EQ(entryCount(dir.path()), 7u);
}

TEST(IniAtomicFile, AFullDiskPartWayFailsTheFileOrKeepsWhatWasWhole) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.file("RECORD.DAT");
  writeBytes(path, "old recording");
  const std::string row(40, 'r');
  for (bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "keeping the whole rows" : "all or nothing");
    AtomicFile f;
    ASSERT_TRUE(f.open(path)) << f.error();
    ASSERT_TRUE(f.write(row));
    {
      FileSizeLimit limit(row.size() + row.size() / 2);
      ASSERT_TRUE(limit.ok());
      EXPECT_FALSE(f.write(row));
    }
    EXPECT_NE(f.error().find("File too large"), std::string::npos) << f.error();
    // Nothing more is taken after a failed write.
    EXPECT_FALSE(f.write("x"));
    EXPECT_EQ(f.commit(keep), keep);
    EXPECT_EQ(readBytes(path), keep ? row : "old recording");
    EXPECT_EQ(entryCount(dir.path()), 1u);
  }
}

TEST(IniAtomicFile, InputFilesAreRefusedUnlessRegularWithoutWaiting) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string fifo = dir.file("calib.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_directory(dir.file("folder.ini"));
  std::filesystem::create_symlink(fifo, dir.file("link.dat"));
  const auto start = std::chrono::steady_clock::now();
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {{fifo, "FIFO"},
               {dir.file("link.dat"), "FIFO"},
               {dir.file("folder.ini"), "is a folder"},
               {"/dev/zero", "character device"},
               {dir.file("missing.ini"), "No such file"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error, out = "stale";
    EXPECT_EQ(openRegularFile(c.path, &error), -1);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(readWholeFile(c.path, out, 1 << 20, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(out.empty());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  // A regular file reads as usual, in blocking mode.
  writeBytes(dir.file("ok.ini"), "[A]\r\n");
  std::string error;
  const int fd = openRegularFile(dir.file("ok.ini"), &error);
  ASSERT_GE(fd, 0) << error;
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  ::close(fd);
}

}  // namespace
}  // namespace bx
