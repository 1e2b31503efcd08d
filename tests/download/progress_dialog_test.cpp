// The progress dialog on the real platform: both forms as the templates build
// them, where it appears and how it paints, how Cancel and the close box end
// it, the owner window, the overall progress, and its destruction at module
// exit.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/portable/bounded_text.h"
#include "base/module_folders.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"

namespace {

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ItemText(int id) { return TextOf(GetDlgItem(ProgressDialogWindow(), id)); }

int BarPosition(int id) {
  return (int)SendDlgItemMessageA(ProgressDialogWindow(), id, PBM_GETPOS, 0, 0);
}

struct Child {
  HWND window;
  int id;
  std::string className;
  std::string text;
  RECT rect;  // in the dialog's client coordinates
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), (POINT*)&rect, 2);
  auto* children = (std::vector<Child>*)param;
  children->push_back({window, GetDlgCtrlID(window), name, TextOf(window), rect});
  return TRUE;
}

std::vector<Child> ChildrenOf(HWND dialog) {
  std::vector<Child> children;
  EnumChildWindows(dialog, CollectChild, (LPARAM)&children);
  return children;
}

// One row of a template: the control is found by id, or by its text when it
// has none.
struct TemplateRow {
  int id;
  const char* className;
  const char* text;
  int x, y, w, h;
  LONG textStyle;  // SS_LEFT, SS_LEFTNOWORDWRAP or SS_RIGHT for statics
};

const TemplateRow kWebRows[] = {
    {1001, "Static",
     "Cache Message: The Web Administrator has posted files for updating ... please wait.", 75, 10,
     141, 16, SS_LEFT},
    {1002, "Static", "", 10, 39, 187, 8, SS_LEFTNOWORDWRAP},
    {1003, "msctls_progress32", "", 10, 50, 208, 10, 0},
    {1004, "Static", "v3", 38, 18, 20, 8, SS_LEFTNOWORDWRAP},
    {IDCANCEL, "Button", "Cancel", 88, 69, 50, 14, 0},
};

const TemplateRow kDesktopRows[] = {
    {-1, "Static",
     "Desktop Mode:  The Web Administrator has posted updated files for installation ... "
     "please wait.",
     42, 10, 196, 16, SS_LEFT},
    {-1, "Static", "Download Progress:", 10, 38, 64, 8, SS_LEFTNOWORDWRAP},
    {1002, "Static", "", 83, 38, 76, 8, SS_LEFTNOWORDWRAP},
    {1008, "Static", "0KB/0KB ", 170, 38, 71, 8, SS_RIGHT},
    {1003, "msctls_progress32", "", 10, 48, 232, 10, 0},
    {1006, "Static", "", 10, 64, 169, 8, SS_LEFTNOWORDWRAP},
    {1009, "Static", "0% ", 190, 64, 51, 8, SS_RIGHT},
    {1007, "msctls_progress32", "", 10, 74, 232, 10, 0},
    {IDCANCEL, "Button", "Cancel", 101, 93, 50, 14, 0},
};

