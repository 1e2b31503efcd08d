// The deployment sequence: read the page's parameters, open the event log,
// find the server, then hand over to the download, configuration and
// session steps, and end in one of three ways (clean, cancelled, launched).
// The driver decides the order and logs each step; the work is done by the
// operations it calls.
#include "control/deployment_driver.h"

#include "base/message_box.h"
#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/desktop_initialization_file.h"
#include "desktop/desktop_installation.h"
#include "config/emulator_registry.h"
#include "config/ini_reader.h"
#include "config/machine_policy.h"
#include "config/initialization_file.h"
#include "config/working_folders.h"
#include "control/browser_settings.h"
#include "base/check_parameter.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "base/portable/page_values.h"
#include "control/session_parameters.h"
#include "download/cache_file.h"
#include "download/internet_session.h"
#include "download/portable/distribution_list.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"
#include "download/update_component.h"
#include "download/verified_flag.h"
#include "framework/ole_control.h"
#include "framework/prop_exchange.h"
#include "sessions/session_state.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_launcher.h"
#include "sessions/portable/session_list.h"
#include "sessions/session_window_table.h"
#include "base/scoped_handles.h"

namespace {

// The driver's state that outlives a deployment.
bool g_LocalLaunch = false;              // set by a page, never cleared
char g_IniFileName[260] = "Default.Ini";  // holds any "IniFile" value
// Set when a deployment with embedded sessions ended and left their launch
// to the control's first paint; taken by that paint.
bool g_LaunchDeferred = false;

const char kInstallationErrorCaption[] = "Web-to-Host Control - Installation Error";


// Refuses a deployment that starts while another one of this process waits
// in a message loop. Process-local on purpose: a shared busy word can be
// left set by another process or by one that crashed.
bool g_DeploymentRunning = false;
// The control whose deployment runs (or whose launch waits for its paint).
COleControl* g_DeployingControl = nullptr;

// One deployment's locals, passed between the steps.
struct Deployment {
  COleControl* control;
  CPropExchange* exchange;
  char pageAddress[260];
  char message[384];
};

// Reads one parameter. Returns false when absent. When present and too long
// for capacity, *tooLong is set (the check has logged and shown its box).
bool ReadParameter(Deployment& d, const char* name, size_t capacity, CPropText* value,
                   bool* tooLong) {
  *tooLong = false;
  if (!PX_String(d.exchange, name, value)) return false;
  if (capacity > 0) *tooLong = CheckParameterLength(value->Text(), capacity, name);
  return true;
}

void ShowDriverMessage(Deployment& d, const char* caption) {
  d.control->MessageBox(d.message, caption, kErrorBoxStyle);
}

// Logs a failure, closes the log and shows the text: how the driver reports
// everything that ends a deployment.
void ReportEndingFailure(Deployment& d, const char* caption) {
  WriteLogTimeStamp();
  WriteLogText(d.message);
  WriteLogText("\r\n");
  EndEventLog();
  ShowDriverMessage(d, caption);
}

// The clean ending of every deployment that does not reach its last step.
void EndClean() {
  if (IsInternetSessionOpen()) CloseInternetSession(false);
  EndEventLog();
  EnableOwnerWindow();
  SetDeploymentBusy(0);
  g_DeploymentRunning = false;
}

// Step 5: the page's address from the container's moniker.
void ReadPageAddress(Deployment& d) {
  d.pageAddress[0] = '\0';
  IOleClientSite* site = d.control->GetClientSite();
  if (site == nullptr) return;
  WriteLogLine("Found Client Site\r\n");
  IMoniker* moniker = nullptr;
  if (FAILED(site->GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER, &moniker)) ||
      moniker == nullptr) {
    return;
  }
  WriteLogLine("Found Moniker\r\n");
  LPOLESTR name = nullptr;
  HRESULT hr = moniker->GetDisplayName(nullptr, nullptr, &name);
  if (FAILED(hr)) {
    // Some monikers insist on a bind context.
    IBindCtx* context = nullptr;
    if (SUCCEEDED(CreateBindCtx(0, &context))) {
      hr = moniker->GetDisplayName(context, nullptr, &name);
      context->Release();
    }
  }
  if (SUCCEEDED(hr) && name != nullptr) {
    char converted[1024];
    int n = WideCharToMultiByte(CP_ACP, 0, name, -1, converted, sizeof converted, nullptr,
                                nullptr);
    if (n == 0) converted[0] = '\0';
    converted[sizeof converted - 1] = '\0';
    CopyText(d.pageAddress, sizeof d.pageAddress, converted);
    CoTaskMemFree(name);
    WriteLogLineF("Found Display Name: %s\r\n", d.pageAddress);
  }
  moniker->Release();
}

