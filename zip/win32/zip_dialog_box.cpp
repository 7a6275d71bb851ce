// zip/win32/zip_dialog_box.cpp -- building and running the zip component's modal box.
#include "zip/win32/zip_dialog_box.h"

#include <algorithm>

#include "runtime/application.h"

namespace vlm {
namespace {

const wchar_t kClassName[] = L"TZipDialogBox";
constexpr int kFirstButtonId = 100;
constexpr int kEditId = 90;
constexpr int kIconSize = 32;
constexpr int kEditMaxLength = 80;

void RegisterBoxClass(WNDPROC Proc) {
  static bool Registered = false;
  if (Registered) return;
  WNDCLASSEXW Class{};
  Class.cbSize = sizeof Class;
  Class.lpfnWndProc = Proc;
  Class.hInstance = ::GetModuleHandleW(nullptr);
  Class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  Class.lpszClassName = kClassName;
  ::RegisterClassExW(&Class);
  Registered = true;
}

HFONT MessageFont() {
  NONCLIENTMETRICSW Metrics{};
  Metrics.cbSize = sizeof Metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof Metrics, &Metrics, 0);
  return ::CreateFontIndirectW(&Metrics.lfMessageFont);
}

SIZE TextSize(HDC Dc, const String& Text) {
  SIZE Size{};
  ::GetTextExtentPoint32W(Dc, WidePtr(Text), static_cast<int>(Text.size()), &Size);
  return Size;
}

const wchar_t* IconId(TZFDialogIcon Icon) {
  switch (Icon) {
    case TZFDialogIcon::Exclamation: return IDI_EXCLAMATION;
    case TZFDialogIcon::Hand: return IDI_HAND;
    case TZFDialogIcon::Asterisk: return IDI_ASTERISK;
    case TZFDialogIcon::Question: return IDI_QUESTION;
    default: return nullptr;
  }
}

}  // namespace

TZipDialogBox::TZipDialogBox(const TZFDialogDescription& Box, HWND Owner)
    : FBox(Box), FOwner(Owner) {}

TZipDialogBox::~TZipDialogBox() {
  if (FWindow) ::DestroyWindow(FWindow);
  if (FFont) ::DeleteObject(FFont);
}

