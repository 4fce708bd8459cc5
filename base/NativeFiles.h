// The calls RealFileSystem makes of the operating system, in the system's own
// path form. RealFileSystem-posix.cpp and RealFileSystem-win32.cpp each
// define them for their platform; RealFileSystem.cpp builds FileSystem on
// them once for both. Only these files include this header.
//
// The functions that open, read, write, seek, sync, close and unlink follow
// the C library: a failure returns what it returns there (-1, or false for
// the ones that answer yes or no) and leaves the reason in errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/FileSystem.h"

namespace morvatex::os {

// A path as the system's calls take it. The shared part holds paths in this
// form, so it must know the type: the one place where the platforms differ
// outside their own files.
#ifdef _WIN32
using NativeString = std::wstring;
#else
using NativeString = std::string;
#endif

// The Windows-1252 `path` in the system's form; never fails.
NativeString ToNative(const std::string& path);

// The Windows-1252 `path` as a std::filesystem path; never fails.
std::filesystem::path FsPath(const std::string& path);

// Opens `path` with the O_ `flags` of <fcntl.h> and, with O_CREAT, `mode`
// for a new file. The descriptor is binary and not inherited by programs
// this process starts. Returns it, or -1.
int OpenNative(const NativeString& path, int flags, int mode = 0);

// Closes `fd`, which is not to be used again whatever the outcome; 0, or -1
// when closing failed.
int CloseNative(int fd);

// Reads at most `n` bytes, perhaps fewer than the file still holds. Returns
// how many, 0 at the end, or -1.
long long ReadNative(int fd, char* buffer, std::size_t n);

// Writes up to `n` bytes (perhaps fewer than asked). Returns how many were
// written, or -1.
long long WriteNative(int fd, const char* bytes, std::size_t n);

// Moves the position of `fd` to `offset` from the start; false on failure.
bool SeekNative(int fd, std::uint64_t offset);

// Makes what was written to `fd` durable on the device; false on failure.
bool SyncNative(int fd);

// Deletes the file `path`; 0, or -1.
int UnlinkNative(const NativeString& path);

// The permissions a file that OpenNative creates asks for: reading and
// writing (on POSIX for everyone, less what the umask takes away).
extern const int kCreateMode;

// Renames `from` over `to` in one step, replacing a file at `to`. Returns 0,
// or an errno value (never 0) that tells why it failed; then both stay as
// they were.
int RenameNative(const std::string& from, const std::string& to);

using GiveUpWaiting = bool (*)() noexcept;

// Waits until reading `fd` would not block, as far as the system can tell,
// asking `giveUp` first and then at least every tenth of a second. Returns
// false as soon as `giveUp` answers true, true once the read may go ahead
// (also when the wait itself failed: the read then tells what is wrong).
bool WaitReadable(int fd, GiveUpWaiting giveUp);

// How `path` is opened for reading: false when it names a folder, which is
// refused. Otherwise `flags` (O_RDONLY when called) gets what else the open
// needs, and `waitFirst` becomes true when each read is to wait in
// WaitReadable first. That is only so when `waitingCanEnd` (the reader can
// give up waiting) and the file is one whose open or reads may block.
bool PrepareReading(const NativeString& path, bool waitingCanEnd, int& flags, bool& waitFirst);

enum class FileKind { kMissing, kRegular, kFolder, kOther, kLinkLoop };

// What `path` names, links followed. kOther: anything that is neither a
// regular file nor a folder (a FIFO, a pipe, a device, a socket), which may
// make a reader wait for ever. kLinkLoop: links that lead round in a circle
// (never on Windows), which name no file and never will.
FileKind KindOf(const NativeString& path);

// The same, and in `isLink` whether `path` itself is a link (always false
// on Windows, where a link is followed like any other path).
FileKind KindOf(const NativeString& path, bool& isLink);

// Where the last name of the Windows-1252 `path` begins: after the last
// separator of the system, 0 when there is none.
std::size_t NameStart(const std::string& path);

// How long the Windows-1252 `name` is where the system counts the length of
// a name.
std::size_t NativeLength(std::string_view name);

// Gives the new file `fd`, which is to replace the file `replaced`, the
// permissions and, where this process may, the owner of that file, where
// the system keeps them for each file. Does nothing when `replaced` is not a
// regular file. `keepWritable`: the owner may write the new file in any case.
void TakeOverMode(int fd, const NativeString& replaced, bool keepWritable);

// The identity of the file `path` names, links followed; `exists` false
// when there is none or the system cannot tell.
FileIdentity IdentityOf(const NativeString& path);

// True when this process may create files in the folder `path` (never
// empty; "." for the current folder), as the system decides it.
bool FolderWritable(const NativeString& path);

// Six letters or digits that make a name nobody else is likely to use.
// Defined in RealFileSystem.cpp, for both platforms.
std::string RandomEnding();

}  // namespace morvatex::os
