#include "config/readers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/config_source.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

using platform::RegistryHive;
using testing::ScopedRegistry;
using testing::Utf8;

using ReadersTest = testing::ConfiguredHostTest;

// One value per level; std::nullopt leaves the level without the key.
struct PrecedenceCase {
  const char* name;
  std::optional<const char*> ini;
  std::optional<const char16_t*> hklm;
  std::optional<const char16_t*> hkcu;
  const char16_t* default_value;
  const char16_t* expected;
};

const PrecedenceCase kStringPrecedence[] = {
    {"absent everywhere gives the default", {}, {}, {}, u"dflt", u"dflt"},
    {"ini value", "from ini", {}, {}, u"dflt", u"from ini"},
    {"ini TRUE brings back the default", "TRUE", {}, {}, u"dflt", u"dflt"},
    {"ini true in any case", "tRuE", {}, {}, u"dflt", u"dflt"},
    {"ini FALSE gives empty", "False", {}, {}, u"dflt", u""},
    {"ini empty value is empty, not the default", "", {}, {}, u"dflt", u""},
    {"hklm beats ini", "from ini", u"from hklm", {}, u"dflt", u"from hklm"},
    {"hkcu beats hklm and ini", "from ini", u"from hklm", u"from hkcu", u"dflt", u"from hkcu"},
    {"hkcu TRUE brings back the default over everything", "from ini", u"from hklm", u"TRUE",
     u"dflt", u"dflt"},
    {"hklm FALSE empties an ini value", "from ini", u"false", {}, u"dflt", u""},
    {"registry alone", {}, {}, u"only hkcu", u"dflt", u"only hkcu"},
    {"an empty registry string is taken", "from ini", u"", {}, u"dflt", u""},
};

TEST_F(ReadersTest, StringLevelsOverrideInOrder) {
  for (const PrecedenceCase& c : kStringPrecedence) {
    SCOPED_TRACE(c.name);
    ScopedRegistry registry;
    Configure(c.ini ? std::string("[Browser]\nTitle=") + *c.ini + "\n" : "[Other]\n");
    if (c.hklm) {
      registry.SetString(RegistryHive::kLocalMachine, u"Browser", u"Title", *c.hklm);
    }
    if (c.hkcu) {
      registry.SetString(RegistryHive::kCurrentUser, u"Browser", u"Title", *c.hkcu);
    }
    EXPECT_EQ(Utf8(c.expected), Utf8(ReadString(source_, u"Browser", u"Title", c.default_value)));
  }
}

struct BoolCase {
  const char* ini_line;  // nullptr: the key is absent
  int default_value;
  int expected;
};

const BoolCase kBoolWords[] = {
    {"Flag=TRUE", 0, 1},   {"Flag=true", 0, 1},  {"Flag=True", 0, 1}, {"Flag=FALSE", 1, 0},
    {"Flag=1", 1, 0},      {"Flag=yes", 1, 0},   {"Flag=on", 1, 0},   {"Flag=", 1, 0},
    {"Flag= TRUE ", 0, 1}, {"Flag=TRUEx", 0, 0}, {nullptr, 1, 1},     {nullptr, 0, 0},
    {"flag=TRUE", 0, 1},   {"FLAG=TRUE", 0, 1},
};

TEST_F(ReadersTest, BooleanIsTrueOnlyForTheWordTrue) {
  for (const BoolCase& c : kBoolWords) {
    SCOPED_TRACE(c.ini_line ? c.ini_line : "(absent)");
    Configure(std::string("[browser]\n") + (c.ini_line ? c.ini_line : "") + "\n");
    EXPECT_EQ(c.expected, ReadBool(source_, u"Browser", u"Flag", c.default_value));
  }
}

TEST_F(ReadersTest, BooleanRegistryLevelsOverrideInOrder) {
  Configure("[Browser]\nFlag=TRUE\n");
  EXPECT_EQ(1, ReadBool(source_, u"Browser", u"Flag", 0));
  registry_.SetString(RegistryHive::kLocalMachine, u"Browser", u"Flag", u"no");
  EXPECT_EQ(0, ReadBool(source_, u"Browser", u"Flag", 1));
  registry_.SetString(RegistryHive::kCurrentUser, u"Browser", u"Flag", u"true");
  EXPECT_EQ(1, ReadBool(source_, u"Browser", u"Flag", 0));
}

struct UnusableValue {
  const char* name;
  uint32_t type;
  std::vector<uint8_t> bytes;
};

