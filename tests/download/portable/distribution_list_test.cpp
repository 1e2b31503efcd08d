// Distribution-list parsing, the names installation decides on (components, cabinet entries that
// would leave their folder, sibling clients' paths) and the SHA-256 a download is checked with.
#include "download/portable/distribution_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "download/portable/cabinet_names.h"
#include "download/portable/special_names.h"
#include "download/portable/sha256.h"
#include "download/portable/sibling_clients.h"

namespace {

typedef std::vector<std::pair<std::string, long>> Entries;

std::string Hex(const unsigned char digest[kSha256Bytes]) {
  std::string hex;
  for (int j = 0; j < 2 * kSha256Bytes; ++j)
    hex += "0123456789abcdef"[(digest[j / 2] >> (j % 2 ? 0 : 4)) & 15];
  return hex;
}

Entries Parse(const std::string& text, DistributionList* list) {
  ParseDistributionText(text.c_str(), list);
  Entries entries;
  for (int i = 0; i < list->Count; ++i) {
    const DistributionEntry& entry = list->Entries[i];
    // An integrity field shows after the name as " [SIZE:hex]" or " [malformed]".
    std::string field = " [" + std::to_string(entry.Size) + ":" + Hex(entry.Sha256);
    if (entry.Integrity == kIntegrityMalformed) field = " [malformed";
    const bool shown = entry.Integrity != kNoIntegrity;
    entries.push_back({entry.FileName + (shown ? field + "]" : ""), entry.Version});
  }
  return entries;
}

TEST(DistributionList, LinesBecomeEntries) {
  const std::string name259(259, 'a');
  const std::string sum = "9F86d081884C7D659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
  const std::string low = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
  const Entries malformed = {{"K [malformed]", 5}};
  const struct {
    const char* what;
    std::string text;
    Entries expected;
  } rows[] = {
      {"LF only: one entry cut at its first comma", "A.PRO,3\nB.PRO,4\n", {{"A.PRO", 3}}},
      {"no comma: version 0", "KVMD.PRO\r\n", {{"KVMD.PRO", 0}}},
      {"blanks before digits, text after", "X.DLL,  12abc\r\n", {{"X.DLL", 12}}},
      {"negative and saturated", "A,-3\rB,99999999999\r", {{"A", -3}, {"B", 2147483647L}}},
      {"261 with the version: too long", name259 + ",1\r\n", {}},
      {"259 characters fit", name259 + "\r\n", {{name259, 0}}},
      {"empty", "", {}},
      {"stamped: the version reads as before", "K.PRO,5,1048576:" + sum + "\r\n",
       {{"K.PRO [1048576:" + low + "]", 5}}},
      {"blanks around, largest size", "K,5 , 4294967295:" + sum + " \t",
       {{"K [4294967295:" + low + "]", 5}}},
      {"size past 32 bits", "K,5,4294967296:" + sum, malformed},
      {"eleven digits", "K,5,00000000001:" + sum, malformed},
      {"63 hex digits", "K,5,1:" + sum.substr(1), malformed},
      {"no size, no colon, not hex, empty", "A,1,:" + sum + "\rB,1,1" + sum + "\rC,1,1:g" +
       sum.substr(1) + "\rD,1,\r", {{"A [malformed]", 1}, {"B [malformed]", 1},
       {"C [malformed]", 1}, {"D [malformed]", 1}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    DistributionList list;
    EXPECT_EQ(row.expected, Parse(row.text, &list));
  }
  // A web page sent instead (a network's login page) is told apart: no list or ini line starts "<".
  for (const char* page : {"<html>", " \r\n\t<!DOCTYPE html>", "\xEF\xBB\xBF<html>"}) {
    EXPECT_TRUE(IsWebPageText(page)) << page;
  }
}

// Short examples and lengths at the padding's edges (digests from sha256sum), both paths.
TEST(Sha256, KnownDigestsOnBothPaths) {
  std::string bytes;
  for (int i = 0; i < 120; ++i) bytes += (char)i;
  const struct {
    std::string text;
    const char* digest;
  } rows[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {bytes.substr(0, 55), "463eb28e72f82e0a96c0a4cc53690c571281131f672aa229e0d45ae59b598b59"},
      {bytes.substr(0, 56), "da2ae4d6b36748f2a318f23e7ab1dfdf45acdc9d049bd80e59de82a60895f562"},
      {bytes.substr(0, 64), "fdeab9acf3710362bd2658cdc9a29e8f9c757fcf9811603a8c447cd1d9151108"},
      {bytes, "f52b23db1fbb6ded89ef42a23ce0c8922c45f25c50b568a93bf1c075420bbb7c"},
  };
  const std::vector<size_t> cuts[] = {{SIZE_MAX}, {1, 63, 130, 7, 64, 2}};
  const bool hasInstructions = UseSha256Instructions(true);
  for (const bool instructions : {false, hasInstructions}) {
    UseSha256Instructions(instructions);
    for (const auto& row : rows) {
      for (const std::vector<size_t>& cut : cuts) {
        Sha256Hash hash;
        BeginSha256(&hash);
        for (size_t at = 0, i = 0, n = 0; at < row.text.size(); at += n, ++i) {
          n = std::min(cut[i % cut.size()], row.text.size() - at);
          AddToSha256(&hash, row.text.data() + at, n);
        }
        unsigned char digest[kSha256Bytes];
        FinishSha256(&hash, digest);
        EXPECT_EQ(row.digest, Hex(digest)) << row.text.size() << " bytes in " << cut.size()
                                           << " piece sizes, instructions " << instructions;
      }
    }
  }
  UseSha256Instructions(true);
  if (!hasInstructions) GTEST_SKIP() << "no SHA instructions here: the plain code alone ran";
}

TEST(DistributionList, WhatDoesNotFitIsCountedNotCut) {
  DistributionList list;
  std::string text = std::string(260, 'L') + ",1\r\n";
  for (int i = 0; i < 33; ++i) text += "F" + std::to_string(i) + ",1\r\n";
  Entries entries = Parse(text, &list);
  ASSERT_EQ(32u, entries.size());
  EXPECT_EQ("F0", entries.front().first);
  EXPECT_EQ(1, list.LinesPastLimit);
  EXPECT_EQ(1, list.LongLines);
  EXPECT_EQ(std::string(63, 'L'), list.FirstLongLine);
}

TEST(DistributionList, NamePartsAndTheirUse) {
  const struct {
    const char* entry;
    const char* namePart;
    bool usable;
    bool cabinet;
    bool checked = false;  // a program or library: its publisher is checked before it replaces
  } rows[] = {
      {"bin/KVMD.pro", "/KVMD.pro", true, false, true},
      {"a\\b/c\\Fonts.cAb", "\\Fonts.cAb", true, true},
      {"", "", false, false},
      {"dir/", "/", false, false},
      {".", ".", false, false},
      {"x/..", "/..", false, false},
      {"C:evil.exe", "C:evil.exe", false, false, true},
      {"cab", "cab", true, true},
      {"CON", "CON", false, false},
      {"bin/nul.cab", "/nul.cab", false, true},
      {"COM10", "COM10", true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.entry);
    const char* part = ComponentNamePart(row.entry);
    EXPECT_STREQ(row.namePart, part);
    EXPECT_EQ(row.usable, IsUsableNamePart(part));
    EXPECT_EQ(row.cabinet, IsCabinetName(part));
    EXPECT_EQ(row.checked, IsStartedOrLoaded(part));
  }
}

TEST(DistributionList, DisplayNames) {
  const struct {
    const char* entry;
    bool desktop;
    size_t capacity;
    const char* expected;
  } rows[] = {
      {"KVMD.CAB", true, 260, "Kvmd.cab"},
      {"kv.font.ttf", false, 260, "Kv.font"},
      {"bin/KVMD.PRO", false, 260, "Bin/kvmd"},
      {"", false, 260, ""},
      {"KVMD.CAB", true, 4, "Kvm"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
    char out[260];
    FormatComponentDisplayName(row.entry, row.desktop, out, row.capacity);
    EXPECT_STREQ(row.expected, out);
  }
}

TEST(DistributionList, CompressedNamesExpandByTheTableOrAreRefused) {
  const struct {
    const char* name;
    size_t capacity;
    CompressedName kind;
    const char* expected;
  } rows[] = {
      {"KVMD.EX_", 260, kExpandedName, "KVMD.EXe"},
      {"MARRKAPL.TT_", 260, kExpandedName, "MARRKAPL.TTf"},
      {"X.QQ_", 260, kUnknownCompressed, ""},
      {"_", 260, kUnknownCompressed, ""},
      {"KVMD.PRO", 260, kNotCompressed, "KVMD.PRO"},
      {"", 260, kNotCompressed, ""},
      // An expanded name that does not fit is refused, never handed out cut.
      {"FONT.0_", 7, kExpandedName, "FONT.0"},
      {"FONT.0_", 6, kUnknownCompressed, ""},
      {"KVMD.EX_", 9, kExpandedName, "KVMD.EXe"},
      {"KVMD.EX_", 8, kUnknownCompressed, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " in " + std::to_string(row.capacity));
    char out[260];
    EXPECT_EQ(row.kind, ExpandCompressedName(row.name, out, row.capacity));
    EXPECT_STREQ(row.expected, out);
  }
}

TEST(CabinetNames, OnlyRelativePathsThatStayInsideAreContained) {
  const struct {
    const char* name;
    bool contained;
  } rows[] = {
      {"KVMD.PRO", true}, {"sub\\KVMD.PRO", true}, {"a..b\\c", true}, {".\\x", true},
      {"CONSOLE", true}, {"COM0", true}, {"xAUX", true}, {"prn_x", true}, {"..\\x", false},
      {"sub/../x", false}, {"x\\..", false}, {"..", false}, {"\\windows\\x", false},
      {"/etc/x", false}, {"C:\\x", false}, {"C:x", false}, {"ok.txt:stream", false}, {"", false},
      {"CON", false}, {"sub\\nul.txt", false}, {"Com1", false}, {"lpt9 .log\\x", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.contained, IsContainedRelativePath(row.name));
  }
  EXPECT_FALSE(IsContainedRelativePath(nullptr));
}

TEST(SiblingClients, CabinetsChooseTheirClientByFirstLetter) {
  EXPECT_EQ('O', SiblingClientForCabinet("ov9c.cab")->Letter);
  EXPECT_EQ(nullptr, SiblingClientForCabinet("KVMD.CAB"));
  EXPECT_EQ(nullptr, SiblingClientForCabinet(""));

  // The keys and paths are checked through the control (installation_test).
  const SiblingClient& zelvic = *SiblingClientByLetter('z');
  char text[300];
  for (const char* folder : {"C:\\Zelvic", "C:\\Zelvic\\"}) {
    ASSERT_TRUE(FormatSiblingProgramPath(zelvic, folder, text, sizeof text));
    EXPECT_STREQ("C:\\Zelvic\\zv9c.exe", text);
  }
  char small[12];
  EXPECT_FALSE(FormatSiblingProgramPath(zelvic, "C:\\Zelvic", small, sizeof small));
}

}  // namespace