// Step 4. False when the deployment has ended.
bool ApplyLogEvents(Deployment& d) {
  CPropText value;
  bool tooLong = false;
  bool present = ReadParameter(d, "LogEvents", 16, &value, &tooLong);
  if (tooLong) {
    EndClean();
    return false;
  }
  ApplyLogEventsSetting(present && BeginsWithY(value.Text()));
  return true;
}

// Step 7. False when the deployment has ended.
bool ApplyConnectionSettings(Deployment& d) {
  CPropText value;
  bool tooLong = false;
  if (ReadParameter(d, "CacheRetries", 16, &value, &tooLong)) {
    if (tooLong) return false;
    const long asked = ParseNumber(value.Text());
    if (asked > kMaxCacheRetries) {
      // Against a failing server every retry costs a timeout: a huge count
      // would keep the page busy for hours.
      WriteLogLineF("Cache Retries of %ld is more than %ld; %ld retries are made.\r\n", asked,
                    kMaxCacheRetries, kMaxCacheRetries);
    }
    SetCacheRetries(asked);
    WriteLogLineF("Cache Retries is %ld\r\n", CacheRetries());
  }
  long perServer = 2;
  if (ReadParameter(d, "MaxConnsPerServer", 16, &value, &tooLong)) {
    if (tooLong) return false;
    perServer = ParseNumber(value.Text());
  }
  long per10Server = 4;
  if (ReadParameter(d, "MaxConnsPer10Server", 16, &value, &tooLong)) {
    if (tooLong) return false;
    per10Server = ParseNumber(value.Text());
  }
  WriteMaxConnections(perServer, false);
  WriteLogLineF("Maximum connections per server is %ld\r\n", perServer);
  WriteMaxConnections(per10Server, true);
  WriteLogLineF("Maximum connections per HTTP1.0 server is %ld\r\n", per10Server);
  return true;
}

// Step 8. False when the deployment has ended.
bool ApplyIniFile(Deployment& d) {
  CPropText value;
  bool tooLong = false;
  if (!ReadParameter(d, "IniFile", 260, &value, &tooLong)) {
    CopyText(d.message, sizeof d.message,
             "OBJECT Tag missing PARAM reference to Kestrava Initialization File.");
    ReportEndingFailure(d, kCacheErrorCaption);
    return false;
  }
  if (tooLong) return false;
  WriteLogTimeStamp();
  WriteLogText("IniFile=");
  WriteLogText(value.Text());
  WriteLogText("\r\n");
  // Both outputs are prefixes of texts that passed a 260 check: they fit.
  char serverUrl[260];
  DeriveServerLocation(value.Text(), d.pageAddress, serverUrl, sizeof serverUrl,
                       g_IniFileName, sizeof g_IniFileName);
  SetServerUrl(serverUrl);
  ParseServerPort();
  WriteLogLineF("Server URL is %s on Port %d\r\n", ServerUrl(), ServerPort());
  if (!PolicyApprovesUrl(ServerUrl())) {
    FormatText(d.message, sizeof d.message,
               "Server URL %s is not an approved site; nothing is downloaded from it.",
               ServerUrl());
    ReportEndingFailure(d, kControlCaption);
    return false;
  }
  return true;
}

// The window that owns the driver's boxes: the control's own, else the
// in-place site's (a windowless control, or one still loading).
HWND OwnerWindow(Deployment& d) {
  HWND window = d.control->GetSafeHwnd();
  return window != nullptr ? window : d.control->GetInPlaceSiteWindow();
}

// The local copy of a server file: the download folder and the name's last
// component. False when the path does not fit.
bool LocalCopyPath(const char* name, char* path, size_t capacity) {
  bool fits = CopyText(path, capacity, DownloadFolderPath());
  fits = AddBackslash(path, capacity) && fits;
  return AppendText(path, capacity, LastPathComponent(name)) && fits;
}

// A server name whose local copy would be a device or a stream of another
// file ends the deployment with the name in the message, before any file is
// opened. False when it was refused.
bool CheckLocalCopyName(Deployment& d, const char* what, const char* name, const char* caption) {
  if (IsUsableNamePart(LastPathComponent(name))) return true;
  FormatText(d.message, sizeof d.message, "%s %s names no file that can be kept.", what, name);
  ReportEndingFailure(d, caption);
  return false;
}

// A downloaded initialization file that is a web page (a network's login
// page, an error page sent as a success) is emptied, so that none of its
// lines is read as a setting, with a log line and a box.
void RefuseWebPage(Deployment& d, HANDLE file, const char* what, const char* name) {
  char start[64] = "";
  DWORD read = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  if (!ReadFile(file, start, sizeof start - 1, &read, nullptr)) return;
  start[read] = '\0';
  if (!IsWebPageText(start)) return;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  char message[kPathCapacity + 96];
  FormatText(message, sizeof message, "%s %s is a web page, not an initialization file; none "
             "of it is used.", what, name);
  WriteLogLineF("%s\r\n", message);
  d.control->MessageBox(message, kCacheErrorCaption, kErrorBoxStyle);
}