HWND TZipDialogBox::AddChild(const String& Name, const wchar_t* Class, const String& Text,
                             DWORD Style, RECT Bounds, int Id) {
  HWND Child = ::CreateWindowExW(
      0, Class, WidePtr(Text), WS_CHILD | WS_VISIBLE | Style, Bounds.left, Bounds.top,
      Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, FWindow,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(Child, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
  FChildren.push_back({Name, Child, mrNone});
  return Child;
}

void TZipDialogBox::Build() {
  RegisterBoxClass(&TZipDialogBox::WindowProc);
  FFont = MessageFont();
  FWindow = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName,
                              WidePtr(FBox.Title), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 100,
                              100, FOwner, nullptr, ::GetModuleHandleW(nullptr), this);

  // Average character size of the font.
  HDC Dc = ::GetDC(FWindow);
  HGDIOBJ OldFont = ::SelectObject(Dc, FFont);
  const SIZE Sample =
      TextSize(Dc, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxy 0123456789:");
  TEXTMETRICW Metrics{};
  ::GetTextMetricsW(Dc, &Metrics);
  const int W = Sample.cx / 64, H = Metrics.tmHeight;
  const int HMargin = 8 * W / 4, VMargin = 8 * H / 8, HSpacing = 10 * W / 4;
  const int VSpacing = 10 * H / 8, ButtonHeight = 14 * H / 8, ButtonGap = 4 * W / 4;
  int ButtonWidth = 50 * W / 4;
  for (const auto& B : FBox.Buttons)
    ButtonWidth = std::max<int>(ButtonWidth, TextSize(Dc, B.Caption).cx + 8);

  // The text, word-wrapped within half the screen width.
  RECT TextRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  ::DrawTextW(Dc, WidePtr(FBox.Text), -1, &TextRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  ::SelectObject(Dc, OldFont);
  ::ReleaseDC(FWindow, Dc);

  const wchar_t* Icon = IconId(FBox.Icon);
  int TextLeft = HMargin;
  int TextHeight = TextRect.bottom;
  if (Icon) {
    const RECT IconRect{HMargin, VMargin, HMargin + kIconSize, VMargin + kIconSize};
    HWND Image = AddChild(u"Image", L"STATIC", u"", SS_ICON, IconRect, -1);
    ::SendMessageW(Image, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, Icon)), 0);
    TextLeft += kIconSize + HSpacing;
    TextHeight = std::max<int>(TextHeight, kIconSize);
  }
  const int TextWidth = static_cast<int>(TextRect.right);
  AddChild(u"zmdText", L"STATIC", FBox.Text, SS_LEFT | SS_NOPREFIX,
           {TextLeft, VMargin, TextLeft + TextWidth, VMargin + TextHeight}, -1);
  int BlockRight = TextLeft + TextWidth;
  int Bottom = VMargin + TextHeight;
  if (FBox.IsPassword()) {
    const int EditWidth = std::max(80 * W, TextWidth);
    const int EditHeight = H + 8;
    const RECT EditRect{TextLeft, Bottom + VSpacing, TextLeft + EditWidth,
                        Bottom + VSpacing + EditHeight};
    HWND Edit = AddChild(u"zmdEdit", L"EDIT", u"",
                         WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, EditRect, kEditId);
    ::SendMessageW(Edit, EM_SETPASSWORDCHAR, u'*', 0);
    ::SendMessageW(Edit, EM_LIMITTEXT, kEditMaxLength, 0);
    BlockRight = std::max<int>(BlockRight, EditRect.right);
    Bottom = EditRect.bottom;
  }

  const int Count = static_cast<int>(FBox.Buttons.size());
  const int RowWidth = Count * ButtonWidth + std::max(0, Count - 1) * ButtonGap;
  const int ClientWidth = 2 * HMargin + std::max(BlockRight - HMargin, RowWidth);
  const int ButtonTop = Bottom + VSpacing;
  int X = (ClientWidth - RowWidth) / 2;
  for (int I = 0; I < Count; ++I) {
    const auto& B = FBox.Buttons[I];
    const DWORD Style = WS_TABSTOP | (I == FBox.DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    AddChild(B.Name, L"BUTTON", B.Caption, Style,
             {X, ButtonTop, X + ButtonWidth, ButtonTop + ButtonHeight}, kFirstButtonId + I);
    FChildren.back().ModalResult = B.ModalResult;
    X += ButtonWidth + ButtonGap;
  }
  const int ClientHeight = ButtonTop + ButtonHeight + VMargin;

  RECT Frame{0, 0, ClientWidth, ClientHeight};
  ::AdjustWindowRectEx(&Frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
  const int Width = Frame.right - Frame.left, Height = Frame.bottom - Frame.top;
  ::SetWindowPos(FWindow, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - Width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - Height) / 2, Width, Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TZipDialogBox::Child(const String& Name) const {
  for (const TChild& C : FChildren) {
    if (C.Name == Name) return C.Window;
  }
  return nullptr;
}

HWND TZipDialogBox::DefaultButtonWindow() const {
  return FBox.DefaultButton >= 0 ? Child(FBox.Buttons[FBox.DefaultButton].Name) : nullptr;
}

HWND TZipDialogBox::CancelButtonWindow() const {
  return FBox.CancelButton >= 0 ? Child(FBox.Buttons[FBox.CancelButton].Name) : nullptr;
}

void TZipDialogBox::Finish(int Result) {
  FResult = Result;
  FDone = true;
}

LRESULT CALLBACK TZipDialogBox::WindowProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  if (Message == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTW*>(L);
    ::SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
  }
  auto* Box = reinterpret_cast<TZipDialogBox*>(::GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (Box && Box->FWindow == Window) return Box->Handle(Message, W, L);
  return ::DefWindowProcW(Window, Message, W, L);
}

LRESULT TZipDialogBox::Handle(UINT Message, WPARAM W, LPARAM L) {
  switch (Message) {
    case DM_GETDEFID:
      if (FBox.DefaultButton >= 0)
        return MAKELRESULT(kFirstButtonId + FBox.DefaultButton, DC_HASDEFID);
      return 0;
    case WM_COMMAND: {
      const int Id = LOWORD(W);
      if (Id == IDCANCEL) {
        Finish(FBox.CancelButton >= 0 ? FBox.Buttons[FBox.CancelButton].ModalResult : mrCancel);
        return 0;
      }
      const int Index = Id - kFirstButtonId;
      if (Index >= 0 && Index < static_cast<int>(FBox.Buttons.size()) && HIWORD(W) == BN_CLICKED) {
        Finish(FBox.Buttons[Index].ModalResult);
      }
      return 0;
    }
    case WM_CLOSE: Finish(mrCancel); return 0;
    default: return ::DefWindowProcW(FWindow, Message, W, L);
  }
}

int TZipDialogBox::ShowModal(String& Entered) {
  if (!FWindow) Build();
  if (FBox.Beep != 0) ::MessageBeep(FBox.Beep);
  const bool OwnerWasEnabled = FOwner && ::IsWindowEnabled(FOwner);
  if (OwnerWasEnabled) ::EnableWindow(FOwner, FALSE);
  ::ShowWindow(FWindow, SW_SHOW);
  HWND First = FBox.IsPassword() ? Child(u"zmdEdit") : DefaultButtonWindow();
  ::SetFocus(First ? First : FWindow);
  FDone = false;
  MSG Msg;
  while (!FDone && ::GetMessageW(&Msg, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(FWindow, &Msg)) {
      ::TranslateMessage(&Msg);
      ::DispatchMessageW(&Msg);
    }
  }
  if (FBox.IsPassword()) {
    HWND Edit = Child(u"zmdEdit");
    wchar_t Buffer[kEditMaxLength + 1] = {};
    const int Length = ::GetWindowTextW(Edit, Buffer, kEditMaxLength + 1);
    Entered = FromWide(Buffer, static_cast<size_t>(Length));
  }
  if (OwnerWasEnabled) ::EnableWindow(FOwner, TRUE);
  ::ShowWindow(FWindow, SW_HIDE);
  return FResult;
}

int TZFWindowDialog::ShowModal(const TZFDialogDescription& Box, String& Entered) {
  TZipDialogBox Dialog(Box, static_cast<HWND>(Application().Handle()));
  Dialog.Build();
  return Dialog.ShowModal(Entered);
}

}  // namespace vlm
