// Replays the inputs of a fuzz harness once each, without libFuzzer: the
// seed corpus and the inputs of mended findings become a regression test.
//
//   NAME_fuzz_replay DIR... [--optional DIR...]
//
// Every regular file of every DIR is fed to LLVMFuzzerTestOneInput, in name
// order. A DIR before --optional must exist and hold at least one file; one
// after it may be missing. A harness that finds a fault aborts the program.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// Number of inputs replayed from dir; -1 when dir cannot be listed.
long replayFolder(const fs::path& dir) {
  std::error_code ec;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec)) files.push_back(it->path());
  if (ec) return -1;
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return -1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  return static_cast<long>(files.size());
}

}  // namespace

int main(int argc, char** argv) {
  bool optional = false;
  long total = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--optional") {
      optional = true;
      continue;
    }
    if (optional && !fs::exists(arg)) continue;
    const long n = replayFolder(arg);
    if (n < 0 || (!optional && n == 0)) {
      std::fprintf(stderr, "%s: no inputs to replay\n", arg.c_str());
      return 1;
    }
    std::printf("%s: %ld inputs replayed\n", arg.c_str(), n);
    total += n;
  }
  if (total == 0) {
    std::fprintf(stderr, "usage: %s DIR... [--optional DIR...]\n", argv[0]);
    return 1;
  }
  return 0;
}
