#pragma once
// Whole-file reading and writing for the files the operator owns.
#include <cstddef>
#include <string>
#include <string_view>

namespace bx {

// Writes bytes to a temporary file in the target's directory, flushes it to
// disk and renames it over path, so a reader sees either the old or the new
// file, never a part. On any failure the temporary file is removed, an
// existing file at path is left as it was, and the reason is put in *error.
// A symbolic link at path is followed: its target is replaced and the link
// stays. An existing file that is read-only (no write permission, or no
// write bit at all) is refused and left as it was.
bool writeFileAtomic(const std::string& path, std::string_view bytes, std::string* error);

// Reads a regular file of at most maxBytes bytes into out. False (out
// cleared, reason in *error) when it cannot be opened or read, is not a
// regular file, or is larger than maxBytes.
bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error);

}  // namespace bx
