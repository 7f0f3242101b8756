// The registry of the Windows build: regedit imports each corpus file below a key of the
// test's own (HKCU\Software\ZelkTest\<test name>, so that tests may run side by side),
// and what it stored must be exactly what RegFile reads from the same file;
// QueryRegistryValue then reads it back through the real API.
#ifdef _WIN32

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/text.h"
#include "gtest/gtest.h"
#include "platform/emulation/reg_file.h"
#include "platform/platform.h"
#include "tests/platform/reg_corpus.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::Utf8;

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// Every key below `path` of HKEY_CURRENT_USER, by path folded to lower case, with its
// values by folded name.
using Tree = std::map<std::u16string, std::map<std::u16string, RegistryValue>>;

void ReadTree(const std::u16string& path, Tree* tree) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  auto& values = (*tree)[FoldAscii(path)];
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD name_length = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, i, name, &name_length, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    RegistryValue& value = values[FoldAscii(FromWide(name, name_length))];
    value.type = type;
    value.data.resize(size + 1);
    name_length = 16384;
    RegEnumValueW(key, i, name, &name_length, nullptr, &type, value.data.data(), &size);
    value.data.resize(size);
  }
  std::vector<std::u16string> children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD name_length = 256;
    if (RegEnumKeyExW(key, i, name, &name_length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.push_back(path + u"\\" + FromWide(name, name_length));
  }
  RegCloseKey(key);
  for (const std::u16string& child : children) {
    ReadTree(child, tree);
  }
}

// Runs "regedit /S file" and waits for it.
bool Import(const std::u16string& file) {
  std::u16string command = u"regedit.exe /S \"" + file + u"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(command.data()), nullptr, nullptr, FALSE,
                      0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  const bool finished = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return finished;
}

class RegistryWindowsTest : public ::testing::Test {
 protected:
  RegistryWindowsTest()
      : root_(u"Software\\ZelkTest\\" +
              FromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    RemoveRoot();
  }
  ~RegistryWindowsTest() override {
    RemoveRoot();
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZelkTest");  // only once it is empty
  }

  void RemoveRoot() { RegDeleteTreeW(HKEY_CURRENT_USER, Wide(root_)); }

  // Imports one corpus file below the test's key, in a key named after the file; returns
  // what RegFile reads from the same bytes.
  RegFile ImportCorpusFile(const testing::RegCorpusFile& file) {
    const std::string root = "HKEY_CURRENT_USER\\" + ToUtf8(root_) + "\\" + file.name;
    const std::string bytes = testing::RegCorpusBytes(file, root);
    const auto path = folder_.path() / (std::string(file.name) + ".reg");
    testing::WriteFile(path, bytes);
    EXPECT_TRUE(Import(testing::ToWinPath(path)));
    return RegFile::Parse(bytes);
  }

  const std::u16string root_;
  testing::TempFolder folder_;
};

TEST_F(RegistryWindowsTest, RegFileReadsTheCorpusAsRegeditImportsIt) {
  for (const testing::RegCorpusFile& file : testing::RegCorpus()) {
    SCOPED_TRACE(file.name);
    const RegFile parsed = ImportCorpusFile(file);
    Tree imported;
    ReadTree(root_, &imported);
    const std::u16string prefix = FoldAscii(u"hkcu\\" + root_ + u"\\");
    // Everything regedit stored is in RegFile, with the same type and bytes.
    for (const auto& [path, values] : imported) {
      SCOPED_TRACE(Utf8(path));
      EXPECT_TRUE(parsed.HasKey(RegistryHive::kCurrentUser, path));
      for (const auto& [name, value] : values) {
        SCOPED_TRACE(Utf8(name));
        const RegistryValue* mine = parsed.FindValue(RegistryHive::kCurrentUser, path, name);
        ASSERT_NE(nullptr, mine);
        EXPECT_EQ(value.type, mine->type);
        EXPECT_EQ(value.data, mine->data);
      }
    }
    // Everything RegFile holds below the test key was stored by regedit.
    for (const auto& [folded, key] : parsed.keys()) {
      SCOPED_TRACE(Utf8(folded));
      ASSERT_EQ(0u, folded.compare(0, prefix.size(), prefix));
      const auto found = imported.find(folded.substr(5));
      ASSERT_NE(imported.end(), found);
      for (const auto& [name, value] : key.values) {
        EXPECT_EQ(1u, found->second.count(name)) << Utf8(name);
      }
    }
    RemoveRoot();
  }
}

TEST_F(RegistryWindowsTest, QueryRegistryValueReadsWhatRegeditStored) {
  const testing::RegCorpusFile& types = testing::RegCorpus().front();
  ASSERT_EQ(std::string("types"), types.name);
  const RegFile parsed = ImportCorpusFile(types);
  const std::u16string key = root_ + u"\\types\\Types";
  for (const auto& [name, value] : parsed.keys().at(FoldAscii(u"hkcu\\" + key)).values) {
    SCOPED_TRACE(Utf8(value.name));
    RegistryValue read;
    ASSERT_EQ(kErrorSuccess, QueryRegistryValue(RegistryHive::kCurrentUser, key, value.name,
                                                value.value.data.size(), &read));
    EXPECT_EQ(value.value.type, read.type);
    EXPECT_EQ(value.value.data, read.data);
    if (!value.value.data.empty()) {
      read.type = 0xEEEE;
      read.data = {0xEE};
      EXPECT_EQ(kErrorMoreData, QueryRegistryValue(RegistryHive::kCurrentUser, key, value.name,
                                                   value.value.data.size() - 1, &read));
      EXPECT_EQ(0xEEEEu, read.type);
      EXPECT_EQ(std::vector<uint8_t>{0xEE}, read.data);
    }
  }
  RegistryValue untouched;
  EXPECT_EQ(kErrorFileNotFound,
            QueryRegistryValue(RegistryHive::kCurrentUser, key, u"Missing", 2048, &untouched));
  EXPECT_EQ(kErrorFileNotFound, QueryRegistryValue(RegistryHive::kCurrentUser, key + u"\\Missing",
                                                   u"Sz", 2048, &untouched));
  EXPECT_TRUE(untouched.data.empty());
  EXPECT_EQ(kErrorInvalidParameter,
            QueryRegistryValue(RegistryHive::kCurrentUser, key, u"Sz", 2048, nullptr));
}

}  // namespace
}  // namespace zelk::platform

#endif  // _WIN32
