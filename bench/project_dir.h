#pragma once
// A temporary project directory holding copies of the built resources, so a
// benchmark of the desktop front-end reads and writes no settings file
// beside the binary.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/startup.h"

inline std::string makeProjectDir() {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/bx_gui_bench_XXXXXX";
  if (!mkdtemp(pattern)) return {};
  for (const auto& e : fs::directory_iterator(bx::ExecutableDir())) {
    const auto ext = e.path().extension().string();
    if (ext == ".uir" || ext == ".lwl" || ext == ".ico" || ext == ".bmp")
      fs::copy_file(e.path(), fs::path(pattern) / e.path().filename());
  }
  return pattern;
}
