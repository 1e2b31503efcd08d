// The names installation decides on: cabinet entries that would leave their
// folder, and the sibling clients' keys and paths.
#include <gtest/gtest.h>

#include "download/portable/cabinet_names.h"
#include "download/portable/sibling_clients.h"

namespace {

TEST(CabinetNames, OnlyRelativePathsThatStayInsideAreContained) {
  const struct {
    const char* name;
    bool contained;
  } rows[] = {
      {"KVMD.PRO", true},
      {"sub\\KVMD.PRO", true},
      {"a..b\\c", true},
      {".\\x", true},
      {"CONSOLE", true},
      {"COM0", true},
      {"xAUX", true},
      {"prn_x", true},
      {"..\\x", false},
      {"sub/../x", false},
      {"x\\..", false},
      {"..", false},
      {"\\windows\\x", false},
      {"/etc/x", false},
      {"C:\\x", false},
      {"C:x", false},
      {"ok.txt:stream", false},
      {"", false},
      {"CON", false},
      {"sub\\nul.txt", false},
      {"Com1", false},
      {"lpt9 .log\\x", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.contained, IsContainedRelativePath(row.name));
  }
  EXPECT_FALSE(IsContainedRelativePath(nullptr));
}

TEST(SiblingClients, CabinetsChooseTheirClientByFirstLetter) {
  EXPECT_EQ('O', SiblingClientForCabinet("ov9c.cab")->Letter);
  EXPECT_EQ('O', SiblingClientForCabinet("ORVENA.CAB")->Letter);
  EXPECT_EQ('Z', SiblingClientForCabinet("zv.cab")->Letter);
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
