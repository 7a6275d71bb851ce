// ui/dialog/smooth_message_dialog.cpp -- executing the message dialog: the layered window made
// for each execution, its placement, the modal message loop and the end of the dialog.
#include "ui/dialog/smooth_message_dialog.h"

#include <algorithm>
#include <cstring>

#include "runtime/application.h"
#include "ui/dialog/task_windows.h"

namespace vlm {

namespace {

constexpr wchar_t kWindowClass[] = L"TSmoothMessageDialogWindow";

// The screen's work area that holds most of Window (the primary one without a window).
RECT WorkAreaFor(HWND Window) {
  MONITORINFO Info{};
  Info.cbSize = sizeof(Info);
  HMONITOR Monitor = Window ? MonitorFromWindow(Window, MONITOR_DEFAULTTONEAREST)
                            : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (GetMonitorInfoW(Monitor, &Info)) return Info.rcWork;
  RECT Area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &Area, 0);
  return Area;
}

POINT CentreIn(const RECT& Area, int Width, int Height) {
  return POINT{Area.left + (Area.right - Area.left - Width) / 2,
               Area.top + (Area.bottom - Area.top - Height) / 2};
}

// A screen-compatible memory DC holding a top-down 32-bit DIB with the image's pixels.
class LayeredSurface {
public:
  explicit LayeredSurface(const DialogImage& Image) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(Info.bmiHeader);
    Info.bmiHeader.biWidth = Image.Width;
    Info.bmiHeader.biHeight = -Image.Height;  // negative: rows run top-down
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    FScreen = GetDC(nullptr);
    FMemory = CreateCompatibleDC(FScreen);
    void* Bits = nullptr;
    FBitmap = CreateDIBSection(FScreen, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    if (FBitmap && Bits) {
      std::memcpy(Bits, Image.Pixels.data(), Image.Pixels.size() * sizeof(uint32_t));
      FOld = SelectObject(FMemory, FBitmap);
    }
  }
  ~LayeredSurface() {
    if (FOld) SelectObject(FMemory, FOld);
    if (FBitmap) DeleteObject(FBitmap);
    if (FMemory) DeleteDC(FMemory);
    if (FScreen) ReleaseDC(nullptr, FScreen);
  }
  LayeredSurface(const LayeredSurface&) = delete;
  LayeredSurface& operator=(const LayeredSurface&) = delete;

  bool Ready() const { return FOld != nullptr; }
  HDC Screen() const { return FScreen; }
  HDC Memory() const { return FMemory; }

private:
  HDC FScreen = nullptr;
  HDC FMemory = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
};

}  // namespace

TSmoothMessageDialog::TSmoothMessageDialog(HWND Owner) : FOwner(Owner) {}

TSmoothMessageDialog::~TSmoothMessageDialog() {
  CloseWindow();
}

TSmoothMessageDialogButton& TSmoothMessageDialog::AddButton(const String& Caption, int Result) {
  TSmoothMessageDialogButton Button;
  Button.Caption = Caption;
  Button.ButtonResult = Result;
  Buttons.push_back(Button);
  return Buttons.back();
}

bool TSmoothMessageDialog::Execute() {
  const int Result = ExecuteDialog();
  return Result == 1 || Result == 6;
}

HWND TSmoothMessageDialog::OwningWindow() const {
  if (FOwner && IsWindow(FOwner)) return FOwner;
  return static_cast<HWND>(Application().Handle());
}

POINT TSmoothMessageDialog::InitialPosition(HWND Owner) const {
  const int W = FLayout.Width, H = FLayout.Height;
  switch (Position) {
    case TDialogPosition::Default: return POINT{CW_USEDEFAULT, CW_USEDEFAULT};
    case TDialogPosition::Explicit: return POINT{DialogLeft, DialogTop};
    case TDialogPosition::ScreenCenter: return CentreIn(WorkAreaFor(Owner), W, H);
    case TDialogPosition::OwnerCenter: {
      RECT OwnerRect;
      if (Owner && !IsIconic(Owner) && GetWindowRect(Owner, &OwnerRect))
        return CentreIn(OwnerRect, W, H);
      return CentreIn(WorkAreaFor(Owner), W, H);
    }
  }
  return POINT{0, 0};
}

HWND TSmoothMessageDialog::CreateDialogWindow(HWND Owner) {
  static const ATOM Class = [] {
    WNDCLASSEXW C{};
    C.cbSize = sizeof(C);
    C.lpfnWndProc = &TSmoothMessageDialog::WndProc;
    C.hInstance = GetModuleHandleW(nullptr);
    C.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    C.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    C.lpszClassName = kWindowClass;
    return RegisterClassExW(&C);
  }();
  (void)Class;
  const POINT At = InitialPosition(Owner);
  // A layered popup: no border, no caption, no title-bar buttons; its look comes entirely from
  // the image handed over in Repaint.
  return CreateWindowExW(WS_EX_LAYERED, kWindowClass, WidePtr(FCaption), WS_POPUP, At.x, At.y,
                         FLayout.Width, FLayout.Height, Owner, nullptr, GetModuleHandleW(nullptr),
                         this);
}

