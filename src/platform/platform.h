// The one seam between Zelk and the operating system.
//
// Every OS service the library uses is one function here, stated in Windows terms:
// UTF-16 text, backslash paths, Win32 error codes (the values GetLastError gives; 0 is
// success) and the success/failure meaning of the Win32 call it stands for. The Windows
// backend (win32/) makes thin calls of the real API; the posix backend (posix/) emulates
// the same contract on Linux. Exactly one of the two is compiled.
//
// Contract for every function that returns a uint32_t error code: 0 means success, and
// an out argument is defined if and only if the call succeeded. No function here throws.
//
// Paths: inside the library paths keep the Windows form. The posix backend turns every
// "\" going to the OS into "/" and every "/" coming from the OS into "\"; a path written
// with slashes works as it is. The 260-character limit (MAX_PATH, terminator included)
// applies on both platforms where the Win32 call applies it.
//
// The functions do not take the names of the Win32 calls they stand for (DeleteFile,
// CopyFile, ...), because <windows.h> defines those names as macros.
#ifndef ZELK_PLATFORM_PLATFORM_H_
#define ZELK_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::platform {

// The platform's path limit, terminator included.
inline constexpr size_t kMaxPath = 260;

// Win32 error codes the library names. Others pass through as numbers.
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorInvalidData = 13;
inline constexpr uint32_t kErrorHandleDiskFull = 39;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorFilenameExcedRange = 206;
inline constexpr uint32_t kErrorMoreData = 234;

// File attribute bits (GetFileAttributesW / WIN32_FIND_DATAW).
inline constexpr uint32_t kAttributeReadOnly = 0x01;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeNormal = 0x80;
inline constexpr uint32_t kAttributeReparsePoint = 0x400;

// ---------------------------------------------------------------------------------------
// Host process
// ---------------------------------------------------------------------------------------

// Full path of the executable of the current process (GetModuleFileNameW with no module
// handle, at most kMaxPath - 1 characters). Empty when it cannot be had.
std::u16string HostExecutablePath();

// Replaces what HostExecutablePath returns, for tests that stand in for a host installed
// in a temporary folder. An empty path restores the real one. Never exported.
void SetHostExecutablePathForTesting(std::u16string path);

// ---------------------------------------------------------------------------------------
// Configuration services
// ---------------------------------------------------------------------------------------

// PathFileExistsW: true when a file or a folder of that name exists.
bool PathExists(std::u16string_view path);

// GetPrivateProfileStringW for one key: the value of `key` in `section` of the INI file
// at `ini_path`, or `default_value` when the file, section or key is missing. The result
// is cut to `capacity` - 1 characters, as the Win32 call cuts it into a buffer of
// `capacity` characters. Section and key names match without regard to ASCII case. The
// Linux reader's rules (blanks, quotes, duplicates, encodings) are listed in ini_text.h.
std::u16string ReadIniString(std::u16string_view section,
                             std::u16string_view key,
                             std::u16string_view default_value,
                             size_t capacity,
                             std::u16string_view ini_path);

enum class RegistryHive { kLocalMachine, kCurrentUser };

// Registry value types (REG_*).
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;  // the raw bytes, as RegQueryValueExW hands them back
};

// Opens `subkey` of `hive` for reading only (KEY_READ), queries the value `value_name`
// into a buffer of `capacity_bytes`, and closes the key. Returns 2 when the key or value
// does not exist, 234 (more data) when the value does not fit, 87 when `out` is null,
// else the Win32 error of the open or the query. `out` is defined only on success. On
// Linux the registry is the .reg file named by ZELK_REGISTRY (see reg_file.h), read
// afresh at each call outside a ConfigurationSnapshot; without a readable file every key
// is missing.
uint32_t QueryRegistryValue(RegistryHive hive,
                            std::u16string_view subkey,
                            std::u16string_view value_name,
                            size_t capacity_bytes,
                            RegistryValue* out);

// One settings load's view of the configuration. While one is alive on the calling
// thread, the Linux emulation reads each INI file and the .reg file at most once and
// answers every ReadIniString and QueryRegistryValue from what it read, with the same
// answers a fresh read would give of that content. On Windows it changes nothing: every
// read still asks GetPrivateProfileStringW and the registry. A snapshot made while another
// is alive shares the outer one. Never throws.
class ConfigurationSnapshot {
 public:
  ConfigurationSnapshot() noexcept;
  ~ConfigurationSnapshot();
  ConfigurationSnapshot(const ConfigurationSnapshot&) = delete;
  ConfigurationSnapshot& operator=(const ConfigurationSnapshot&) = delete;

 private:
  bool outermost_ = false;
};

// ExpandEnvironmentStringsW into a buffer of `capacity` characters: %NAME% references are
// replaced from the process environment (names in any case); a reference to a name that
// is not defined stays as written, both "%" included. Returns false (and leaves `out`
// alone) when the expansion fails, does not fit with its terminator, or `out` is null.
bool ExpandEnvironmentText(std::u16string_view text, size_t capacity, std::u16string* out);

// ---------------------------------------------------------------------------------------
// Code page of the host's narrow strings (CP_THREAD_ACP; UTF-8 on Linux)
// ---------------------------------------------------------------------------------------

