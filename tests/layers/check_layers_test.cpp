// scripts/check-layers on this repository and on small trees that break
// the layers in each way it must catch.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/files/temp_dir.h"

namespace bx {
namespace {

using testing_files::TempDir;
using testing_files::readBytes;
using testing_files::writeBytes;

struct CheckResult {
  int exitCode = -1;
  std::string output;
};

CheckResult runCheck(const std::string& root) {
  const std::string cmd = "python3 '" BX_SOURCE_DIR "/scripts/check-layers' '" + root + "' 2>&1";
  CheckResult r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(CheckLayers, ThisRepositoryIsLayered) {
  CheckResult r = runCheck(BX_SOURCE_DIR);
  EXPECT_EQ(r.exitCode, 0) << r.output;
}

// Three layers, low <- mid <- top, plus the context aggregate.
class FakeTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.ok());
    folder("context", "none");
    folder("low", "none");
    folder("mid", "low, context");
    folder("top", "mid, low/api.h");
    file("context/context.h", "#pragma once\n#include \"low/state.h\"\n#include \"top/state.h\"\n");
    file("low/state.h", "#pragma once\n#include <cstdint>\n");
    file("low/api.h", "#pragma once\n");
    file("low/api.cpp", "#include \"low/api.h\"\n#include \"context/context.h\"\n#include \"top/state.h\"\n");
    file("mid/mid.cpp", "#include \"low/api.h\"\n#include <vector>\n");
    file("top/state.h", "#pragma once\n");
    file("top/top.h", "#pragma once\n");
    file("top/top.cpp", "#include \"top/top.h\"\n#include \"mid/mid.h\"\n#include \"low/api.h\"\n");
  }
  void folder(const std::string& name, const std::string& mayInclude) {
    std::filesystem::create_directories(dir.file("src/" + name));
    file(name + "/README.md", "# " + name + "/\nWhat it owns.\n\nMay include: " + mayInclude + "\n");
  }
  void file(const std::string& rel, const std::string& text) { writeBytes(dir.file("src/" + rel), text); }
  CheckResult check() { return runCheck(dir.path()); }

  TempDir dir;
};

TEST_F(FakeTree, DownwardIncludesStateHeadersAndTheAggregatePass) {
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 0) << r.output;
}

TEST_F(FakeTree, BackIncludeFailsNamingFileLineAndHeader) {
  file("low/api.cpp", "#include \"low/api.h\"\n\n#include \"top/top.h\"\n");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("src/low/api.cpp:3: #include \"top/top.h\""), std::string::npos) << r.output;
}

TEST_F(FakeTree, OnlyTheListedHeaderOfAFolderMayBeIncluded) {
  file("low/other.h", "#pragma once\n");
  file("top/top.cpp", "#include \"low/api.h\"\n#include \"low/other.h\"\n");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("src/top/top.cpp:2"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("src/top/top.cpp:1"), std::string::npos) << r.output;
}

TEST_F(FakeTree, DeclaredCycleFailsEvenWithoutAnInclude) {
  folder("low", "top");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("folder cycle:"), std::string::npos) << r.output;
}

TEST_F(FakeTree, StateHeaderThatReachesAboveTheContextFails) {
  // top/ may include mid/, but its state header is included from below.
  file("top/state.h", "#pragma once\n#include \"mid/mid.h\"\n");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("src/top/state.h:2"), std::string::npos) << r.output;

  // Likewise through a header of its own folder that the state pulls in.
  file("top/state.h", "#pragma once\n#include \"top/layout.h\"\n");
  file("top/layout.h", "#pragma once\n#include \"mid/mid.h\"\n");
  r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("src/top/layout.h:2"), std::string::npos) << r.output;
}

TEST_F(FakeTree, FolderWithoutItsIncludeListFails) {
  file("mid/README.md", "# mid/\nMay include everything it likes.\n");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("src/mid/README.md"), std::string::npos) << r.output;
}

TEST_F(FakeTree, UnknownFolderInTheListFails) {
  folder("mid", "low, nowhere");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("\"nowhere\" names no folder"), std::string::npos) << r.output;
}

// The bottom folder includes nothing of another folder, not even the
// headers free to everyone, and says so; the simulator beside src/ takes
// only the bottom folder.
TEST_F(FakeTree, BottomFolderAndSimulatorIncludeOnlyWhatTheyMay) {
  folder("wire", "none");
  file("wire/crc.h", "#pragma once\n#include <cstdint>\n");
  file("wire/crc.cpp", "#include \"wire/crc.h\"\n");
  folder("low", "wire");
  file("low/api.cpp", "#include \"low/api.h\"\n#include \"wire/crc.h\"\n");
  std::filesystem::create_directories(dir.file("sim"));
  writeBytes(dir.file("sim/sensor.cpp"), "#include \"sim/sensor.h\"\n#include \"wire/crc.h\"\n");
  CheckResult r = check();
  EXPECT_EQ(r.exitCode, 0) << r.output;

  struct Case {
    const char* where;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"src/wire/crc.cpp", "#include \"wire/crc.h\"\n#include \"context/context.h\"\n",
       "src/wire/crc.cpp:2: #include \"context/context.h\""},
      {"src/wire/crc.cpp", "#include \"wire/crc.h\"\n#include \"low/state.h\"\n", "src/wire/crc.cpp:2"},
      {"src/wire/README.md", "# wire/\nMay include: low\n", "\"May include: none\""},
      {"sim/sensor.cpp", "#include \"wire/crc.h\"\n#include \"low/api.h\"\n", "sim/sensor.cpp:2: #include \"low/api.h\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string path = dir.file(c.where);
    const std::string before = readBytes(path);
    writeBytes(path, c.text);
    r = check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find(c.expected), std::string::npos) << r.output;
    writeBytes(path, before);
  }
  EXPECT_EQ(check().exitCode, 0);
}

TEST_F(FakeTree, OperatingSystemTestsOnlyInThePlatformLayer) {
  folder("platform", "none");
  struct Case {
    const char* line;
    bool fails;
  };
  const Case cases[] = {
      {"#ifdef _WIN32", true},
      {"#if defined(__linux__) && X", true},
      {"  #  ifndef _MSC_VER", true},
      {"#elif defined(__APPLE__)", true},
      {"#if !defined(WIN32) /* old name */", true},
      {"#ifdef BX_CLI_PDF", false},
      {"#endif  // _WIN32", false},
      {"// #ifdef _WIN32 would be wrong here", false},
      {"#if BX_WINDOWS_LIKE /* _WIN32 */", false},
  };
  for (const Case& c : cases) {
    file("top/top.cpp", std::string("#include \"top/top.h\"\n\n") + c.line + "\n#endif\n");
    CheckResult r = check();
    if (c.fails) {
      EXPECT_EQ(r.exitCode, 1) << c.line;
      EXPECT_NE(r.output.find("src/top/top.cpp:3: tests the operating system"), std::string::npos) << c.line << r.output;
    } else {
      EXPECT_EQ(r.exitCode, 0) << c.line << r.output;
    }
    // The platform layer is where such tests belong.
    file("top/top.cpp", "#include \"top/top.h\"\n");
    file("platform/port.cpp", std::string(c.line) + "\n#endif\n");
    r = check();
    EXPECT_EQ(r.exitCode, 0) << c.line << r.output;
  }
}

}  // namespace
}  // namespace bx
