// The progress dialog on the real platform: where it appears, how Cancel and
// the close box end it, the owner window, the values it shows and its
// destruction at module exit; and its transparent drawing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/message_pump.h"
#include "base/module_folders.h"
#include "download/progress_dialog.h"
#include "download/transparent_bitmap.h"

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

// Every way the user can end the dialog: the deployment must see the cancel,
// the dialog must be gone at once, and the browser must stay disabled until
// the driver finishes.
TEST_F(ProgressDialogTest, CancelAndCloseBoxSetTheFlagAndDestroyTheDialog) {
  const struct {
    const char* name;
    void (*act)(HWND dialog);
  } ways[] = {
      {"Cancel clicked", [](HWND d) { SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }},
      {"WM_COMMAND IDCANCEL", [](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
      {"close box", [](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); }},
      {"system menu Close", [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Esc while a wait pumps",
       [](HWND d) {
         PostMessageA(GetDlgItem(d, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         PumpMessages(50, true);
       }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    ResetProgressForDeployment();
    HWND owner = MakeActiveOwner();
    ASSERT_EQ(owner, GetActiveWindow());
    ASSERT_TRUE(CreateProgressDialog(false));
    HWND dialog = ProgressDialogWindow();
    EXPECT_EQ(owner, ProgressOwnerWindow());
    EXPECT_FALSE(IsWindowEnabled(owner));
    // Centred, 20 pixels above the middle of the screen.
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2, rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2 - 20, rect.top);
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

TEST_F(ProgressDialogTest, ClosingIsNotCancellingAndTheFirstOwnerIsKept) {
  HWND owner = MakeActiveOwner();
  ASSERT_TRUE(CreateProgressDialog(false));
  HWND dialog = ProgressDialogWindow();
  CloseProgressDialog();
  EXPECT_TRUE(ProgressDialogDestroyed());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(CancelRequested());
  // The dialog was the last active window; the owner of the first creation
  // stays the one that is re-enabled, and only once.
  ASSERT_TRUE(CreateProgressDialog(false));
  EXPECT_EQ(owner, ProgressOwnerWindow());
  EnableOwnerWindow();
  EXPECT_TRUE(IsWindowEnabled(owner));
  EnableWindow(owner, FALSE);
  EnableOwnerWindow();
  EXPECT_FALSE(IsWindowEnabled(owner));
  EnableWindow(owner, TRUE);
}

TEST_F(ProgressDialogTest, QuickSuccessiveValuesWaitForTheRefreshAndTheNewestShows) {
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
  while (GetTickCount() - start < 1000 && BarPosition(IDC_DOWNLOAD_BAR) != 30) {
    PumpMessages(5, true);
  }
  EXPECT_EQ(30, BarPosition(IDC_DOWNLOAD_BAR));
  EXPECT_EQ("B.cab", ItemText(IDC_COMPONENT_LINE));
  EXPECT_LT(GetTickCount() - start, 300u);
  // A value waiting when a status line pauses the deployment shows first,
  // and the status line stays readable for a moment.
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

// The browser is closing: its quit message must be neither lost nor taken
// for a failure, and the class goes with the dialog.
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

// Transparent drawing by the mask method on real device contexts.
const COLORREF kBackground = RGB(10, 20, 200);
const int kTargetSize = 40;

// A memory device context holding a target bitmap compatible with the
// screen, filled with kBackground.
struct Target {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;

  Target() {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, kTargetSize, kTargetSize);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(kBackground);
    RECT all = {0, 0, kTargetSize, kTargetSize};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

// A small bitmap compatible with the screen, pixel by pixel, as a resource
// bitmap is once loaded.
HBITMAP MakeBitmap(const std::vector<std::vector<COLORREF>>& rows) {
  HDC screen = GetDC(nullptr);
  int h = (int)rows.size();
  int w = (int)rows[0].size();
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetPixel(dc, x, y, rows[y][x]);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

// The bitmap's pixels, row by row, read while no other context holds it.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap, BITMAP* info) {
  GetObjectA(bitmap, sizeof *info, info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < info->bmHeight; ++y) {
    for (int x = 0; x < info->bmWidth; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return pixels;
}

// Compares every target pixel with what the mask method must leave: the
// bitmap's colour inside its area unless it is the transparent colour, the
// background everywhere else.
void ExpectDrawn(const Target& target, HBITMAP bitmap, int left, int top, COLORREF transparent) {
  BITMAP info;
  std::vector<COLORREF> source = PixelsOf(bitmap, &info);
  int mismatches = 0;
  for (int y = 0; y < kTargetSize; ++y) {
    for (int x = 0; x < kTargetSize; ++x) {
      COLORREF expected = kBackground;
      int bx = x - left;
      int by = y - top;
      if (bx >= 0 && by >= 0 && bx < info.bmWidth && by < info.bmHeight) {
        COLORREF own = source[by * info.bmWidth + bx];
        if (own != transparent) expected = own;
      }
      COLORREF shown = GetPixel(target.dc, x, y);
      if (shown != expected && ++mismatches <= 5) {
        ADD_FAILURE() << "target " << x << "," << y << " is " << std::hex << shown << " not "
                      << expected;
      }
    }
  }
  EXPECT_EQ(0, mismatches);
}

const COLORREF W = RGB(255, 255, 255);
const COLORREF R = RGB(255, 0, 0);
const COLORREF G = RGB(0, 160, 60);
const COLORREF K = RGB(0, 0, 0);
const COLORREF N = RGB(254, 255, 255);  // near white: must stay visible

HBITMAP Pattern() {
  return MakeBitmap({
      {W, W, G, W, R},
      {K, N, W, G, R},
      {W, R, G, K, W},
  });
}

// Only the part that fits the target is compared; drawing past its edge
// must simply be clipped. The caller's bitmap is left as it was.
TEST(DrawTransparentBitmap, TheTransparentColourIsLeftOutAndEverythingElseDrawn) {
  SetModuleResources(GetModuleHandleA(nullptr));
  const struct {
    const char* what;
    HBITMAP bitmap;
    int left, top;
    COLORREF transparent;
  } rows[] = {
      {"white left out", Pattern(), 7, 11, W},
      {"red left out, white drawn", Pattern(), 0, 0, R},
      {"web picture", LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(IDB_PROGRESS_WEB)), 2, 1, W},
      {"desktop picture", LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(IDB_PROGRESS_DESKTOP)),
       2, 1, R},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_NE(nullptr, row.bitmap);
    Target target;
    BITMAP info;
    std::vector<COLORREF> before = PixelsOf(row.bitmap, &info);
    EXPECT_TRUE(DrawTransparentBitmap(target.dc, row.bitmap, row.left, row.top, row.transparent));
    ExpectDrawn(target, row.bitmap, row.left, row.top, row.transparent);
    // Given back by the drawing's own context: it can be selected again.
    EXPECT_EQ(before, PixelsOf(row.bitmap, &info));
    DeleteObject(row.bitmap);
  }
}

TEST(DrawTransparentBitmap, MissingOrHeldBitmapDrawsNothing) {
  Target target;
  HBITMAP bitmap = Pattern();
  HDC holder = CreateCompatibleDC(target.dc);
  HGDIOBJ old = SelectObject(holder, bitmap);
  EXPECT_FALSE(DrawTransparentBitmap(nullptr, bitmap, 0, 0, W));
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, nullptr, 0, 0, W));
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, bitmap, 0, 0, W));
  SelectObject(holder, old);
  DeleteDC(holder);
  ExpectDrawn(target, bitmap, kTargetSize, 0, W);  // the background only
  DeleteObject(bitmap);
}

}  // namespace