void ExpectControls(HWND dialog, const TemplateRow* rows, size_t count) {
  std::vector<Child> children = ChildrenOf(dialog);
  EXPECT_EQ(count, children.size());
  for (size_t i = 0; i < count; ++i) {
    const TemplateRow& row = rows[i];
    SCOPED_TRACE(testing::Message() << "row " << i << " id " << row.id << " \"" << row.text << "\"");
    const Child* found = nullptr;
    for (const Child& child : children) {
      if (row.id != -1 ? child.id == row.id : (child.id == -1 && child.text == row.text)) {
        found = &child;
      }
    }
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(0, CompareTextNoCase(row.className, found->className.c_str())) << found->className;
    EXPECT_EQ(row.text, found->text);
    // The dialog manager converts place and size each on its own.
    RECT place = {row.x, row.y, row.w, row.h};
    ASSERT_TRUE(MapDialogRect(dialog, &place));
    EXPECT_EQ(place.left, found->rect.left);
    EXPECT_EQ(place.top, found->rect.top);
    EXPECT_EQ(place.right, found->rect.right - found->rect.left);
    EXPECT_EQ(place.bottom, found->rect.bottom - found->rect.top);
    LONG style = GetWindowLongA(found->window, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    if (CompareTextNoCase(row.className, "Static") == 0) {
      EXPECT_EQ(row.textStyle, style & SS_TYPEMASK);
    }
  }
}

// The picture as it appears on screen at (x, y): its own colours where it
// is opaque, the dialog's face where it has the transparent colour.
void ExpectPicture(HWND dialog, int bitmapId, int x0, int y0, COLORREF transparent) {
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HBITMAP picture = LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(bitmapId));
  ASSERT_NE(nullptr, picture);
  BITMAP info;
  GetObjectA(picture, sizeof info, &info);
  HDC pictureDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(pictureDc, picture);
  HDC screen = GetDC(dialog);
  std::vector<Child> children = ChildrenOf(dialog);
  int checked = 0, opaque = 0, mismatches = 0;
  for (int y = 0; y < info.bmHeight; ++y) {
    for (int x = 0; x < info.bmWidth; ++x) {
      POINT at = {x0 + x, y0 + y};
      bool covered = false;  // the version label sits over the web picture
      for (const Child& child : children) covered = covered || PtInRect(&child.rect, at);
      if (covered) continue;
      COLORREF source = GetPixel(pictureDc, x, y);
      COLORREF expected = source == transparent ? GetSysColor(COLOR_BTNFACE) : source;
      COLORREF shown = GetPixel(screen, at.x, at.y);
      ++checked;
      if (source != transparent) ++opaque;
      if (shown != expected && ++mismatches <= 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << " shows " << std::hex << shown
                      << " instead of " << expected;
      }
    }
  }
  EXPECT_EQ(0, mismatches);
  EXPECT_GT(checked, info.bmWidth * info.bmHeight / 2);
  EXPECT_GT(opaque, checked / 4);
  EXPECT_LT(opaque, checked);
  ReleaseDC(dialog, screen);
  SelectObject(pictureDc, old);
  DeleteDC(pictureDc);
  DeleteObject(picture);
}

// What the dialog's WM_CTLCOLORSTATIC for a control answers and leaves in
// the DC.
struct StaticColours {
  LRESULT brush;
  COLORREF text, background;
};

StaticColours ColoursOf(int id) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  StaticColours colours;
  colours.brush = SendMessageA(ProgressDialogWindow(), WM_CTLCOLORSTATIC, (WPARAM)dc,
                               (LPARAM)GetDlgItem(ProgressDialogWindow(), id));
  colours.text = GetTextColor(dc);
  colours.background = GetBkColor(dc);
  DeleteDC(dc);
  return colours;
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
    PumpMessages(0, true);
  }

  // A top-level window of the test that is active, as the browser is when a
  // deployment starts.
  HWND MakeActiveOwner() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ProgressTestOwner";
    RegisterClassA(&wc);  // already registered by an earlier test: fine
    owner_ = CreateWindowExA(0, "ProgressTestOwner", "owner", WS_OVERLAPPEDWINDOW, 50, 50, 300,
                             200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(owner_, SW_SHOW);
    SetForegroundWindow(owner_);
    SetActiveWindow(owner_);
    // Wine hands activation over through the X server, late under load.
    for (int i = 0; i < 100 && GetActiveWindow() != owner_; ++i) PumpMessages(20, true);
    return owner_;
  }

  HWND owner_ = nullptr;
};

