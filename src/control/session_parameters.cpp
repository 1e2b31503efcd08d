// The session-list builder's host in the control; see session_parameters.h.
#include "control/session_parameters.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "config/deployment_settings.h"
#include "control/check_parameter.h"
#include "control/event_log.h"
#include "download/cache_file.h"
#include "download/message_pump.h"
#include "download/progress_dialog.h"
#include "framework/ole_control.h"
#include "framework/prop_exchange.h"
#include "sessions/container_hook.h"
#include "sessions/embedding_state.h"
#include "sessions/session_list.h"

namespace {

class PageSessionHost : public SessionListHost {
 public:
  PageSessionHost(COleControl* control, CPropExchange* exchange)
      : control_(control), exchange_(exchange) {}

  ParameterRead ReadParameter(const char* name, size_t capacity, char* value,
                              size_t valueSize) override {
    CPropText text;
    if (!PX_String(exchange_, name, &text)) return kParameterAbsent;
    if (capacity > 0 && CheckParameterLength(text.Text(), capacity, name))
      return kParameterTooLong;
    CopyText(value, valueSize, text.Text());
    return kParameterPresent;
  }

  void Log(const char* text) override { WriteLogLine(text); }

  bool DesktopMode() override { return g_DeploymentSettings.DesktopMode; }

  int EmbedMode() override { return g_EmbedMode; }

  int RequestEmbedMode(int mode) override {
    g_EmbedMode = (::EmbedMode)mode;
    IOleClientSite* site = control_->GetClientSite();
    if (site == nullptr) {
      g_EmbedMode = kEmbedOff;
    } else if (g_EmbedMode != kEmbedOff) {
      IOleInPlaceSite* inPlace = nullptr;
      HWND window = nullptr;
      if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSite, (void**)&inPlace)) && inPlace) {
        if (FAILED(inPlace->GetWindow(&window))) window = nullptr;
        inPlace->Release();
      }
      if (window == nullptr) {
        g_EmbedMode = kEmbedOff;
      } else {
        g_ContainerWindow = window;
        InstallContainerHook(window);
      }
    }
    return g_EmbedMode;
  }

  const char* FetchCookie(const char* address) override {
    return CacheFile(address, INVALID_HANDLE_VALUE, true) ? TransferBuffer : nullptr;
  }

  void ShowCookieError(long code) override {
    char message[64];
    FormatText(message, sizeof message, "blk_ParseCookie( ) returned error code %d.", (int)code);
    control_->MessageBox(message, "Blockade API Error", MB_ICONEXCLAMATION | MB_SETFOREGROUND);
  }

  void DispatchPending() override { PumpMessages(0, true); }
  bool CancelRequested() override { return ::CancelRequested != 0; }
  void RequestCancel() override { ::CancelRequested = 1; }

 private:
  COleControl* control_;
  CPropExchange* exchange_;
};

}  // namespace

void BuildSessionListFromPage(COleControl* control, CPropExchange* exchange,
                              const char* sessions) {
  PageSessionHost host(control, exchange);
  BuildSessionList(sessions, &host, &g_SessionList);
}
