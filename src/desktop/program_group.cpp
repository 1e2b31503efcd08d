// The program group over DDE; see program_group.h.
#include "desktop/program_group.h"

#include <windows.h>
#include <ddeml.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "desktop/portable/shortcut_text.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "download/component_files.h"
#include "base/message_pump.h"
#include "base/scoped_handles.h"

namespace {

struct GroupItem {
  const char* program;
  int label;            // a ProgramLabel, or -1 for fixedLabel
  const char* fixedLabel;
  bool add;             // false: always deleted
};

const GroupItem kItems[] = {
    {"KVMD.EXE", kLabelMainframeDisplay, nullptr, true},
    {"KVMP.EXE", kLabelMainframePrinter, nullptr, true},
    {"KVAD.EXE", kLabelISeriesDisplay, nullptr, true},
    {"KVAP.EXE", kLabelISeriesPrinter, nullptr, true},
    {"KVVT.EXE", kLabelVT, nullptr, true},
    {"KVSM.EXE", kLabelSessionManager, nullptr, true},
    {"KVSE.EXE", kLabelScriptEditor, nullptr, true},
    {"KVFTP.EXE", kLabelFTP, nullptr, true},
    {"KVHR.EXE", kLabelHllapiRedirector, nullptr, true},
    {"KVSH.EXE", kLabelScriptingHost, nullptr, true},
    {"UNINS.EXE", -1, "Kestrava Uninstall", true},
    {"KVAD.EXE", -1, "AS400 Display", false},
    {"KVAP.EXE", -1, "AS400 Printer", false},
};

// The one transaction in flight: its completion arrives in the callback
// while the waiting thread dispatches messages.
DWORD g_PendingTransaction = 0;
bool g_TransactionDone = false;
// Whether the last group had no Program Manager to make it.
bool g_GroupUnanswered = false;

HDDEDATA CALLBACK OnDdeEvent(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR id,
                             ULONG_PTR) {
  if (type == XTYP_XACT_COMPLETE && id == g_PendingTransaction) {
    g_TransactionDone = true;
    SignalWake();
  }
  return nullptr;
}

bool TransactionDone(void*) { return g_TransactionDone; }

// A DDE client instance and its conversation with the Program Manager,
// closed in the order the library asks for.
class ProgmanConversation {
 public:
  // keepService: the service handle lives until the conversation ends.
  explicit ProgmanConversation(bool keepService) : keepService_(keepService) {
    if (DdeInitializeA(&instance_, OnDdeEvent, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
      instance_ = 0;
      MessageBeep(MB_ICONEXCLAMATION);
      return;
    }
    service_.Reset(instance_, DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI));
    if (!service_.IsValid()) return;
    CONVCONTEXT context = {};
    context.cb = sizeof context;
    conversation_.Reset(DdeConnect(instance_, service_.Get(), service_.Get(), &context));
    if (!keepService_) service_.Reset();
  }
  ~ProgmanConversation() {
    // The instance goes last: its string and conversation belong to it.
    service_.Reset();
    conversation_.Reset();
    if (instance_) DdeUninitialize(instance_);
  }
  ProgmanConversation(const ProgmanConversation&) = delete;
  ProgmanConversation& operator=(const ProgmanConversation&) = delete;

  bool Initialised() const { return instance_ != 0; }
  bool Connected() const { return conversation_.IsValid(); }

  // Executes command as an asynchronous transaction and waits for its
  // answer, at most kProgmanTimeoutMs, dispatching messages meanwhile.
  // Only a command that was sent is logged.
  void Execute(const char* command) {
    if (!conversation_.IsValid()) return;
    HDDEDATA data = DdeCreateDataHandle(instance_, (BYTE*)command, lstrlenA(command) + 1, 0,
                                        nullptr, CF_TEXT, 0);
    if (!data) return;
    DWORD id = 0;
    g_TransactionDone = false;
    if (!DdeClientTransaction((BYTE*)data, (DWORD)-1, conversation_.Get(), nullptr, 0, XTYP_EXECUTE,
                              TIMEOUT_ASYNC, &id)) {
      return;  // the data handle went with the call
    }
    WriteLogLineF("Program Manager: %s\r\n", command);
    g_PendingTransaction = id;
    // The completion arrives through the library's window, which the wait
    // dispatches; a Program Manager that does not answer is given up on.
    WaitWhilePumping(TransactionDone, nullptr, kProgmanTimeoutMs, 0);
    // Answered or not, nothing of it may stay queued: some libraries keep a
    // completed asynchronous transaction at the head of the conversation's
    // queue, where it would keep every later answer from being matched.
    // One transaction is in flight at a time, so all of them go.
    DdeAbandonTransaction(instance_, conversation_.Get(), 0);
    g_PendingTransaction = 0;
  }

