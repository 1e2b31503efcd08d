// The session-list builder: command texts, Save flags, embedding, cookies and limits. A cookie's
// switches, box and fetch log line are checked through the real control (launch, scenario tests).
#include "sessions/portable/session_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "cookie_maker.h"

namespace {

typedef std::map<std::string, std::string> Page;

class FakeHost : public SessionListHost {
 public:
  Page page;
  bool cancelled = false, cancelDuringFetch = false;
  int mode = kEmbedModeOff;
  const char* cookie = nullptr;  // the fetched response; null: the fetch fails
  std::vector<std::string> reads, logs;
  std::vector<long> cookieErrors;

  ParameterRead ReadParameter(const char* name, size_t capacity, char* value,
                              size_t valueSize) override {
    reads.push_back(name);
    auto found = page.find(name);
    if (found == page.end()) return kParameterAbsent;
    if (capacity > 0 && found->second.size() >= capacity) return kParameterTooLong;
    snprintf(value, valueSize, "%s", found->second.c_str());
    return kParameterPresent;
  }
  void Log(const char* text) override { logs.push_back(text); }
  bool DesktopMode() override { return false; }
  int EmbedMode() override { return mode; }
  int RequestEmbedMode(int wanted) override { return mode = wanted; }
  const char* FetchCookie(const char*) override {
    cancelled |= cancelDuringFetch;
    return cookie;
  }
  void ShowCookieError(long code) override { cookieErrors.push_back(code); }
  void DispatchPending() override {}
  bool CancelRequested() override { return cancelled; }
  void RequestCancel() override { cancelled = true; }

