// The Windows calls behind RealFileSystem (base/NativeFiles.h): the wide
// counterparts of the POSIX calls in the C library, and the Windows API where
// that library falls short. Paths are UTF-16 on the system's side.
#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>
// windows.h makes CreateFile a macro for CreateFileA; here it would rename
// FileSystem::CreateFile in this file alone.
#undef CreateFile

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/NativeFiles.h"

namespace morvatex::os {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// `native` without the separators at its end, which the C library's stat
// refuses (to it "C:\cnc\" is missing, "C:\cnc" a folder); kept where they
// belong to a root: a drive ("C:\"), a share ("\\server\share\") or "\".
NativeString StatForm(const NativeString& native) {
  std::size_t end = native.size();
  while (end > 1 && IsSeparator(native[end - 1])) --end;
  if (end == native.size() || native[end - 1] == L':') return native;
  if (end == 1 && IsSeparator(native[0])) return native;
  // "\\server\share" is the root of a share: at most one separator after
  // the two that open it.
  if (native.size() > 2 && IsSeparator(native[0]) && IsSeparator(native[1])) {
    int inner = 0;
    for (std::size_t i = 2; i < end; ++i) inner += IsSeparator(native[i]) ? 1 : 0;
    if (inner <= 1) return native;
  }
  return native.substr(0, end);
}

// The devices Windows finds under these names in every folder ("NUL", "CON",
// "COM1"), and the paths of its device namespace ("\\.\pipe\name"), except a
// drive's files written so ("\\.\C:\name"). The C library's stat does not tell
// them; reading one may wait for ever.
bool NamesADevice(const NativeString& native) {
  if (native.size() >= 4 && IsSeparator(native[0]) && IsSeparator(native[1]) && native[2] == L'.' &&
      IsSeparator(native[3])) {
    const bool driveFile = native.size() >= 7 && native[5] == L':' && IsSeparator(native[6]);
    return !driveFile;
  }
  const std::size_t separator = native.find_last_of(L"\\/:");
  NativeString name = native.substr(separator == NativeString::npos ? 0 : separator + 1);
  for (wchar_t& c : name) c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" || name == L"CONOUT$")
    return true;
  return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) && name[3] >= L'1' &&
         name[3] <= L'9';
}

}  // namespace

NativeString ToNative(const std::string& path) {
  const std::u16string wide = Cp1252ToUtf16(path);
  return NativeString(wide.begin(), wide.end());
}
std::filesystem::path FsPath(const std::string& path) { return std::filesystem::path(Cp1252ToUtf16(path)); }

int OpenNative(const NativeString& p, int flags, int mode) {
  return ::_wopen(p.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
}
int CloseNative(int fd) { return ::_close(fd); }
long long ReadNative(int fd, char* b, std::size_t n) {
  return ::_read(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
long long WriteNative(int fd, const char* b, std::size_t n) {
  return ::_write(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
bool SeekNative(int fd, std::uint64_t offset) { return ::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) >= 0; }
bool SyncNative(int fd) { return ::_commit(fd) == 0; }
int UnlinkNative(const NativeString& p) { return ::_wunlink(p.c_str()); }
const int kCreateMode = _S_IREAD | _S_IWRITE;

int RenameNative(const std::string& from, const std::string& to) {
  // Windows refuses to replace a file that someone holds open for a moment
  // (another writer's rename in progress, a virus scanner, the indexer);
  // such a refusal is tried again for up to a second.
  const NativeString source = ToNative(from), target = ToNative(to);
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
    const DWORD error = ::GetLastError();
    const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (busy && attempt < 50) {
      ::Sleep(20);
      continue;
    }
    switch (error) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND: return ENOENT;
      case ERROR_NOT_SAME_DEVICE: return EXDEV;
      case ERROR_DISK_FULL: return ENOSPC;
      default: return busy ? EACCES : EIO;
    }
  }
}

// Only a pipe is waited for, until it holds data or has lost its writer: a
// read from an empty pipe waits where no Ctrl-C reaches it. Other devices are
// read at once.
bool WaitReadable(int fd, GiveUpWaiting giveUp) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (::GetFileType(handle) != FILE_TYPE_PIPE) return !giveUp();
  for (;;) {
    if (giveUp()) return false;
    DWORD available = 0;
    if (!::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) || available > 0) {
      return true;  // the read tells what it is
    }
    ::Sleep(100);
  }
}

bool PrepareReading(const NativeString& native, bool waitingCanEnd, int& /*flags*/, bool& waitFirst) {
  const FileKind kind = KindOf(native);
  if (kind == FileKind::kFolder) return false;
  // A pipe waits for data; each read waits in WaitReadable instead, which a
  // stop request can always end.
  waitFirst = waitingCanEnd && kind == FileKind::kOther;
  return true;
}

FileKind KindOf(const NativeString& native) {
  if (NamesADevice(native)) return FileKind::kOther;
  struct _stat64 st;
  const NativeString statForm = StatForm(native);
  if (::_wstat64(statForm.c_str(), &st) != 0) return FileKind::kMissing;
  if (st.st_mode & _S_IFDIR) return FileKind::kFolder;
  if (statForm.size() != native.size()) return FileKind::kMissing;  // "file\" names no file, as on POSIX
  return (st.st_mode & _S_IFREG) ? FileKind::kRegular : FileKind::kOther;
}

FileKind KindOf(const NativeString& native, bool& isLink) {
  isLink = false;
  return KindOf(native);
}

std::size_t NameStart(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\:");
  return separator == std::string::npos ? 0 : separator + 1;
}

// The system counts UTF-16 units, one per Windows-1252 byte.
std::size_t NativeLength(std::string_view name) { return name.size(); }

// Nothing is taken over: the new file has what Windows gives a new file in
// its folder.
void TakeOverMode(int /*fd*/, const NativeString& /*replaced*/, bool /*keepWritable*/) {}

FileIdentity IdentityOf(const NativeString& native) {
  FileIdentity identity;
  if (NamesADevice(native)) {
    // Opening a pipe to ask would take the place of its reader; a device is
    // told by its name ("C:\x\NUL" is NUL), a path in the device namespace
    // by the whole path, in any case.
    const bool deviceNamespace = native.size() >= 2 && IsSeparator(native[0]) && IsSeparator(native[1]);
    const NativeString name = deviceNamespace ? native : native.substr(native.find_last_of(L"\\/:") + 1);
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (wchar_t c : name) {
      hash ^= static_cast<std::uint64_t>(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c);
      hash *= 1099511628211u;
    }
    return {true, ~std::uint64_t{0}, hash};
  }
  // Folders open only with backup semantics; no access right is asked for.
  const HANDLE file = ::CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file, &info)) {
    identity = {true, info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  }
  ::CloseHandle(file);
  return identity;
}

bool FolderWritable(const NativeString& native) {
  // _waccess looks only at the read-only attribute, which Windows ignores on
  // folders, so a folder in "Program Files" would pass. Creating a file there
  // is what the system itself decides: the process's rights, a write-protected
  // medium. The file is hidden and gone when its handle closes.
  if (KindOf(native) != FileKind::kFolder) return false;
  const bool endsOpen = IsSeparator(native.back()) || native.back() == L':';
  const NativeString prefix = native + (endsOpen ? L"" : L"\\") + L".morvatex-probe-";
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string ending = RandomEnding();
    const HANDLE probe = ::CreateFileW(
        (prefix + NativeString(ending.begin(), ending.end())).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      ::CloseHandle(probe);
      return true;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

}  // namespace morvatex::os
