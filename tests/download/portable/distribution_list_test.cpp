// Distribution-list parsing and the component-name rules.
#include "download/portable/distribution_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Entry {
  std::string name;
  long version;
  bool operator==(const Entry& o) const { return name == o.name && version == o.version; }
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
  return out << "{" << e.name << "," << e.version << "}";
}

std::vector<Entry> Parse(const std::string& text, DistributionList* list) {
  ParseDistributionText(text.c_str(), list);
  std::vector<Entry> entries;
  for (int i = 0; i < list->Count; ++i)
    entries.push_back({list->Entries[i].FileName, list->Entries[i].Version});
  return entries;
}

TEST(DistributionListTest, LinesBecomeEntries) {
  const std::string name259(259, 'a');
  const struct {
    const char* what;
    std::string text;
    std::vector<Entry> expected;
  } cases[] = {
      {"two CR LF lines", "KVMD.CAB,5\r\nKVMD.EX_,5\r\n", {{"KVMD.CAB", 5}, {"KVMD.EX_", 5}}},
      {"LF-only text is one entry cut at its first comma", "A.PRO,3\nB.PRO,4\n",
       {{"A.PRO", 3}}},
      {"no comma: version 0", "KVMD.PRO\r\n", {{"KVMD.PRO", 0}}},
      {"blanks before digits, text after", "X.DLL,  12abc\r\n", {{"X.DLL", 12}}},
      {"no digits", "X.DLL,v2", {{"X.DLL", 0}}},
      {"negative and saturated", "A,-3\rB,99999999999\r",
       {{"A", -3}, {"B", 2147483647L}}},
      {"runs of line ends and a leading one", "\r\n\nA,1\r\r\n\r\nB,2",
       {{"A", 1}, {"B", 2}}},
      {"sub-path kept whole", "bin/KVMD.PRO,7\r\n", {{"bin/KVMD.PRO", 7}}},
      {"259 characters fit", name259 + ",1\r\n", {}},  // 261 with the version: too long
      {"259-character name without version", name259 + "\r\n", {{name259, 0}}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DistributionList list;
    EXPECT_EQ(c.expected, Parse(c.text, &list));
  }
}

TEST(DistributionListTest, WhatDoesNotFitIsCountedNotCut) {
  DistributionList list;
  std::string text = std::string(260, 'L') + ",1\r\n";
  for (int i = 0; i < 33; ++i) text += "F" + std::to_string(i) + ",1\r\n";
  std::vector<Entry> entries = Parse(text, &list);
  ASSERT_EQ(32u, entries.size());
  EXPECT_EQ((Entry{"F0", 1}), entries.front());
  EXPECT_EQ((Entry{"F31", 1}), entries.back());
  EXPECT_EQ(1, list.LinesPastLimit);
  EXPECT_EQ(1, list.LongLines);
  EXPECT_EQ(std::string(63, 'L'), list.FirstLongLine);

  // A later list starts afresh.
  EXPECT_EQ((std::vector<Entry>{{"A", 2}}), Parse("A,2", &list));
  EXPECT_EQ(0, list.LinesPastLimit);
  EXPECT_EQ(0, list.LongLines);
}

TEST(DistributionListTest, NamePartsAndTheirUse) {
  const struct {
    const char* entry;
    const char* namePart;
    bool usable;
    bool cabinet;
  } cases[] = {
      {"KVMD.CAB", "KVMD.CAB", true, true},
      {"bin/KVMD.pro", "/KVMD.pro", true, false},
      {"a\\b/c\\Fonts.cAb", "\\Fonts.cAb", true, true},
      {"", "", false, false},
      {"dir/", "/", false, false},
      {".", ".", false, false},
      {"x/..", "/..", false, false},
      {"C:evil.exe", "C:evil.exe", false, false},
      {"ab", "ab", true, false},
      {"cab", "cab", true, true},
      {"CON", "CON", false, false},
      {"bin/nul.cab", "/nul.cab", false, true},
      {"COM10", "COM10", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    const char* part = ComponentNamePart(c.entry);
    EXPECT_STREQ(c.namePart, part);
    EXPECT_EQ(c.usable, IsUsableNamePart(part));
    EXPECT_EQ(c.cabinet, IsCabinetName(part));
  }
}

TEST(DistributionListTest, DisplayNames) {
  const struct {
    const char* entry;
    bool desktop;
    const char* expected;
  } cases[] = {
      {"KVMD.CAB", false, "Kvmd"},
      {"KVMD.CAB", true, "Kvmd.cab"},
      {"kv.font.ttf", false, "Kv.font"},
      {"README", false, "Readme"},
      {"bin/KVMD.PRO", false, "Bin/kvmd"},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    char out[260];
    FormatComponentDisplayName(c.entry, c.desktop, out, sizeof out);
    EXPECT_STREQ(c.expected, out) << c.entry << (c.desktop ? " desktop" : " web");
  }
  char small[4];
  FormatComponentDisplayName("KVMD.CAB", true, small, sizeof small);
  EXPECT_STREQ("Kvm", small);
}

TEST(DistributionListTest, CompressedNamesExpandByTheTable) {
  const struct {
    const char* name;
    CompressedName kind;
    const char* expected;
  } cases[] = {
      {"KVMD.EX_", kExpandedName, "KVMD.EXe"},  {"kvwhll.dl_", kExpandedName, "kvwhll.dll"},
      {"X.HL_", kExpandedName, "X.HLp"},        {"X.FO_", kExpandedName, "X.FOn"},
      {"X.ZM_", kExpandedName, "X.ZMd"},        {"X.za_", kExpandedName, "X.zad"},
      {"X.FT_", kExpandedName, "X.FTp"},        {"X.ZV_", kExpandedName, "X.ZVt"},
      {"X.PE_", kExpandedName, "X.PEm"},        {"FONT.0_", kExpandedName, "FONT.0"},
      {"MARRKAPL.TT_", kExpandedName, "MARRKAPL.TTf"},
      {"X.QQ_", kUnknownCompressed, ""},        {"_", kUnknownCompressed, ""},
      {"KVMD.PRO", kNotCompressed, "KVMD.PRO"}, {"", kNotCompressed, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char out[260];
    EXPECT_EQ(c.kind, ExpandCompressedName(c.name, out, sizeof out));
    EXPECT_STREQ(c.expected, out);
  }
  // An expanded name that does not fit is refused, never handed out cut.
  const struct {
    const char* name;
    size_t capacity;
    CompressedName kind;
    const char* expected;
  } fits[] = {
      {"FONT.0_", 7, kExpandedName, "FONT.0"},   {"FONT.0_", 6, kUnknownCompressed, ""},
      {"KVMD.EX_", 9, kExpandedName, "KVMD.EXe"}, {"KVMD.EX_", 8, kUnknownCompressed, ""},
  };
  for (const auto& c : fits) {
    SCOPED_TRACE(c.name);
    char out[16];
    EXPECT_EQ(c.kind, ExpandCompressedName(c.name, out, c.capacity));
    EXPECT_STREQ(c.expected, out);
  }
}

}  // namespace
