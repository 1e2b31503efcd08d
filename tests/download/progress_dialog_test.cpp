// The progress dialog on the real platform: ending it, owner, values shown, module exit.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "base/message_pump.h"
#include "base/module_folders.h"
#include "download/progress_dialog.h"

namespace {

std::string ItemText(int id) {
  char text[256] = {};
  GetDlgItemTextA(ProgressDialogWindow(), id, text, sizeof text);
  return text;
}

int BarPosition(int id) {
  return (int)SendDlgItemMessageA(ProgressDialogWindow(), id, PBM_GETPOS, 0, 0);
}

class ProgressDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    SetModuleResources(GetModuleHandleA(nullptr));
    ResetProgressForDeployment();
  }
  void TearDown() override {
    EXPECT_TRUE(DestroyProgressDialogAndWait(2000));
    EnableOwnerWindow();
    if (owner_) DestroyWindow(owner_);
    owner_ = nullptr;
    PumpMessages(0, true);
  }
  // An active top-level window, as the browser is when a deployment starts.
  HWND MakeActiveOwner() {
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                             200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner_);
    SetActiveWindow(owner_);
    // Wine hands activation over through the X server, late under load.
    for (int i = 0; i < 100 && GetActiveWindow() != owner_; ++i) PumpMessages(20, true);
    return owner_;
  }
  HWND owner_ = nullptr;
};

// Every way the user ends the dialog, and the deployment closing it: a user's cancel is seen, the
// dialog is gone at once, and the browser stays disabled until the driver finishes.
TEST_F(ProgressDialogTest, CancelAndCloseBoxSetTheFlagAndDestroyTheDialog) {
  const struct {
    const char* name;
    void (*act)(HWND dialog);
    bool cancels = true;
  } ways[] = {
      {"Cancel clicked", [](HWND d) { SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }},
      {"close box", [](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); }},
      {"system menu Close", [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Esc while a wait pumps",
       [](HWND d) {
         PostMessageA(GetDlgItem(d, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         PumpMessages(50, true);
       }},
      {"closed by the deployment", [](HWND) { CloseProgressDialog(); }, false},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    ResetProgressForDeployment();
    HWND owner = MakeActiveOwner();
    ASSERT_TRUE(CreateProgressDialog(false));
    HWND dialog = ProgressDialogWindow();
    EXPECT_FALSE(IsWindowEnabled(owner));
    way.act(dialog);
    EXPECT_EQ(way.cancels, CancelRequested());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(ProgressDialogDestroyed());
    EXPECT_FALSE(IsWindowEnabled(owner));
    EnableOwnerWindow();
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
    owner_ = nullptr;
  }
}

TEST_F(ProgressDialogTest, QuickSuccessiveValuesShowTheNewestAndANewDialogStartsAfresh) {
  ASSERT_TRUE(CreateProgressDialog(true));
  // The first value of each control shows at once.
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 10);
  SetProgressItemText(IDC_COMPONENT_LINE, "A.cab");
  EXPECT_EQ(10, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("A.cab", ItemText(IDC_COMPONENT_LINE));
  DWORD start = GetTickCount();
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 20);
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 30);
  SetProgressItemText(IDC_COMPONENT_LINE, "B.cab");
  while (GetTickCount() - start < 1000 && BarPosition(IDC_DOWNLOAD_BAR) != 30) {
    PumpMessages(5, true);
  }
  EXPECT_EQ(30, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("B.cab", ItemText(IDC_COMPONENT_LINE));
  EXPECT_LT(GetTickCount() - start, 300u);
  // A value waiting when a status line pauses the deployment shows first; the line stays a moment.
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
  start = GetTickCount();
  SetStatusText("Installing Kestrava Mainframe Display");
  EXPECT_GE(GetTickCount() - start, 95u);
  EXPECT_EQ(40, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("Installing Kestrava Mainframe Display", ItemText(IDC_STATUS_LINE));
  // A new dialog starts afresh.
  CloseProgressDialog();
  ASSERT_TRUE(CreateProgressDialog(true));
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
  EXPECT_EQ(40, BarPosition(IDC_DOWNLOAD_BAR));
}

struct DialogThread {
  HANDLE ready, go;  // go: the thread pumps its messages from then on
  HWND dialog;
};

DWORD WINAPI RunDialogThread(void* param) {
  auto* state = (DialogThread*)param;
  CreateProgressDialog(false);
  state->dialog = ProgressDialogWindow();
  SetEvent(state->ready);
  WaitForSingleObject(state->go, 5000);
  MSG msg;
  while (state->dialog && IsWindow(state->dialog) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    DispatchMessageA(&msg);
  }
  return 0;
}

// Module exit on another thread: the dialog's own thread destroys it; until then the module stays.
TEST_F(ProgressDialogTest, ModuleExitClosesADialogOfAnotherThread) {
  DialogThread state = {CreateEventA(nullptr, TRUE, FALSE, nullptr),
                        CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
  HANDLE thread = CreateThread(nullptr, 0, RunDialogThread, &state, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.ready, 5000));
  ASSERT_NE(nullptr, state.dialog);
  EXPECT_FALSE(DestroyProgressDialogAndWait(200));
  EXPECT_FALSE(ProgressDialogGone());
  SetEvent(state.go);
  EXPECT_TRUE(DestroyProgressDialogAndWait(5000));
  EXPECT_FALSE(IsWindow(state.dialog));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
  CloseHandle(thread);
  CloseHandle(state.ready);
  CloseHandle(state.go);
}

// The browser is closing: its quit message is neither lost nor taken for a failure.
TEST_F(ProgressDialogTest, ModuleExitKeepsTheQuitAndUnregistersTheClass) {
  ASSERT_TRUE(CreateProgressDialog(true));
  PostQuitMessage(3);
  EXPECT_TRUE(DestroyProgressDialogAndWait(2000));
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  EXPECT_FALSE(GetClassInfoExA(ModuleResources(), "WevelinkDlgClass", &wc));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
