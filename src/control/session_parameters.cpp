// The session-list builder's host in the control; see session_parameters.h.
#include "control/session_parameters.h"

#include <windows.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "base/check_parameter.h"
#include "base/event_log.h"
#include "download/cache_file.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"
#include "framework/ole_control.h"
#include "framework/prop_exchange.h"
#include "sessions/container_hook.h"
#include "sessions/session_state.h"
#include "sessions/portable/session_list.h"

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

  bool DesktopMode() override { return Settings().DesktopMode; }

  int EmbedMode() override { return CurrentEmbedMode(); }

  int RequestEmbedMode(int mode) override {
    SetEmbedMode((::EmbedMode)mode);
    IOleClientSite* site = control_->GetClientSite();
    if (site == nullptr) {
      SetEmbedMode(kEmbedOff);
    } else if (CurrentEmbedMode() != kEmbedOff) {
      IOleInPlaceSite* inPlace = nullptr;
      HWND window = nullptr;
      if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSite, (void**)&inPlace)) && inPlace) {
        if (FAILED(inPlace->GetWindow(&window))) window = nullptr;
        inPlace->Release();
      }
      if (window == nullptr) {
        // A browser may answer no window until its layout is done.
        WriteLogLine("Sessions start in their own windows: the page has no window yet.\r\n");
        SetEmbedMode(kEmbedOff);
      } else {
        SetContainerWindow(window);
        InstallContainerHook(window);
      }
    }
    return CurrentEmbedMode();
  }

  const char* FetchCookie(const char* address) override {
    return CacheFile(address, INVALID_HANDLE_VALUE, true) ? TransferredText() : nullptr;
  }

  void ShowCookieError(long code) override {
    char message[64];
    FormatText(message, sizeof message, "blk_ParseCookie( ) returned error code %d.", (int)code);
    control_->MessageBox(message, "Blockade API Error", MB_ICONEXCLAMATION | MB_SETFOREGROUND);
  }

  void DispatchPending() override { PumpMessages(1, true); }
  bool CancelRequested() override { return ::CancelRequested(); }
  void RequestCancel() override { ::RequestCancel(); }

 private:
  COleControl* control_;
  CPropExchange* exchange_;
};

}  // namespace

void BuildSessionListFromPage(COleControl* control, CPropExchange* exchange,
                              const char* sessions) {
  PageSessionHost host(control, exchange);
  BuildSessionList(sessions, &host, SessionListToBuild());
}