 private:
  DWORD instance_ = 0;
  ScopedDdeString service_;
  ScopedDdeConversation conversation_;
  bool keepService_;
};

// The command with its arguments, each as the command language keeps it
// inside; false (logged) when one cannot be kept inside.
bool FormCommand(char* command, size_t capacity, const char* format, const char* first,
                 const char* second = nullptr) {
  char a[kPathCapacity + 2], b[kSettingLabelCapacity + 2] = "";
  if (!ProgmanArgument(first, a, sizeof a) || (second && !ProgmanArgument(second, b, sizeof b))) {
    WriteLogLineF("Program Manager: %s%s%s cannot be sent and is left out.\r\n", first,
                  second ? ", " : "", second ? second : "");
    return false;
  }
  return second ? FormatText(command, capacity, format, a, b)
                : FormatText(command, capacity, format, a);
}

}  // namespace

int ProgmanGroup() {
  ProgmanConversation conversation(true);
  if (!conversation.Initialised()) return 0;
  char command[kSettingLabelCapacity + 32];
  g_GroupUnanswered = !conversation.Connected();
  // A name that cannot be sent is said to be so whether or not anyone
  // answered: it is the site's to mend.
  if (!IsPlainGroupName(Settings().GroupName)) {
    WriteLogLineF("Program Manager: %s cannot be sent and is left out.\r\n", Settings().GroupName);
  } else if (g_GroupUnanswered) {
    WriteLogLineF("Program Manager did not answer: the program group %s is not made.\r\n",
                  Settings().GroupName);
  } else if (FormCommand(command, sizeof command, "[CreateGroup(%s)]", Settings().GroupName)) {
    conversation.Execute(command);
  }
  return 1;
}

int ProgmanItems() {
  ProgmanConversation conversation(false);
  if (!conversation.Initialised()) return 0;
  const DeploymentSettings& s = Settings();
  // Items go to the group last created; when this one could not be sent,
  // that would be some other program's group.
  char group[kSettingLabelCapacity + 2];
  if (!IsPlainGroupName(s.GroupName) || !ProgmanArgument(s.GroupName, group, sizeof group)) {
    WriteLogLine("Program Manager: the group's items are left out with it.\r\n");
    return 1;
  }
  // Said once: the group's own line said so when there was no answer then.
  if (!conversation.Connected()) {
    if (!g_GroupUnanswered) {
      WriteLogLine("Program Manager did not answer: the group's items are not added.\r\n");
    }
    return 1;
  }
  char folder[kPathCapacity];
  if (!GetShortPathNameA(s.InstallFolder, folder, sizeof folder) || !folder[0]) {
    CopyText(folder, sizeof folder, s.InstallFolder);
  }
  for (const GroupItem& item : kItems) {
    const char* given = item.label >= 0 ? s.ProgramLabels[item.label] : item.fixedLabel;
    // The shell names the item's link file after its label: "AS/400 Display"
    // would name a folder that is not there, "..\" one outside the group.
    char label[kSettingLabelCapacity];
    bool replaced = false;
    LinkFileNameOf(given, label, sizeof label, &replaced);
    if (replaced) WriteLogLineF("Program Manager: %s is sent as %s\r\n", given, label);
    char command[2 * kPathCapacity];
    if (!item.add) {
      if (FormCommand(command, sizeof command, "[DeleteItem(%s)]", label)) {
        conversation.Execute(command);
      }
      continue;
    }
    if (IsFileMissing(item.program, 0)) continue;
    char line[kPathCapacity];
    bool fits = CopyText(line, sizeof line, folder);
    fits = AddBackslash(line, sizeof line) && fits;
    fits = AppendText(line, sizeof line, item.program) && fits;
    if (fits && FormCommand(command, sizeof command, "[AddItem(%s,%s)]", line, label)) {
      conversation.Execute(command);
    }
  }
  return 1;
}