int TSmoothMessageDialog::ExecuteDialog() {
  CloseWindow();  // a dialog shown without waiting is replaced by the new one
  const HWND Owner = OwningWindow();
  FLayout = ComputeLayout();
  FMarks.assign(Buttons.size(), DialogButtonState{});
  const int Count = static_cast<int>(Buttons.size());
  FFocused = Count == 0 ? -1 : std::clamp(DefaultButton, 0, Count - 1);
  if (FFocused >= 0) DefaultButton = FFocused;
  FDone = false;
  FResult = 1;
  FPressedIndex = -1;
  FKeyPressedInside = false;
  FDragging = false;
  FTrackingLeave = false;

  FWindow = CreateDialogWindow(Owner);
  Repaint();
  if (!FWindow) return FResult;
  DescribeWindow();
  // Screen readers hear the dialog open and the button that has the focus.
  const auto Announce = [this] {
    NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, FWindow, OBJID_WINDOW, CHILDID_SELF);
    if (FFocused >= 0) FAccessible->AnnounceFocus(FFocused + 1);
  };
  if (!Modal) {
    ShowWindow(FWindow, SW_SHOW);
    SetFocus(FWindow);
    Announce();
    if (OnShownForTesting) OnShownForTesting(FWindow);
    return 1;
  }

  DisabledTaskWindows Disabled(FWindow);
  ShowWindow(FWindow, SW_SHOW);
  SetForegroundWindow(FWindow);
  SetFocus(FWindow);
  Announce();
  if (OnShownForTesting) OnShownForTesting(FWindow);
  RunModalLoop();
  // The other windows come back before the dialog goes, so that one of them is activated.
  Disabled.Restore();
  CloseWindow();
  if (OnClose) OnClose();
  return FResult;
}

void TSmoothMessageDialog::RunModalLoop() {
  MSG Msg;
  while (!FDone) {
    const BOOL Got = GetMessageW(&Msg, nullptr, 0, 0);
    if (Got == 0 || Got == -1) {
      // The application is asked to end: give up the dialog and hand the request on to the
      // loop that called us.
      if (Got == 0) PostQuitMessage(static_cast<int>(Msg.wParam));
      FResult = 2;
      FDone = true;
      break;
    }
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

void TSmoothMessageDialog::Repaint() {
  FImage = Render(FLayout, FFocused, FMarks);
  if (!FWindow) return;
  LayeredSurface Surface(FImage);
  if (!Surface.Ready()) return;
  SIZE Size{FImage.Width, FImage.Height};
  POINT Source{0, 0};
  BLENDFUNCTION Blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(FWindow, Surface.Screen(), nullptr, &Size, Surface.Memory(), &Source, 0,
                      &Blend, ULW_ALPHA);
}

void TSmoothMessageDialog::Choose(int Index) {
  if (Index < 0 || Index >= static_cast<int>(Buttons.size()) || FDone) return;
  const int Result = Buttons[Index].ButtonResult;
  if (OnCanClose && !OnCanClose(Result)) return;
  FResult = Result;
  FDone = true;
  if (!Modal) {
    CloseWindow();
    if (OnClose) OnClose();
  }
}

void TSmoothMessageDialog::DescribeWindow() {
  FAccessible = std::make_unique<TAccessibleTree>(FWindow);
  TAccessibleElement& Self = FAccessible->Self;
  Self.Role = ROLE_SYSTEM_DIALOG;
  Self.Name = [this] { return FCaption; };
  for (size_t I = 0; I < Buttons.size(); ++I) {
    const int Index = static_cast<int>(I);
    TAccessibleElement Button;
    Button.Role = ROLE_SYSTEM_PUSHBUTTON;
    Button.Name = [this, I] {
      String Name;  // the caption without its accelerator marks ("&&" stays one "&")
      const String& Caption = Buttons[I].Caption;
      for (size_t C = 0; C < Caption.size(); ++C) {
        if (Caption[C] == u'&' && C + 1 < Caption.size()) ++C;
        Name += Caption[C];
      }
      return Name;
    };
    Button.State = [this, I, Index] {
      const bool Focused = Index == FFocused;
      return VisibilityState(true, Buttons[I].Enabled) | STATE_SYSTEM_FOCUSABLE |
             (Focused ? STATE_SYSTEM_DEFAULT : 0) |
             (Focused && GetFocus() == FWindow ? STATE_SYSTEM_FOCUSED : 0);
    };
    Button.Bounds = [this, I] {
      RECT R = I < FLayout.Buttons.size() ? FLayout.Buttons[I] : RECT{};
      MapWindowPoints(FWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&R), 2);
      return R;
    };
    Button.DefaultAction = u"Press";
    Button.DoDefaultAction = [this, I, Index] {
      if (Buttons[I].Enabled) Choose(Index);
    };
    FAccessible->Children.push_back(std::move(Button));
  }
  FAccessible->Announce();  // takes the first state in
}

void TSmoothMessageDialog::CloseWindow() {
  FAccessible.reset();
  if (!FWindow) return;
  const HWND Window = FWindow;
  FWindow = nullptr;
  if (IsWindow(Window)) DestroyWindow(Window);
}

LRESULT CALLBACK TSmoothMessageDialog::WndProc(HWND Handle, UINT Msg, WPARAM WParam,
                                               LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    const auto* Create = reinterpret_cast<const CREATESTRUCTW*>(LParam);
    auto* Self = static_cast<TSmoothMessageDialog*>(Create->lpCreateParams);
    SetWindowLongPtrW(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
    Self->FWindow = Handle;
  }
  auto* Self = reinterpret_cast<TSmoothMessageDialog*>(GetWindowLongPtrW(Handle, GWLP_USERDATA));
  if (!Self || Self->FWindow != Handle) return DefWindowProcW(Handle, Msg, WParam, LParam);
  // An error in an event handler (can-close, close) must not unwind through the window system.
  try {
    return Self->HandleMessage(Msg, WParam, LParam);
  } catch (...) {
    Application().HandleException(std::current_exception());
    return 0;
  }
}

}  // namespace vlm