// WideCharToMultiByte with no flags: a character the code page lacks becomes the code
// page's default character (on Linux an unpaired surrogate becomes "?").
std::string WideToAnsi(std::u16string_view text);

// MultiByteToWideChar: bytes that do not decode become U+FFFD.
std::u16string AnsiToWide(std::string_view text);

// Length in bytes of the longest prefix of `text` that is at most `max_bytes` long and
// does not end inside a multi-byte character of the code page.
size_t AnsiPrefixLength(std::string_view text, size_t max_bytes);

// ---------------------------------------------------------------------------------------
// Message boxes
// ---------------------------------------------------------------------------------------

enum class MessageBoxIcon { kNone, kExclamation };

// A modal message box with no owner window and an OK button (MessageBoxW). Returns once
// the user has closed it. On Linux it writes one line to standard error:
// "MessageBox: <caption>: <text>", CR written as \r and LF as \n (in the caption too).
void ShowMessageBox(std::u16string_view caption, std::u16string_view text, MessageBoxIcon icon);

// Receives every message box instead of the user while set; tests read what the user
// would have seen. An empty function restores the real boxes. Never exported.
using MessageBoxSink =
    std::function<void(std::u16string_view caption, std::u16string_view text, MessageBoxIcon icon)>;
void SetMessageBoxSinkForTesting(MessageBoxSink sink);

// ---------------------------------------------------------------------------------------
// Files and folders
// ---------------------------------------------------------------------------------------

// GetFileAttributesW.
uint32_t GetPathAttributes(std::u16string_view path, uint32_t* attributes);

struct DirectoryEntry {
  std::u16string name;  // the entry's own name, not its path
  uint32_t attributes = 0;
};

// FindFirstFileW / FindNextFileW / FindClose over a pattern whose last component is "*.*"
// or "*": every entry of the folder, "." and ".." first (except at a drive root), then
// the entries in the platform's order (on Linux: ordinal, case-insensitive name order, as
// NTFS lists them). A symbolic link or junction is listed with kAttributeReparsePoint, and
// with kAttributeDirectory when it stands for a folder; it is never followed. Returns 2 or
// 3 when nothing matches or the folder is missing.
uint32_t ListFolder(std::u16string_view pattern, std::vector<DirectoryEntry>* entries);

// CreateDirectoryW with no security attributes: 183 when the name is taken.
uint32_t CreateFolder(std::u16string_view path);

// RemoveDirectoryW: removes an empty folder, or a link that stands for a folder (the link
// itself, never its target). 145 when the folder is not empty.
uint32_t RemoveFolder(std::u16string_view path);

// DeleteFileW: removes a file, or a link that stands for a file (never its target).
uint32_t RemoveFile(std::u16string_view path);

// CopyFileW: 80 when `fail_if_exists` is set and the target exists.
uint32_t CopyFileTo(std::u16string_view source, std::u16string_view target, bool fail_if_exists);

// CreateFileW for generic read, read sharing, open-existing, then CloseHandle: 0 when the
// file could be opened.
uint32_t ProbeOpenForRead(std::u16string_view path);

// A regular file opened for reading while others may read but not write it. Move-only.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens `path`; a relative path resolves against the current folder. Only a regular
  // file opens: a folder, pipe, device or socket is refused with error 5 (access denied),
  // and opening never waits for a writer.
  uint32_t Open(std::u16string_view path);
  // Reads up to `size` bytes; `*read` is 0 at the end of the file.
  uint32_t Read(void* buffer, size_t size, size_t* read);
  // GetFileSizeEx: the file's size now, in bytes; `*size` is defined only on success. A
  // reader sizes its buffers by it once; the file may still change before it is read.
  uint32_t Size(uint64_t* size) const;
  // Closes the file; returns the error of the close.
  uint32_t Close();
  bool is_open() const { return handle_ != kInvalidHandle; }

 private:
  static constexpr intptr_t kInvalidHandle = -1;
  intptr_t handle_ = kInvalidHandle;
};

// SHGetFolderPathW for CSIDL_LOCAL_APPDATA (folder id 28, flag 0, no token). On Linux:
// LOCALAPPDATA when set and not empty, else XDG_DATA_HOME, else HOME + "/.local/share";
// failure when none is set.
uint32_t GetLocalAppDataFolder(std::u16string* out);

// PathAppendW: joins with exactly one backslash between the two. Returns false, leaving
// `path` unchanged, when the result would not fit kMaxPath characters with the terminator.
bool AppendPath(std::u16string* path, std::u16string_view more);

// ---------------------------------------------------------------------------------------
// Processes and system texts
// ---------------------------------------------------------------------------------------

// CreateProcessW with no application name, the command line as given (split by Windows'
// rules), no inherited handles, creation flags 0, the host's environment and current
// folder; the handles are closed at once. 0 when the process was started.
uint32_t StartProcess(std::u16string_view command_line);

// ExitProcess: flushes the standard streams and ends the process with `code`.
[[noreturn]] void EndProcess(uint32_t code);

// FormatMessageW from the system message table in the user's default language, with the
// line break the system puts at its end. Empty when the system has no text for `code`
// (on Linux every code gets a text: the English Windows text, or one naming the code).
std::u16string SystemErrorText(uint32_t code);

}  // namespace zelk::platform

#endif  // ZELK_PLATFORM_PLATFORM_H_