TEST_F(ProgressDialogTest, EachFormHasItsControlsPlaceColoursAndPicture) {
  for (bool desktop : {false, true}) {
    SCOPED_TRACE(desktop ? "desktop" : "web");
    ASSERT_TRUE(CreateProgressDialog(desktop));
    HWND dialog = ProgressDialogWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(desktop, IsProgressDialogDesktopMode());
    char className[64] = {};
    GetClassNameA(dialog, className, sizeof className);
    EXPECT_STREQ("WevelinkDlgClass", className);
    EXPECT_EQ("Web-to-Host Control", TextOf(dialog));
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    EXPECT_EQ(wanted, style & wanted) << std::hex << style;
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(nullptr, GetParent(dialog));
    EXPECT_EQ(nullptr, GetWindow(dialog, GW_OWNER));
    if (desktop) {
      ExpectControls(dialog, kDesktopRows, ARRAYSIZE(kDesktopRows));
    } else {
      ExpectControls(dialog, kWebRows, ARRAYSIZE(kWebRows));
      RECT client = {0, 0, 227, 90};
      MapDialogRect(dialog, &client);
      RECT actual;
      GetClientRect(dialog, &actual);
      EXPECT_EQ(client.right, actual.right);
      EXPECT_EQ(client.bottom, actual.bottom);
    }

    // Centred, 20 pixels above the middle of the screen.
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2, rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2 - 20, rect.top);

    // Only the web form's version label is dark green on the button face.
    if (!desktop) {
      StaticColours label = ColoursOf(IDC_VERSION_LABEL);
      EXPECT_EQ((LRESULT)GetSysColorBrush(COLOR_BTNFACE), label.brush);
      EXPECT_EQ(RGB(0, 128, 0), label.text);
      EXPECT_EQ(GetSysColor(COLOR_BTNFACE), label.background);
    }
    EXPECT_NE(RGB(0, 128, 0), ColoursOf(desktop ? IDC_COMPONENT_LINE : IDC_PROGRESS_MESSAGE).text);

    if (desktop) {
      ExpectPicture(dialog, IDB_PROGRESS_DESKTOP, 14, 13, RGB(255, 0, 0));
    } else {
      ExpectPicture(dialog, IDB_PROGRESS_WEB, 8, 6, RGB(255, 255, 255));
    }
    CloseProgressDialog();
  }
}

