#include "profile/file_operation.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"
#include "profile/copy_name.h"

namespace zelk {
namespace {

// Fails the operation when `path` does not fit the platform's path limit, before any
// platform call sees it.
void RequireFits(const std::u16string& path) {
  if (path.size() >= platform::kMaxPath) {
    throw CFExeption(platform::kErrorFilenameExcedRange);
  }
}

int32_t CountBackslashes(std::u16string_view path) {
  return static_cast<int32_t>(std::count(path.begin(), path.end(), u'\\'));
}

bool IsDotEntry(const std::u16string& name) {
  return name == u"." || name == u"..";
}

bool IsTaken(const std::u16string& name) {
  return platform::ProbeOpenForRead(name) == 0;
}

}  // namespace

CFExeption::CFExeption(uint32_t code) : text_(SystemErrorDescription(code)), code_(code) {}

CFExeption::CFExeption(std::u16string text) : text_(std::move(text)) {}

int FileOperation::Copy(const std::u16string& source, const std::u16string& destination) {
  std::u16string failure_text;
  uint32_t failure_code = 0;
  try {
    if (IsParentFolder(source, destination)) {
      return 1;
    }
    RunOperation(source, destination);
    subfolderBudget = -1;
    return 1;
  } catch (const CFExeption& failure) {
    failure_code = failure.code();
    failure_text = failure.text();
  } catch (const std::bad_alloc&) {
    failure_code = platform::kErrorNotEnoughMemory;
  } catch (...) {
    failure_code = 31;  // ERROR_GEN_FAILURE
  }
  subfolderBudget = -1;
  errorCode = failure_code;
  errorText = std::move(failure_text);
  if (errorText.empty()) {
    try {
      errorText = SystemErrorDescription(failure_code);
    } catch (...) {
    }
  }
  return 0;
}

bool FileOperation::IsParentFolder(std::u16string_view source,
                                   std::u16string_view destination) const {
  const size_t last = source.rfind(u'\\');
  return last != std::u16string_view::npos && GetPathKind(source) == PathFolder &&
         EqualsIgnoringAsciiCase(source.substr(0, last), destination);
}

void FileOperation::SetSubfolderBudget(std::u16string_view source,
                                       std::u16string_view destination) {
  // Windows paths ignore A-Z case, so "c:\kiosk\x" lies inside "C:\Kiosk".
  if (FoldAscii(destination).find(FoldAscii(source)) != std::u16string::npos) {
    subfolderBudget = CountBackslashes(destination) - CountBackslashes(source);
  }
}

PathKind FileOperation::GetPathKind(std::u16string_view path) {
  if (path.size() >= platform::kMaxPath) {
    return PathUndetermined;
  }
  uint32_t attributes = 0;
  const uint32_t error = platform::GetPathAttributes(path, &attributes);
  if (error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound) {
    return PathMissing;
  }
  if (error != platform::kErrorSuccess) {
    return PathUndetermined;
  }
  return (attributes & platform::kAttributeDirectory) != 0 ? PathFolder : PathFile;
}

void FileOperation::RunOperation(const std::u16string& source, const std::u16string& destination) {
  SetSubfolderBudget(source, destination);
  RequireFits(source);
  RequireFits(destination);
  const PathKind from = GetPathKind(source);
  const PathKind to = GetPathKind(destination);
  if (from == PathMissing) {
    throw CFExeption(source + u" not found");
  }
  if (to == PathMissing) {
    throw CFExeption(destination + u" not found");
  }
  if (from == PathFolder && to == PathFile) {
    throw CFExeption(std::u16string(u"Wrong operation"));
  }
  if (from == PathFolder && to == PathFolder) {
    CopyFolderIntoFolder(source, destination);
  } else if (from == PathFile && to == PathFile) {
    CopyFileToFreeName(source, destination);
  } else if (from == PathFile && to == PathFolder) {
    const std::u16string target = AddTrailingBackslash(destination) + LastComponent(source);
    RequireFits(target);
    CopyFileToFreeName(source, target);
  }
  // Otherwise a path could not be examined: there is nothing safe to do.
}

void FileOperation::CopyFolderIntoFolder(const std::u16string& source,
                                         const std::u16string& destination) {
  const std::u16string pattern = AddTrailingBackslash(source) + u"*.*";
  RequireFits(pattern);
  std::vector<platform::DirectoryEntry> entries;
  // Every folder but a drive root lists at least "." and "..".
  if (platform::ListFolder(pattern, &entries) != platform::kErrorSuccess || entries.size() < 2) {
    throw CFExeption(source + u" not found");
  }
  std::u16string target = AddTrailingBackslash(destination);
  const std::u16string name = GetFolderName(pattern);
  if (!name.empty()) {
    target += name + u"\\";
    RequireFits(target);
    const uint32_t error = platform::CreateFolder(target);
    if (error != platform::kErrorSuccess && error != platform::kErrorAlreadyExists) {
      throw CFExeption(error);
    }
  }
  CopyFolderContents(pattern, target);
}

void FileOperation::CopyFolderContents(const std::u16string& pattern,
                                       const std::u16string& destination) {
  std::vector<platform::DirectoryEntry> entries;
  if (platform::ListFolder(pattern, &entries) != platform::kErrorSuccess) {
    return;  // nothing to copy here
  }
  const std::u16string folder = pattern.substr(0, pattern.rfind(u'\\') + 1);
  for (const platform::DirectoryEntry& entry : entries) {
    if (IsDotEntry(entry.name)) {
      continue;
    }
    if ((entry.attributes & platform::kAttributeDirectory) != 0) {
      CopySubfolder(folder, entry.name, destination);
    } else {
      CopyFileToFreeName(folder + entry.name, destination + entry.name);
    }
  }
}

void FileOperation::CopySubfolder(const std::u16string& folder,
                                  const std::u16string& name,
                                  const std::u16string& destination) {
  if (subfolderBudget == 0) {
    return;
  }
  const std::u16string target = destination + name + u"\\";
  const std::u16string pattern = folder + name + u"\\*.*";
  RequireFits(target);
  RequireFits(pattern);
  if (GetPathKind(target) == PathMissing) {
    if (const uint32_t error = platform::CreateFolder(target)) {
      throw CFExeption(error);
    }
  }
  // The budget counts descents over the whole operation, so it is not given back.
  if (subfolderBudget > 0) {
    --subfolderBudget;
  }
  CopyFolderContents(pattern, target);
}

void FileOperation::CopyFileToFreeName(const std::u16string& source, const std::u16string& target) {
  RequireFits(source);
  RequireFits(target);
  uint32_t error = platform::kErrorSuccess;
  if (overwrite) {
    error = platform::CopyFileTo(source, target, /*fail_if_exists=*/false);
  } else {
    std::u16string free_name;
    switch (FindFreeName(target, kMaxCopyNameAttempts, IsTaken, &free_name)) {
      case FreeNameOutcome::kFound:
        break;
      case FreeNameOutcome::kNameTooLong:
        throw CFExeption(platform::kErrorFilenameExcedRange);
      case FreeNameOutcome::kNoFreeName:
        throw CFExeption(u"No free name for a copy of " + target);
    }
    error = platform::CopyFileTo(source, free_name, /*fail_if_exists=*/true);
  }
  if (error != platform::kErrorSuccess) {
    throw CFExeption(error);
  }
}

}  // namespace zelk
