// Reading a file the program keeps for itself (the remembered choices and
// notes beside the settings file) without trusting its size: such a file may
// be damaged, replaced by a foreign one or sparse and the size of a disk, and
// must then cost neither the time nor the memory to read it whole.
#pragma once

#include <cstddef>
#include <string>

#include "base/FileSystem.h"

namespace morvatex {

// The most a side file may hold; its writers stay far below it.
inline constexpr std::size_t kSideFileLimit = std::size_t{1} << 20;

// How a bounded read ended.
enum class BoundedRead {
  kRead,      // `contents` holds the whole file
  kTooLarge,  // the file holds more than the limit; not read whole
  kFailed,    // it could not be opened, read or closed, or memory ran out
};

// Reads all of `path` into `contents` unless the file holds more than
// `limit` bytes, by its size or by what reading it yields (a file growing
// meanwhile). `contents` is empty unless the result is kRead.
BoundedRead ReadFileAtMost(FileSystem& fs, const std::string& path, std::size_t limit, std::string& contents);

// Reads the side file at `path` for its loader: false (contents empty) for
// an empty path, a FIFO, a device or a socket (which may keep a reader
// waiting for ever), a file over `limit` and any failure of ReadFileAtMost,
// all of which the loaders take as a damaged file.
bool ReadSideFile(FileSystem& fs, const std::string& path, std::string& contents, std::size_t limit = kSideFileLimit);

}  // namespace morvatex