// Every way the user can end the dialog: the deployment must see the cancel,
// the dialog must be gone at once, and the browser must stay disabled until
// the driver finishes.
TEST_F(ProgressDialogTest, CancelAndCloseBoxSetTheFlagAndDestroyTheDialog) {
  struct Way {
    const char* name;
    void (*act)(HWND dialog);
  };
  const Way ways[] = {
      {"Cancel clicked", [](HWND d) { SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }},
      {"WM_COMMAND IDCANCEL", [](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
      {"close box (WM_CLOSE)", [](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); }},
      {"system menu Close", [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Esc while a wait pumps",
       [](HWND d) {
         PostMessageA(GetDlgItem(d, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         PumpMessages(50, true);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    ResetProgressForDeployment();
    HWND owner = MakeActiveOwner();
    ASSERT_EQ(owner, GetActiveWindow());
    ASSERT_TRUE(CreateProgressDialog(false));
    HWND dialog = ProgressDialogWindow();
    EXPECT_EQ(owner, ProgressOwnerWindow());
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_FALSE(CancelRequested());

    way.act(dialog);
    EXPECT_TRUE(CancelRequested());
    EXPECT_EQ(nullptr, ProgressDialogWindow());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(ProgressDialogDestroyed());
    EXPECT_FALSE(IsWindowEnabled(owner));

    EnableOwnerWindow();
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(nullptr, ProgressOwnerWindow());
    DestroyWindow(owner);
    owner_ = nullptr;
  }
}

TEST_F(ProgressDialogTest, ClosingForgetsTheDialogButNotTheOwner) {
  HWND owner = MakeActiveOwner();
  ASSERT_TRUE(CreateProgressDialog(false));
  HWND dialog = ProgressDialogWindow();
  CloseProgressDialog();  // clears the flag, then the last message sets it
  EXPECT_TRUE(ProgressDialogDestroyed());
  EXPECT_EQ(nullptr, ProgressDialogWindow());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(CancelRequested());  // closing is not cancelling
  CloseProgressDialog();          // nothing left to close

  // The dialog is now the last active window, not the browser; the owner
  // remembered at the first creation must stay the one that is re-enabled.
  ASSERT_TRUE(CreateProgressDialog(false));
  EXPECT_EQ(owner, ProgressOwnerWindow());
  EnableOwnerWindow();
  EXPECT_TRUE(IsWindowEnabled(owner));
  // A second call finds nothing to enable.
  EnableWindow(owner, FALSE);
  EnableOwnerWindow();
  EXPECT_FALSE(IsWindowEnabled(owner));
  EnableWindow(owner, TRUE);
}

TEST_F(ProgressDialogTest, SixKindsBringTheOverallBarTo72AndBeyond100OnlyTheTextCounts) {
  ASSERT_TRUE(CreateProgressDialog(true));
  for (int kind = 0; kind < 6; ++kind) AdvanceOverallProgress(12);
  EXPECT_EQ(72, OverallProgressSteps());
  EXPECT_EQ(72, BarPosition(IDC_OVERALL_BAR));
  EXPECT_EQ("72% ", ItemText(IDC_PERCENTAGE));

  AdvanceOverallProgress(48);
  EXPECT_EQ(120, OverallProgressSteps());
  EXPECT_EQ(100, BarPosition(IDC_OVERALL_BAR));
  EXPECT_EQ("120% ", ItemText(IDC_PERCENTAGE));
  EXPECT_EQ(0, BarPosition(IDC_DOWNLOAD_BAR));
}

TEST_F(ProgressDialogTest, QuickSuccessiveValuesWaitForTheRefreshTimerAndTheNewestShows) {
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
  if (GetTickCount() - start < 40) {  // a stalled machine may find the interval over
    EXPECT_EQ(10, BarPosition(IDC_DOWNLOAD_BAR));
    EXPECT_EQ("A.cab", ItemText(IDC_COMPONENT_LINE));
  }
  // The dialog's timer shows the newest values while messages are dispatched.
  while (GetTickCount() - start < 1000 && BarPosition(IDC_DOWNLOAD_BAR) != 30) PumpMessages(5, true);
  EXPECT_EQ(30, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("B.cab", ItemText(IDC_COMPONENT_LINE));
  EXPECT_LT(GetTickCount() - start, 300u);
  // A value waiting when a status line pauses the deployment shows first.
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
  SetStatusText("Installing Kestrava Mainframe Display");
  EXPECT_EQ(40, BarPosition(IDC_DOWNLOAD_BAR));
  // A new dialog starts afresh.
  CloseProgressDialog();
  ASSERT_TRUE(CreateProgressDialog(true));
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
  SetProgressItemText(IDC_COMPONENT_LINE, "A.cab");
  EXPECT_EQ(40, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("A.cab", ItemText(IDC_COMPONENT_LINE));
}

TEST_F(ProgressDialogTest, WithoutADialogTheCounterAdvancesAtOnceAndWrapsAt256) {
  ASSERT_EQ(nullptr, ProgressDialogWindow());
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&before);
  AdvanceOverallProgress(12);
  QueryPerformanceCounter(&after);
  double ms = (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
  EXPECT_EQ(12, OverallProgressSteps());
  EXPECT_LT(ms, 5.0);

  AdvanceOverallProgress(0);
  EXPECT_EQ(12, OverallProgressSteps());
  SetProgressItemText(IDC_COMPONENT_LINE, "Kvmd.cab");  // no dialog: nothing to write
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 10);
  EXPECT_EQ(nullptr, ProgressDialogWindow());
  AdvanceOverallProgress(250);
  EXPECT_EQ(6, OverallProgressSteps());
  ResetProgressForDeployment();
  EXPECT_EQ(0, OverallProgressSteps());
}

TEST_F(ProgressDialogTest, WritesReachTheDesktopFormAndTheWebFormIgnoresItsMissingControls) {
  ASSERT_TRUE(CreateProgressDialog(true));
  SetProgressItemText(IDC_COMPONENT_LINE, "Kvmd.cab");
  SetProgressItemText(IDC_KILOBYTES, "1234KB/3000KB ");
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
  DWORD start = GetTickCount();
  SetStatusText("Installing Kestrava Mainframe Display");
  DWORD spent = GetTickCount() - start;
  EXPECT_EQ("Kvmd.cab", ItemText(IDC_COMPONENT_LINE));
  EXPECT_EQ("1234KB/3000KB ", ItemText(IDC_KILOBYTES));
  EXPECT_EQ(40, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("Installing Kestrava Mainframe Display", ItemText(IDC_STATUS_LINE));
  EXPECT_GE(spent, 95u);  // the status line stays readable for a moment
  EXPECT_LT(spent, 300u);
  CloseProgressDialog();

  ASSERT_TRUE(CreateProgressDialog(false));
  for (int id : {1006, 1007, 1008, 1009}) EXPECT_EQ(nullptr, GetDlgItem(ProgressDialogWindow(), id)) << id;
  std::vector<Child> before = ChildrenOf(ProgressDialogWindow());
  SetStatusText("Installing Kestrava Mainframe Display");
  AdvanceOverallProgress(3);
  SetProgressItemText(IDC_KILOBYTES, "1KB/2KB ");
  SetProgressBarPosition(IDC_OVERALL_BAR, 50);
  SetProgressItemText(IDC_PERCENTAGE, "50% ");
  ASSERT_TRUE(IsWindow(ProgressDialogWindow()));
  std::vector<Child> after = ChildrenOf(ProgressDialogWindow());
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(before[i].text, after[i].text) << "control " << after[i].id;
  }
}

TEST_F(ProgressDialogTest, ModuleExitDestroysWaitsAndUnregistersTheClass) {
  ASSERT_TRUE(CreateProgressDialog(true));
  HWND dialog = ProgressDialogWindow();
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  EXPECT_TRUE(GetClassInfoExA(ModuleResources(), "WevelinkDlgClass", &wc));
  EXPECT_EQ((WNDPROC)DefDlgProcA, wc.lpfnWndProc);
  EXPECT_EQ(DLGWINDOWEXTRA, wc.cbWndExtra);
  EXPECT_EQ((UINT)CS_OWNDC, wc.style);
  EXPECT_EQ(nullptr, wc.hbrBackground);
  EXPECT_NE(nullptr, wc.hIcon);

  // The browser is closing: its quit message waits in the queue and must be
  // neither lost nor taken for a failure.
  PostQuitMessage(3);
  EXPECT_TRUE(DestroyProgressDialogAndWait(2000));
  EXPECT_TRUE(ProgressDialogDestroyed());
  EXPECT_EQ(nullptr, ProgressDialogWindow());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(GetClassInfoExA(ModuleResources(), "WevelinkDlgClass", &wc));
  EXPECT_FALSE(CancelRequested());
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
    DispatchMessageA(&msg);
  }
  EXPECT_EQ((UINT)WM_QUIT, msg.message);

  // Nothing to destroy: returns at once.
  DWORD start = GetTickCount();
  EXPECT_TRUE(DestroyProgressDialogAndWait(2000));
  EXPECT_LT(GetTickCount() - start, 100u);
}

struct DialogThread {
  HANDLE ready;
  HWND dialog;
};

DWORD WINAPI RunDialogThread(void* param) {
  auto* state = (DialogThread*)param;
  CreateProgressDialog(false);
  state->dialog = ProgressDialogWindow();
  SetEvent(state->ready);
  MSG msg;
  while (state->dialog && IsWindow(state->dialog) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

// Module exit may run on another thread than the one that showed the dialog;
// that thread must destroy it, and the wait must end when it has.
TEST_F(ProgressDialogTest, ModuleExitClosesADialogOfAnotherThread) {
  DialogThread state = {CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
  HANDLE thread = CreateThread(nullptr, 0, RunDialogThread, &state, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.ready, 5000));
  ASSERT_NE(nullptr, state.dialog);

  EXPECT_TRUE(DestroyProgressDialogAndWait(5000));
  EXPECT_FALSE(IsWindow(state.dialog));
  EXPECT_EQ(nullptr, ProgressDialogWindow());
  EXPECT_FALSE(CancelRequested());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
  CloseHandle(thread);
  CloseHandle(state.ready);
}

}  // namespace