TEST_F(ReadersTest, UnusableRegistryValuesAreIgnored) {
  const UnusableValue kValues[] = {
      {"REG_DWORD 1", platform::kRegDword, {1, 0, 0, 0}},
      {"REG_BINARY of TRUE", platform::kRegBinary, {'T', 0, 'R', 0, 'U', 0, 'E', 0, 0, 0}},
      {"REG_MULTI_SZ", platform::kRegMultiSz, {'T', 0, 'R', 0, 'U', 0, 'E', 0, 0, 0, 0, 0}},
      {"odd length", platform::kRegSz, {'T', 0, 'R', 0, 'U', 0, 'E', 0, 0}},
      {"unterminated", platform::kRegSz, {'T', 0, 'R', 0, 'U', 0, 'E', 0}},
      // 1024 characters and the terminator: one too many
      {"longer than 1023 characters", platform::kRegSz,
       testing::RegSzBytes(std::u16string(1024, u'x'))},
  };
  Configure("[Browser]\nFlag=FALSE\nTitle=from ini\n");
  for (const UnusableValue& v : kValues) {
    SCOPED_TRACE(v.name);
    ScopedRegistry registry;
    registry.SetRaw(RegistryHive::kCurrentUser, u"Browser", u"Flag", v.type, v.bytes);
    registry.SetRaw(RegistryHive::kLocalMachine, u"Browser", u"Title", v.type, v.bytes);
    EXPECT_EQ(0, ReadBool(source_, u"Browser", u"Flag", 1));
    EXPECT_EQ("from ini", Utf8(ReadString(source_, u"Browser", u"Title", u"")));
  }
}

// The longest accepted text, and an expandable string taken without expansion.
TEST_F(ReadersTest, UsableRegistryTextIsTakenAsItIs) {
  Configure("[Browser]\n");
  const std::pair<std::u16string, uint32_t> values[] = {
      {std::u16string(1023, u'y'), platform::kRegSz}, {u"%PATH%", platform::kRegExpandSz}};
  for (const auto& [text, type] : values) {
    registry_.SetString(RegistryHive::kCurrentUser, u"Browser", u"Title", text, type);
    EXPECT_EQ(Utf8(text), Utf8(ReadString(source_, u"Browser", u"Title", u"")));
  }
}

TEST_F(ReadersTest, OriginNamesTheLevelThatDecided) {
  Configure("[Browser]\nTitle=ini\nFlag=TRUE\n");
  EXPECT_EQ(ValueOrigin::kDefault, ReadStringWithOrigin(source_, u"Browser", u"Other", u"").origin);
  EXPECT_EQ(ValueOrigin::kIniFile, ReadStringWithOrigin(source_, u"Browser", u"Title", u"").origin);
  EXPECT_EQ(ValueOrigin::kIniFile, ReadBoolWithOrigin(source_, u"Browser", u"Flag", 0).origin);
  registry_.SetString(RegistryHive::kLocalMachine, u"Browser", u"Title", u"m");
  EXPECT_EQ(ValueOrigin::kLocalMachine,
            ReadStringWithOrigin(source_, u"Browser", u"Title", u"").origin);
  registry_.SetString(RegistryHive::kCurrentUser, u"Browser", u"Flag", u"FALSE");
  const BoolReading flag = ReadBoolWithOrigin(source_, u"Browser", u"Flag", 1);
  EXPECT_EQ(ValueOrigin::kCurrentUser, flag.origin);
  EXPECT_EQ(0, flag.value);
}

TEST_F(ReadersTest, MissingIniFileIsReportedOnceNamingThePath) {
  ConfigSource quiet;  // the lookup of a reader that reports it its own way
  EXPECT_EQ(0, FindConfiguration(quiet));
  EXPECT_EQ(host_.IniPath(), quiet.ini_path);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(0, LocateConfiguration(source_));
  ASSERT_EQ(1u, boxes_.boxes().size());
  EXPECT_EQ(
      Utf8(u"ERROR:\n\nThe INI file " + host_.IniPath() + u" was not found.\n\nNot loading Zelk."),
      Utf8(boxes_.boxes()[0].text));
  EXPECT_EQ(Utf8(host_.ExecutablePath()), Utf8(boxes_.boxes()[0].caption));
  EXPECT_EQ(platform::MessageBoxIcon::kExclamation, boxes_.boxes()[0].icon);
  EXPECT_EQ(host_.IniPath(), source_.ini_path);
  // The readers go on with the registry and the defaults.
  EXPECT_EQ(1, ReadBool(source_, u"Browser", u"Flag", 1));
  registry_.SetString(RegistryHive::kCurrentUser, u"Browser", u"Flag", u"FALSE");
  EXPECT_EQ(0, ReadBool(source_, u"Browser", u"Flag", 1));
}

TEST_F(ReadersTest, FolderNamedZelkIniCountsAsPresent) {
  std::filesystem::create_directory(host_.folder().path() / "zelk.ini");
  EXPECT_EQ(1, LocateConfiguration(source_));
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(1, ReadBool(source_, u"Browser", u"Flag", 1));
  EXPECT_EQ("dflt", Utf8(ReadString(source_, u"Browser", u"Title", u"dflt")));
}

TEST_F(ReadersTest, OverlongIniValuesAreCutWithoutOverrun) {
  const std::string long_value(5000, 'v');
  Configure("[Browser]\nTitle=" + long_value + "\nFlag=TRUE" + std::string(300, ' ') + "x\n");
  EXPECT_EQ(std::u16string(2047, u'v'), ReadString(source_, u"Browser", u"Title", u""));
  EXPECT_EQ(0, ReadBool(source_, u"Browser", u"Flag", 1));
}

}  // namespace
}  // namespace zelk
