// The deployment sequence: read the page's parameters, open the event log,
// find the server, then hand over to the download, configuration and
// session steps, and end in one of three ways (clean, cancelled, launched).
// The driver decides the order and logs each step; the work is done by the
// operations it calls.
#include "control/deployment_driver.h"

#include "common/bounded_text.h"
#include "control/browser_settings.h"
#include "control/check_parameter.h"
#include "control/event_log.h"
#include "control/page_values.h"
#include "download/internet_session.h"
#include "download/message_pump.h"
#include "download/progress_dialog.h"
#include "framework/ole_control.h"
#include "framework/prop_exchange.h"

bool g_LocalLaunch = false;
char g_IniFileName[260] = "Default.Ini";
volatile BYTE ControlSited = 0;

namespace {

const UINT kErrorStyle = MB_ICONEXCLAMATION | MB_SETFOREGROUND;
const char kCacheErrorCaption[] = "Web-to-Host Control - Cache Error";

// Refuses a deployment that starts while another one of this process waits
// in a message loop. Process-local on purpose: a shared busy word can be
// left set by another process or by one that crashed.
bool g_DeploymentRunning = false;

// One deployment's locals, passed between the steps.
struct Deployment {
  COleControl* control;
  CPropExchange* exchange;
  char pageAddress[260];
  char message[260];
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
  d.control->MessageBox(d.message, caption, kErrorStyle);
}

// The clean ending of every deployment that does not reach its last step.
void EndClean() {
  EndEventLog();
  EnableOwnerWindow();
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
    g_CacheRetries = ParseNumber(value.Text());
    WriteLogLineF("Cache Retries is %ld\r\n", g_CacheRetries);
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
    WriteLogTimeStamp();
    WriteLogText(d.message);
    WriteLogText("\r\n");
    EndEventLog();
    ShowDriverMessage(d, kCacheErrorCaption);
    return false;
  }
  if (tooLong) return false;
  WriteLogTimeStamp();
  WriteLogText("IniFile=");
  WriteLogText(value.Text());
  WriteLogText("\r\n");
  // Both outputs are prefixes of texts that passed a 260 check: they fit.
  DeriveServerLocation(value.Text(), d.pageAddress, g_ServerUrl, sizeof g_ServerUrl,
                       g_IniFileName, sizeof g_IniFileName);
  ParseServerPort();
  WriteLogLineF("Server URL is %s on Port %d\r\n", g_ServerUrl, g_ServerPort);
  return true;
}

// Step 15. False when the deployment has ended.
bool ReadSessions(Deployment& d) {
  CPropText value;
  bool tooLong = false;
  if (!ReadParameter(d, "Sessions", 64, &value, &tooLong)) return true;
  if (tooLong) return false;
  WriteLogLineF("Sessions: %s\r\n", value.Text());
  return true;
}

// Step 16: the end of a deployment that ran its course or was cancelled.
void EndDeployment() {
  if (CancelRequested) {
    WriteLogLine("Canceled by user request.\r\n");
    EndEventLog();
  }
  EnableOwnerWindow();
  if (!CancelRequested) CloseProgressDialog();
  g_DeploymentRunning = false;
}

}  // namespace

void RunDeployment(COleControl* control, CPropExchange* pPX) {
  if (g_DeploymentRunning) {
    WriteLogLine("A deployment is already running in this process; this one is refused.\r\n");
    return;
  }
  g_DeploymentRunning = true;

  Deployment d;
  d.control = control;
  d.exchange = pPX;
  d.pageAddress[0] = '\0';
  d.message[0] = '\0';

  ResetProgressForDeployment();
  RenameCodeBaseSearchPath();
  if (!ApplyLogEvents(d)) return;
  ReadPageAddress(d);

  CPropText value;
  bool tooLong = false;
  if (ReadParameter(d, "LocalLaunch", 0, &value, &tooLong) && BeginsWithY(value.Text())) {
    g_LocalLaunch = true;
    WriteLogLine("Local Launch is Enabled\r\n");
  } else {
    WriteLogLine("Local Launch is Disabled\r\n");
    if (!ApplyConnectionSettings(d) || !ApplyIniFile(d)) {
      EndClean();
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
  if (!ControlSited) {
    WriteLogLine("Entering OnSetClientSite( ) 1...\r\n");
    ControlSited = 1;
    frameworkOnSetClientSite(control);
    WriteLogLine("... (2) Leaving OnSetClientSite( ) 1\r\n");
    return;
  }
  WriteLogLine("Entering OnSetClientSite( ) 0...\r\n");
  ControlSited = 0;
  frameworkOnSetClientSite(control);
  WriteLogLine("... (2) Leaving OnSetClientSite( ) 0\r\n");
}