// Fetches an initialization file into a temporary file beside its local
// copy and puts it in the copy's place whole: another window's deployment
// may be reading the copy meanwhile, and a download cut short must not be
// read as settings. A failed or refused download leaves an empty copy (the
// settings' defaults). 0, or the error that ended it.
DWORD FetchLocalCopy(Deployment& d, const char* name, bool retries, const char* what) {
  char path[260];
  char folder[260];
  char temporary[260];
  bool named = LocalCopyPath(name, path, sizeof path);
  named = CopyText(folder, sizeof folder, DownloadFolderPath()) && named;
  named = AddBackslash(folder, sizeof folder) && named;
  if (!named) return ERROR_FILENAME_EXCED_RANGE;
  ScopedFile file(CreateTemporaryFile(folder, temporary, sizeof temporary));
  if (!file.IsValid()) return GetLastError();
  const bool fetched = retries ? CacheFileWithRetries(name, file.Get())
                               : CacheFile(name, file.Get(), true);
  if (fetched) {
    RefuseWebPage(d, file.Get(), what, name);
  } else {
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file.Get());
  }
  file.Reset();
  return ReplaceWithTemporary(temporary, path) ? 0 : GetLastError();
}

// Step 9. False when the deployment has ended.
bool OpenSession(Deployment& d) {
  CPropText timeout;
  bool present = PX_String(d.exchange, "CacheTimeout", &timeout);
  return OpenInternetSession(OwnerWindow(d), present ? timeout.Text() : nullptr);
}

// Step 11. False when the deployment has ended.
bool CacheInitializationFile(Deployment& d) {
  if (!CheckLocalCopyName(d, "Initialization File", g_IniFileName, kCacheErrorCaption)) {
    return false;
  }
  const DWORD error = FetchLocalCopy(d, g_IniFileName, true, "Initialization File");
  if (error != 0) {
    FormatText(d.message, sizeof d.message, "Error %lu caching Initialization File.", error);
    ReportEndingFailure(d, kCacheErrorCaption);
    return false;
  }
  ReadInitializationFile(g_IniFileName);
  return true;
}

// Step 12. False when the deployment has ended.
bool PrepareMode(Deployment& d) {
  if (!Settings().DesktopMode) {
    WriteLogLine("Desktop Mode is Disabled\r\n");
    char path[260];
    if (ComposeLocalIniPath(g_IniFileName, path, sizeof path)) WriteSupportInfo(path);
    return true;
  }
  WriteLogLine("Desktop Mode is Enabled\r\n");
  const char* name = Settings().DesktopIniName;
  if (!CheckLocalCopyName(d, "Desktop Initialization File", name, kInstallationErrorCaption)) {
    return false;
  }
  const DWORD error = FetchLocalCopy(d, name, false, "Desktop Initialization File");
  if (error != 0) {
    FormatText(d.message, sizeof d.message, "Error %lu downloading Desktop Initialization File %s.",
               error, name);
    ReportEndingFailure(d, kInstallationErrorCaption);
    return false;
  }
  ReadDesktopInitializationFile();
  CreateFolderTree();
  return true;
}

// Step 14: each kind's distribution list. False when the deployment has
// ended early (a cancel, or a value that fails its check).
bool UpdateComponents(Deployment& d) {
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (CancelRequested()) return false;
    char name[32];
    FormatText(name, sizeof name, "%sDistFile", SessionParameterPrefix(kind));
    CPropText value;
    bool tooLong = false;
    if (ReadParameter(d, name, 64, &value, &tooLong)) {
      if (tooLong) return false;
      UpdateComponent(value.Text(), kind);
      if (CancelRequested()) return false;
    }
    AdvanceOverallProgress(12);
  }
  if (Settings().DesktopMode) RunDesktopInstallation();
  return true;
}

// Step 15. False when the deployment has ended.
bool ReadSessions(Deployment& d) {
  CPropText value;
  bool tooLong = false;
  if (!ReadParameter(d, "Sessions", 64, &value, &tooLong)) return true;
  if (tooLong) return false;
  WriteLogLineF("Sessions: %s\r\n", value.Text());
  // A parameter that fails its check sets CancelRequested: the cancel
  // ending follows.
  BuildSessionListFromPage(d.control, d.exchange, value.Text());
  return true;
}

// Step 16: the end of a deployment that ran its course or was cancelled.
void EndDeployment() {
  if (IsInternetSessionOpen()) CloseInternetSession(true);
  if (CancelRequested()) {
    WriteLogLine("Canceled by user request.\r\n");
    EndEventLog();
  }
  EnableOwnerWindow();
  g_DeploymentRunning = false;
  if (CancelRequested()) {
    SetDeploymentBusy(0);
    return;
  }
  if (CurrentEmbedMode() == kEmbedOff) {
    FinishDeployment();
  } else {
    // Embedded sessions wait for the control's first paint, which knows
    // where they go.
    g_LaunchDeferred = true;
  }
}

}  // namespace

