// The test container, run as its own process on pages from the test web
// server and from files, hosting the fixture control (hostfixture.dll).
// What the container did is read from its trace; what the control
// received, from the fixture's record.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

using namespace testsupport;

namespace {

const char kControlClsid[] = "01D62088-DB72-4D35-AE5C-E5861904B675";
const char kFixtureClsid[] = "{5D3C6B1E-7A41-4F0B-9C2E-3B8F1A6D0C52}";
const DWORD kRunTimeoutMs = 90000;

// Index of the first line at or after from that starts with prefix, or -1.
int Find(const std::vector<std::string>& lines, const std::string& prefix, int from = 0) {
  for (int i = from < 0 ? 0 : from; i < (int)lines.size(); ++i) {
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
  }
  return -1;
}

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
  int count = 0;
  for (const std::string& line : lines) count += line.compare(0, prefix.size(), prefix) == 0;
  return count;
}

// The first lines with these prefixes come in this order.
void ExpectInOrder(const std::vector<std::string>& lines,
                   const std::vector<std::string>& prefixes) {
  int previous = -1;
  for (const std::string& prefix : prefixes) {
    int at = Find(lines, prefix);
    EXPECT_GT(at, previous) << prefix;
    previous = at;
  }
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string ObjectTag(const std::string& classid, const std::string& params) {
  return "<html><head><title>t</title></head><body>\n<p>Page</p>\n"
         "<OBJECT ID=\"Wevelink1\" CLASSID=\"CLSID:" + classid +
         "\" WIDTH=240 HEIGHT=120>\n" + params + "</OBJECT>\n</body></html>\n";
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = TestEnvDir() + "\\host-" + name_;
    CreateDirectoryA(dir_.c_str(), nullptr);
    trace_ = dir_ + "\\trace.txt";
    record_ = dir_ + "\\fixture.txt";
    boxes_ = dir_ + "\\boxes.txt";
    DeleteFileA(trace_.c_str());
    DeleteFileA(record_.c_str());
    DeleteFileA(boxes_.c_str());
    SetEnvironmentVariableA("WEVELINK_FIXTURE_RECORD", record_.c_str());
    SetEnvironmentVariableA("WEVELINK_FIXTURE_UNSAFE", nullptr);
    host_ = WinPathFromUnix(HOST_EXE_UNIX);
    fixture_ = WinPathFromUnix(FIXTURE_DLL_UNIX);
    ASSERT_FALSE(host_.empty());
    ASSERT_FALSE(fixture_.empty());
  }
  void TearDown() override {
    SetEnvironmentVariableA("WEVELINK_FIXTURE_RECORD", nullptr);
    SetEnvironmentVariableA("WEVELINK_FIXTURE_UNSAFE", nullptr);
  }

  // Runs the host with the trace on; returns its exit code (255: hung).
  DWORD RunHost(const std::string& arguments) {
    std::string line = "\"" + host_ + "\" --trace \"" + trace_ + "\" " + arguments;
    DWORD exitCode = 255;
    bool finished = RunProgram(line, kRunTimeoutMs, &exitCode);
    EXPECT_TRUE(finished) << line;
    return exitCode;
  }

  std::string Page(const std::string& name, const std::string& html) {
    EXPECT_TRUE(WriteFileBytes(WwwDir() + "\\" + name, html));
    return BaseUrl() + "/" + name;
  }

  std::string name_, dir_, trace_, record_, boxes_, host_, fixture_;
};

