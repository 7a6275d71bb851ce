// ui/forms/window_class.cpp -- window class registration.
#include "ui/forms/window_class.h"

namespace vlm {

void EnsureWindowClass(const wchar_t* Name, WNDPROC Procedure, UINT Style, HICON Icon) {
  const HINSTANCE Instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW Existing = {};
  Existing.cbSize = sizeof(Existing);
  if (GetClassInfoExW(Instance, Name, &Existing)) return;
  WNDCLASSEXW Class = {};
  Class.cbSize = sizeof(Class);
  Class.style = Style;
  Class.lpfnWndProc = Procedure;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Class.hIcon = Icon;
  Class.hIconSm = Icon;
  Class.lpszClassName = Name;
  RegisterClassExW(&Class);
}

}  // namespace vlm