bool TakeDeferredLaunch() {
  bool deferred = g_LaunchDeferred && !g_DeploymentRunning;
  g_LaunchDeferred = false;
  return deferred;
}

void FinishDeployment() {
  // The launch waits in message loops: a page loaded meanwhile is refused
  // until it ends, since its deployment would rebuild the list launched.
  g_DeploymentRunning = true;
  CloseProgressDialog();
  for (int kind = 0; kind < kSessionKinds; ++kind) LoadVerifiedFlag(kind);
  LaunchSessions(g_LocalLaunch ? nullptr : g_IniFileName);
  SetDeploymentBusy(0);
  g_DeploymentRunning = false;
}

void RunDeployment(COleControl* control, CPropExchange* pPX) {
  // A container that saves the control's properties has no page to deploy:
  // a save must not download, write settings or show boxes.
  if (pPX->GetMode() == CPropExchange::kSave) return;
  if (g_DeploymentRunning) {
    WriteLogLine("A deployment is already running in this process; this one is refused.\r\n");
    return;
  }
  g_DeploymentRunning = true;

  Deployment d;
  d.control = control;
  g_DeployingControl = control;
  d.exchange = pPX;
  d.pageAddress[0] = '\0';
  d.message[0] = '\0';

  SetDeploymentBusy(1);
  g_LaunchDeferred = false;
  ResetProgressForDeployment();
  ClearSessionList();
  RenameCodeBaseSearchPath();
  if (!ApplyLogEvents(d)) return;
  ReadPageAddress(d);
  ReadMachinePolicy();

  CPropText value;
  bool tooLong = false;
  if (ReadParameter(d, "LocalLaunch", 0, &value, &tooLong) && BeginsWithY(value.Text())) {
    g_LocalLaunch = true;
    WriteLogLine("Local Launch is Enabled\r\n");
  } else {
    WriteLogLine("Local Launch is Disabled\r\n");
    if (!ApplyConnectionSettings(d) || !ApplyIniFile(d) || !OpenSession(d)) {
      EndClean();
      return;
    }
    WriteLogLineF("Client %%TEMP%% directory is %s\r\n", TempFolderPath());
    RemoveLeftoverDownloads();
    if (!CacheInitializationFile(d) || !PrepareMode(d)) {
      EndClean();
      return;
    }
    ReadCustomShortcuts(g_IniFileName);
    if (!UpdateComponents(d)) {
      if (CancelRequested()) {
        EndDeployment();
      } else {
        EndClean();
      }
      return;
    }
  }

  if (!ReadSessions(d)) {
    EndClean();
    return;
  }
  EndDeployment();
}

void NoteClientSiteChange(COleControl* control, void (*frameworkOnSetClientSite)(COleControl*)) {
  if (!IsControlSited()) {
    WriteLogLine("Entering OnSetClientSite( ) 1...\r\n");
    SetControlSited(true);
    frameworkOnSetClientSite(control);
    WriteLogLine("... (2) Leaving OnSetClientSite( ) 1\r\n");
    return;
  }
  WriteLogLine("Entering OnSetClientSite( ) 0...\r\n");
  SetControlSited(false);
  // The page went away (a navigation, the window closed) while this
  // control's deployment waited in its message loop, or before its paint
  // launched the embedded sessions: nothing more is done for that page, and
  // no box may be owned by its windows.
  if (control == g_DeployingControl) {
    if (g_DeploymentRunning && !CancelRequested()) {
      WriteLogLine("The page was left during the deployment; it ends here.\r\n");
      RequestCancel();
    } else if (g_LaunchDeferred) {
      WriteLogLine("The page was left before its sessions were launched; they are not.\r\n");
      g_LaunchDeferred = false;
      SetDeploymentBusy(0);
    }
    g_DeployingControl = nullptr;
  }
  // The page is going away: hide the first session embedded in it (the
  // container window's own procedure closes it when the window goes).
  if (SessionWindowTableIsOpen() && ContainerWindow() != nullptr) {
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      int slot = FindSessionSlotWithParent(kind, ContainerWindow());
      if (slot < 0) continue;
      ShowWindow(GetSessionWindow(kind, slot), SW_HIDE);
      frameworkOnSetClientSite(control);
      WriteLogLine("... (1) Leaving OnSetClientSite( ) 0\r\n");
      return;
    }
  }
  frameworkOnSetClientSite(control);
  WriteLogLine("... (2) Leaving OnSetClientSite( ) 0\r\n");
}