TEST_F(HostTest, ControlIsSitedBeforeLoadAndGetsThePageAddressAndDecodedParams) {
  std::string params =
      "<PARAM NAME=\"ReadNames\" VALUE=\"IniFile,quoted,Entities,Bare,i:Number,Missing\">\n"
      "<param name='INIFILE' value='site.ini'>\n"
      "<param name=Quoted value='say \"hi\"'>\n"
      "<Param Name=\"Entities\" Value=\"a&amp;b&lt;c&gt;d&quot;&apos;&#65;&#x42;&nbsp;.\">\n"
      "<PARAM NAME=Bare VALUE=unquoted>\n"
      "<PARAM NAME=\"Number\" VALUE=\"42\">\n";
  std::string url = Page("page.htm", ObjectTag(kControlClsid, params));

  EXPECT_EQ(0u, RunHost("--module \"" + fixture_ + "\" --stay 700 " + url));

  std::vector<std::string> trace = ReadLines(trace_);
  SCOPED_TRACE(Joined(trace));
  ExpectInOrder(trace, {"page " + url, "fetch hr=0x00000000 status=200", "create hr=0x00000000",
                        "safety supported=0x3 enabled=0x2 set hr=0x00000000",
                        "miscstatus 0x00020191", "setclientsite hr=0x00000000",
                        // OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER
                        "site GetMoniker assign=4 which=1 hr=0x00000000",
                        "load hr=0x00000000 params=6", "doverb hr=0x00000000",
                        "draw hr=0x00000000", "leave setclientsite(null) hr=0x00000000",
                        "close hr=0x00000000"});
  EXPECT_GE(Find(trace, "object 0 rect=10,10,250,130 params=6 id=Wevelink1"), 0);
  EXPECT_GE(Find(trace, "site OnInPlaceActivateEx flags=0x1"), 0);
  EXPECT_GE(Find(trace, "site refs=1"), 0);  // the control let go of its site
  EXPECT_EQ("exit code=0", trace.back());
  // The site answered a missing name as browsers do.
  EXPECT_GE(Find(trace, "bag Read Missing vt=8 hr=0x80070057"), 0);

  std::vector<std::string> record = ReadLines(record_);
  SCOPED_TRACE(Joined(record));
  EXPECT_EQ(0, Find(record, "create instance=1"));
  ExpectInOrder(record, {"safety set mask=0x2 enabled=0x2", "setclientsite site=1",
                         "setclientsite site=0", "close sited=0"});
  EXPECT_GE(Find(record, "moniker hr=0x00000000 name=" + url), 0);
  EXPECT_GE(Find(record, "read IniFile hr=0x00000000 vt=8 value=site.ini"), 0);
  EXPECT_GE(Find(record, "read quoted hr=0x00000000 vt=8 value=say \"hi\""), 0);
  EXPECT_GE(Find(record, "read Entities hr=0x00000000 vt=8 value=a&b<c>d\"'AB\xC2\xA0."), 0);
  EXPECT_GE(Find(record, "read Bare hr=0x00000000 vt=8 value=unquoted"), 0);
  EXPECT_GE(Find(record, "read Number hr=0x00000000 vt=3 value=42"), 0);
  EXPECT_GE(Find(record, "read Missing hr=0x80070057"), 0);
  EXPECT_GE(Find(record, "activate windowless=1 window=valid pos=10,10,250,130 clip=10,10,250,130"),
            0);
  EXPECT_GE(Find(record, "draw rect=10,10,250,130"), 0);

  std::vector<std::string> log = ServerLogFor("/page.htm");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(0u, log.back().find("GET /page.htm 200"));
}

TEST_F(HostTest, TwoPagesShareOneModuleLoadedThroughTheRegistration) {
  // Wine's COM reads class registrations from the machine's classes only
  // (HKEY_CURRENT_USER\Software\Classes is not merged in), so the fixture's
  // own class goes there.
  const std::string key = std::string("CLSID\\") + kFixtureClsid;
  HKEY server;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, &server, nullptr));
  RegSetValueExA(server, nullptr, 0, REG_SZ, (const BYTE*)fixture_.c_str(),
                 (DWORD)fixture_.size() + 1);
  RegSetValueExA(server, "ThreadingModel", 0, REG_SZ, (const BYTE*)"Apartment", 10);
  RegCloseKey(server);

  std::string tag = ObjectTag(kFixtureClsid, "<param name=ReadNames value=Page>\n"
                                             "<param name=Page value=one>\n");
  std::string first = Page("first.htm", tag);
  tag = ObjectTag(std::string(kFixtureClsid + 1, 36), "<param name=ReadNames value=Page>\n"
                                                      "<param name=Page value=two>\n");
  std::string second = Page("second.htm", tag);
  DWORD exitCode = RunHost(std::string("--clsid ") + kFixtureClsid + " --stay 400 " + first + " " +
                           second);
  DeleteRegTree(HKEY_CLASSES_ROOT, key);
  EXPECT_EQ(0u, exitCode);

  std::vector<std::string> record = ReadLines(record_);
  SCOPED_TRACE(Joined(record));
  int one = Find(record, "create instance=1 pid=");
  int two = Find(record, "create instance=2 pid=");
  ASSERT_GE(one, 0);
  ASSERT_GT(two, one);  // the module's counter survived: the module stayed loaded
  EXPECT_EQ(record[one].substr(record[one].find("pid=")), record[two].substr(record[two].find("pid=")));
  EXPECT_LT(Find(record, "moniker hr=0x00000000 name=" + first), two);
  EXPECT_GT(Find(record, "moniker hr=0x00000000 name=" + second), two);
  EXPECT_GE(Find(record, "read Page hr=0x00000000 vt=8 value=one"), 0);
  EXPECT_GE(Find(record, "read Page hr=0x00000000 vt=8 value=two"), 0);
  // The first page's control was closed before the second was created.
  int firstClose = Find(record, "close sited=0");
  EXPECT_GT(firstClose, one);
  EXPECT_LT(firstClose, two);
  // Nothing offered to unload the module between the pages.
  int unload = Find(record, "canunloadnow");
  EXPECT_TRUE(unload == -1 || unload > two) << unload;
  std::vector<std::string> trace = ReadLines(trace_);
  EXPECT_EQ(2, Count(trace, "page http://"));
  EXPECT_EQ(2, Count(trace, "left"));
}