  bool Logged(const std::string& line) const {
    return std::find(logs.begin(), logs.end(), line + "\r\n") != logs.end();
  }
};

SessionList g_List;

std::vector<std::string> Build(FakeHost& host, const char* sessions) {
  BuildSessionList(sessions, &host, &g_List);
  std::vector<std::string> entries;
  for (int i = 0; i < g_List.Count; ++i)
    entries.push_back(std::string(g_List.Commands[i]) + (g_List.Save[i] ? " [save]" : ""));
  return entries;
}

TEST(SessionListTest, CommandTextsByKindModeAndSwitches) {
  const std::string name31 = "MD_S1" + std::string(26, 'n');
  const std::string name32 = "MD_S1" + std::string(27, 'n');
  const std::string longNames = name31 + "," + name32;
  const std::string noFirst = MakeCookie("", "s3cret", "");
  const Page blk = {{"MD_S1", "c"}, {"MD_S1_Blk", "sso/cookie.asp"}};
  const struct {
    const char* what;
    Page page;
    const char* sessions;
    std::vector<std::string> expected;
    const char* cookie = nullptr;  // the response to MD_S1_Blk
    bool cancel = false;           // the user cancels while the cookie is fetched
  } cases[] = {
      {"FTP instance one later", {{"FTP_S3", "f"}, {"FTP_SX", "f"}, {"FTP_Sx", "f"}},
       "FTP_S3,FTP_SX,FTP_Sx", {"KVFTP.PRO /s3 /f\"f\"", "KVFTP.PRO /f\"f\"", "KVFTP.PRO /f\"f\""}},
      {"printers unquoted", {{"MP_S12", "p"}, {"AD_S1", "a"}}, "MP_S12,AD_S1",
       {"KVMP.PRO /s12 /fp", "KVAD.PRO /s1 /f\"a\""}},
      {"every switch in its order",
       {{"VT_S1", "v"},          {"VT_S1_Model", "m"},   {"VT_S1_Device", "d"},
        {"VT_S1_Lu", "l"},       {"VT_S1_Description", "desc x"},
        {"VT_S1_Var9", "9"},     {"VT_S1_Var1", "1"},    {"VT_S1_Var0", "0"},
        {"VT_S1_Var10", "10"},   {"VT_S1_Save", "no"},   {"VT_S1_QueueName", "q"}},
       "VT_S1", {"KVVT.PRO /s1 /f\"v\" /D\"desc x\" /Ll /Ld /Aq /Zm /1\"1\" /9\"9\""}},
      {"the other switches in their order",
       {{"MD_S1", "c"},           {"MD_S1_Transform", "y"}, {"MD_S1_Formfeed", "x"},
        {"MD_S1_Font", "w"},      {"MD_S1_QueueLibrary", "v"}, {"MD_S1_Library", "b"},
        {"MD_S1_Menu", "m"},      {"MD_S1_Program", "g"},  {"MD_S1_Password", "p"},
        {"MD_S1_Username", "u"},  {"MD_S1_Type", "t"},     {"MD_S1_ConnectionName", "cn"}},
       "MD_S1", {"KVMD.PRO /s1 /f\"c\" /C\"cn\" /Tt /Nu /Pp /Gg /Mm /Bb /Vv /Ww /Xx /Yy"}},
      {"absent and unusable names", {{"MD_S1", "a"}, {"MD_S", "b"}, {"FTP_S", "c"}},
       "MD_S2,MD_S,FTP_S,MD_S1", {"KVMD.PRO /s1 /f\"a\""}},
      {"31 characters kept, 32 skipped", {{name31, "a"}, {name32, "b"}}, longNames.c_str(),
       {"KVMD.PRO /s" + name31.substr(4) + " /f\"a\""}},
      {"empty cookie fields add nothing", blk, "MD_S1", {"KVMD.PRO /s1 /f\"c\" /js3cret"},
       noFirst.c_str()},
      {"cookie fetch cancelled", blk, "MD_S1", {"KVMD.PRO /s1 /f\"c\""}, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host;
    host.page = c.page;
    host.cookie = c.cookie;
    host.cancelDuringFetch = c.cancel;
    EXPECT_EQ(c.expected, Build(host, c.sessions));
    EXPECT_EQ(c.cancel, host.cancelled);
    EXPECT_TRUE(host.cookieErrors.empty());
    EXPECT_EQ(c.cancel, host.Logged("MD_S1: the cookie could not be fetched; the session starts "
                                    "without it."));
  }
}

// At most 32 entries; a parameter filling its capacity cancels the whole list, one less is taken.
TEST(SessionListTest, LimitsAndLengthChecks) {
  FakeHost many;
  std::string sessions = "MD_S1";
  for (int i = 1; i <= 40; ++i) many.page["MD_S" + std::to_string(i)] = "c";
  for (int i = 2; i <= 40; ++i) sessions += ",MD_S" + std::to_string(i);
  EXPECT_EQ(32u, Build(many, sessions.c_str()).size());
  const struct {
    const char* parameter;
    size_t capacity;
  } checks[] = {
      {"MD_S1", 64}, {"MD_S1_Port", 16}, {"MD_S1_HostAddress", 64}, {"MD_S1_Description", 64},
      {"MD_S1_Var3", 64}, {"MD_S1_ConnectionName", 64}, {"MD_S1_Type", 16}, {"MD_S1_Username", 16},
      {"MD_S1_Password", 16}, {"MD_S1_Program", 16}, {"MD_S1_Menu", 16}, {"MD_S1_Library", 16},
      {"MD_S1_QueueLibrary", 32}, {"MD_S1_Font", 32}, {"MD_S1_Formfeed", 32},
      {"MD_S1_Transform", 32},
  };
  for (const auto& c : checks) {
    for (size_t length : {c.capacity - 1, c.capacity}) {
      SCOPED_TRACE(std::string(c.parameter) + " of " + std::to_string(length));
      const bool cancels = length == c.capacity;
      FakeHost host;
      host.page = {{"MD_S1", "c"}, {"VT_S1", "v"}};
      host.page[c.parameter] = std::string(length, '7');
      EXPECT_EQ(cancels ? 0u : 2u, Build(host, "MD_S1,VT_S1").size());
      EXPECT_EQ(cancels, host.cancelled);
      EXPECT_EQ(!cancels, std::count(host.reads.begin(), host.reads.end(), "VT_S1") > 0);
    }
  }
  FakeHost blk;
  blk.page = {{"MD_S1", "c"}, {"MD_S1_Blk", std::string(260, '7')}};
  EXPECT_TRUE(Build(blk, "MD_S1").empty());
  EXPECT_TRUE(blk.cancelled);
}

TEST(SessionListTest, EmbeddingFollowsTheLastSessionThatAsks) {
  const struct {
    const char* value;
    int mode;
    const char* line;  // the mode logged; empty: disabled
  } cases[] = {
      {"Fullscreen", kEmbedModeFullScreen, "Full Screen"},
      {"yes", kEmbedModePosition, "Position"},
      {"p", kEmbedModePosition, "Position"},
      {"No", kEmbedModeOff, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    FakeHost host;
    host.page = {{"MD_S1", "c"}, {"MD_S1_RunInBrowser", c.value}, {"VT_S1", "v"}};
    Build(host, "MD_S1,VT_S1");
    EXPECT_EQ(c.mode, host.mode);
    const std::string expected =
        *c.line ? std::string(": Embed Mode is Enabled - ") + c.line : ": Embed Mode is Disabled";
    // The next session without its own value keeps the mode, and says so.
    EXPECT_TRUE(host.Logged("VT_S1" + expected));
  }
}

}  // namespace