TEST_F(HostTest, ControlThatIsNotSafeForInitializationIsRefused) {
  SetEnvironmentVariableA("WEVELINK_FIXTURE_UNSAFE", "1");
  std::string url = Page("unsafe.htm", ObjectTag(kControlClsid, "<param name=ReadNames value=A>\n"
                                                                "<param name=A value=1>\n"));
  EXPECT_EQ(1u, RunHost("--module \"" + fixture_ + "\" --stay 100 " + url));
  std::vector<std::string> trace = ReadLines(trace_);
  SCOPED_TRACE(Joined(trace));
  EXPECT_GE(Find(trace, "safety supported=0x1 enabled=0x0 set hr=skipped"), 0);
  EXPECT_GE(Find(trace, "refused not safe for initialization"), 0);
  EXPECT_EQ(-1, Find(trace, "load "));
  std::vector<std::string> record = ReadLines(record_);
  EXPECT_EQ(-1, Find(record, "setclientsite site=1"));
  EXPECT_EQ(-1, Find(record, "read "));
}

TEST_F(HostTest, LocalFilePageIsNamedByItsFileUrl) {
  std::string path = dir_ + "\\local page.htm";
  ASSERT_TRUE(WriteFileBytes(path, ObjectTag("{" + std::string(kControlClsid) + "}", "")));
  EXPECT_EQ(0u, RunHost("--module \"" + fixture_ + "\" --stay 100 \"" + path + "\""));
  std::vector<std::string> record = ReadLines(record_);
  SCOPED_TRACE(Joined(record));
  int moniker = Find(record, "moniker hr=0x00000000 name=file:///");
  ASSERT_GE(moniker, 0);
  std::string name = record[moniker];
  EXPECT_NE(std::string::npos, name.find("/host-LocalFilePageIsNamedByItsFileUrl/local%20page.htm"))
      << name;
  std::vector<std::string> trace = ReadLines(trace_);
  EXPECT_EQ(0, Find(trace, "start pid="));
  EXPECT_GE(Find(trace, "page " + path), 0);
  EXPECT_GE(Find(trace, "fetch hr=0x00000000 status=0"), 0);
}

TEST_F(HostTest, PagesThatCannotBeShownFailTheRun) {
  std::string missing = BaseUrl() + "/no-such-page.htm";
  std::string other = Page("other.htm", ObjectTag("11111111-2222-3333-4444-555555555555", ""));
  std::string good = Page("good.htm", ObjectTag(kControlClsid, ""));
  EXPECT_EQ(1u, RunHost("--module \"" + fixture_ + "\" --stay 100 " + missing + " " + other +
                        " " + good));
  std::vector<std::string> trace = ReadLines(trace_);
  SCOPED_TRACE(Joined(trace));
  int first = Find(trace, "fetch hr=0x80004005 status=404");
  int second = Find(trace, "objects 0");
  int third = Find(trace, "load hr=0x00000000 params=0");
  EXPECT_GE(first, 0);
  EXPECT_GT(second, first);
  EXPECT_GT(third, second);  // a failed page does not end the run
  EXPECT_EQ(2, Count(trace, "page failed"));
  EXPECT_EQ("exit code=1", trace.back());
}

TEST_F(HostTest, BoxesOfTheControlAreRecordedAndAnswered) {
  std::string params =
      "<param name=Box value=\"Line one&#13;&#10;Line two\">\n"
      "<param name=WorkerBox value=\"From a worker\">\n";
  std::string url = Page("boxes.htm", ObjectTag(kControlClsid, params));
  std::string until = dir_ + "\\done.flag";
  ASSERT_TRUE(WriteFileBytes(until, "x"));  // present: the last page is left at once
  EXPECT_EQ(0u, RunHost("--module \"" + fixture_ + "\" --boxes \"" + boxes_ +
                        "\" --box-delay 150 --until \"" + until + "\" " + url));
  std::vector<std::string> boxes = ReadLines(boxes_);
  SCOPED_TRACE(Joined(boxes));
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("Fixture Box\tLine one\\r\\nLine two\t0x10030\tui", boxes[0]);
  EXPECT_EQ("Fixture Worker\tFrom a worker\t0x40\tworker", boxes[1]);
  std::vector<std::string> record = ReadLines(record_);
  EXPECT_GE(Find(record, "box result=1"), 0);
  EXPECT_GE(Find(record, "workerbox result=1"), 0);
  std::vector<std::string> trace = ReadLines(trace_);
  EXPECT_GE(Find(trace, "stay ms=-1"), 0);
  EXPECT_GE(Find(trace, "stay end until"), 0);
}

TEST_F(HostTest, UsageErrorsExitWithTwo) {
  DWORD exitCode = 0;
  ASSERT_TRUE(RunProgram("\"" + host_ + "\" --stay soon page.htm", kRunTimeoutMs, &exitCode));
  EXPECT_EQ(2u, exitCode);
  ASSERT_TRUE(RunProgram("\"" + host_ + "\"", kRunTimeoutMs, &exitCode));
  EXPECT_EQ(2u, exitCode);
  ASSERT_TRUE(RunProgram("\"" + host_ + "\" --help", kRunTimeoutMs, &exitCode));
  EXPECT_EQ(0u, exitCode);
}

}  // namespace
