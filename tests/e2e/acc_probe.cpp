// tests/e2e/acc_probe.cpp -- reads a program's windows as a screen reader does, from another
// process, through Active Accessibility: the tree of objects and elements, default actions, and
// the WinEvents that announce changes. For the end-to-end tests of setup.exe under wine; run in
// the same prefix as the program. Output is one JSON object per line.
//   acc_probe tree HWND        the client object of HWND and everything below it, depth first:
//                              {"path", "role", "role_text", "name", "value", "state", "states",
//                               "action", "shortcut", "hwnd"}; "path" is the child ids from the
//                              root ("" for the root, "3", "8/0" for the object of child 8)
//   acc_probe do HWND ID       the default action of child ID (0: the object itself) of HWND's
//                              client object; exit code 0 when it was accepted
//   acc_probe record FILE STOP SECONDS PID
//                              records the WinEvents of process PID (0: every process) into
//                              FILE, one line each: when it came ("ms") and what the element
//                              said when it was read ("read_ms"), until the file STOP exists or
//                              SECONDS have passed
#include <cstdio>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

#include "runtime/win32/win32_api.h"
#include "tests/e2e/probe_json.h"

#include <objbase.h>
#include <oleacc.h>

namespace {

using probe::Json;

HWND ParseWindow(const wchar_t* Text) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(Text, nullptr, 10)));
}

VARIANT ChildId(long Id) {
  VARIANT V;
  VariantInit(&V);
  V.vt = VT_I4;
  V.lVal = Id;
  return V;
}

// One text of an element; empty when it has none.
template <class Getter>
std::string Text(Getter Get) {
  BSTR Value = nullptr;
  const HRESULT Hr = Get(&Value);
  std::string Out = Json(SUCCEEDED(Hr) && Value ? Value : L"");
  if (Value) SysFreeString(Value);
  return Out;
}

std::string StateNames(long State) {
  std::string Out;
  for (int Bit = 0; Bit < 31; ++Bit) {
    if (!(State & (1L << Bit))) continue;
    wchar_t Name[128] = {};
    GetStateTextW(1UL << Bit, Name, 128);
    Out += (Out.empty() ? "" : ", ") + Json(Name);
  }
  return "[" + Out + "]";
}

// What the element Id of Object says, as one JSON object's members.
std::string Describe(IAccessible* Object, long Id) {
  const VARIANT Child = ChildId(Id);
  VARIANT Role, State;
  VariantInit(&Role);
  VariantInit(&State);
  Object->get_accRole(Child, &Role);
  Object->get_accState(Child, &State);
  const long RoleId = Role.vt == VT_I4 ? Role.lVal : 0;
  const long StateBits = State.vt == VT_I4 ? State.lVal : 0;
  wchar_t RoleText[128] = {};
  GetRoleTextW(static_cast<DWORD>(RoleId), RoleText, 128);
  HWND Window = nullptr;
  if (Id == CHILDID_SELF) WindowFromAccessibleObject(Object, &Window);
  return "\"role\": " + std::to_string(RoleId) + ", \"role_text\": " + Json(RoleText) +
         ", \"name\": " + Text([&](BSTR* Out) { return Object->get_accName(Child, Out); }) +
         ", \"value\": " + Text([&](BSTR* Out) { return Object->get_accValue(Child, Out); }) +
         ", \"state\": " + std::to_string(StateBits) + ", \"states\": " + StateNames(StateBits) +
         ", \"action\": " +
         Text([&](BSTR* Out) { return Object->get_accDefaultAction(Child, Out); }) +
         ", \"shortcut\": " +
         Text([&](BSTR* Out) { return Object->get_accKeyboardShortcut(Child, Out); }) +
         ", \"hwnd\": " + std::to_string(reinterpret_cast<uintptr_t>(Window));
}

void PrintTree(IAccessible* Object, const std::string& Path, int Depth) {
  std::printf("{\"path\": \"%s\", %s}\n", Path.c_str(), Describe(Object, CHILDID_SELF).c_str());
  if (Depth > 8) return;
  LONG Count = 0;
  if (FAILED(Object->get_accChildCount(&Count)) || Count <= 0) return;
  std::vector<VARIANT> Children(static_cast<size_t>(Count));
  LONG Got = 0;
  if (FAILED(AccessibleChildren(Object, 0, Count, Children.data(), &Got))) return;
  for (LONG I = 0; I < Got; ++I) {
    VARIANT& C = Children[static_cast<size_t>(I)];
    const std::string Id = std::to_string(I + 1);
    const std::string ChildPath = Path.empty() ? Id : Path + "/" + Id;
    if (C.vt == VT_DISPATCH && C.pdispVal) {
      IAccessible* ChildObject = nullptr;
      if (SUCCEEDED(C.pdispVal->QueryInterface(__uuidof(IAccessible),
                                               reinterpret_cast<void**>(&ChildObject)))) {
        PrintTree(ChildObject, ChildPath + "/0", Depth + 1);
        ChildObject->Release();
      }
    } else if (C.vt == VT_I4) {
      std::printf("{\"path\": \"%s\", %s}\n", ChildPath.c_str(), Describe(Object, C.lVal).c_str());
    }
    VariantClear(&C);
  }
}

IAccessible* ClientObject(HWND Window) {
  IAccessible* Object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(Window, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible), reinterpret_cast<void**>(&Object))))
    return nullptr;
  return Object;
}

// --- record -----------------------------------------------------------------------------------

FILE* Record = nullptr;
DWORD RecordStart = 0;

const char* EventName(DWORD Event) {
  switch (Event) {
    case EVENT_SYSTEM_DIALOGSTART: return "dialog_start";
    case EVENT_SYSTEM_DIALOGEND: return "dialog_end";
    case EVENT_OBJECT_SHOW: return "show";
    case EVENT_OBJECT_HIDE: return "hide";
    case EVENT_OBJECT_FOCUS: return "focus";
    case EVENT_OBJECT_STATECHANGE: return "state";
    case EVENT_OBJECT_NAMECHANGE: return "name";
    case EVENT_OBJECT_VALUECHANGE: return "value";
    default: return nullptr;
  }
}

struct TRawEvent {
  DWORD Ms, Event;
  HWND Window;
  LONG ObjectId, ChildId;
};
// Events wait here until the main loop reads what their elements say: reading is a call into
// the program, which answers only when it processes messages, and the hook must not wait for it
// (events arriving meanwhile would be late or lost).
std::deque<TRawEvent> Pending;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD Event, HWND Window, LONG ObjectId, LONG ChildId, DWORD,
                      DWORD) {
  if (EventName(Event) && Record)
    Pending.push_back({GetTickCount() - RecordStart, Event, Window, ObjectId, ChildId});
}

// Writes the oldest pending event with what its element says now.
void WriteOldest() {
  const TRawEvent E = Pending.front();
  Pending.pop_front();
  std::string What;
  IAccessible* Object = nullptr;
  VARIANT Child;
  VariantInit(&Child);
  // Only client objects are ours to read; the system's own window objects are left out.
  if (E.ObjectId == OBJID_CLIENT &&
      SUCCEEDED(AccessibleObjectFromEvent(E.Window, E.ObjectId, E.ChildId, &Object, &Child)) &&
      Object) {
    What = ", \"read_ms\": " + std::to_string(GetTickCount() - RecordStart) + ", " +
           Describe(Object, Child.vt == VT_I4 ? Child.lVal : CHILDID_SELF);
    Object->Release();
  }
  std::fprintf(Record,
               "{\"ms\": %lu, \"event\": \"%s\", \"window\": %llu, \"object\": %ld, "
               "\"child\": %ld%s}\n",
               E.Ms, EventName(E.Event),
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(E.Window)), E.ObjectId,
               E.ChildId, What.c_str());
  std::fflush(Record);
}

int RecordEvents(const wchar_t* File, const wchar_t* Stop, DWORD Seconds, DWORD Process) {
  Record = _wfopen(File, L"w");
  if (!Record) return 1;
  RecordStart = GetTickCount();
  const DWORD Flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
  const HWINEVENTHOOK Hooks[] = {
      SetWinEventHook(EVENT_SYSTEM_DIALOGSTART, EVENT_SYSTEM_DIALOGEND, nullptr, OnEvent, Process,
                      0, Flags),
      SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, OnEvent, Process, 0,
                      Flags),
  };
  // Ready once the hooks are set: the test starts its input after this line appears.
  std::fprintf(Record, "{\"ms\": 0, \"event\": \"ready\"}\n");
  std::fflush(Record);
  while (GetTickCount() - RecordStart < Seconds * 1000 &&
         GetFileAttributesW(Stop) == INVALID_FILE_ATTRIBUTES) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Msg);
    while (!Pending.empty()) WriteOldest();
  }
  while (!Pending.empty()) WriteOldest();
  for (HWINEVENTHOOK Hook : Hooks) {
    if (Hook) UnhookWinEvent(Hook);
  }
  std::fclose(Record);
  return 0;
}

}  // namespace

int wmain(int Count, wchar_t** Arguments) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int Result = 2;
  if (Count == 3 && std::wcscmp(Arguments[1], L"tree") == 0) {
    Result = 1;
    if (IAccessible* Root = ClientObject(ParseWindow(Arguments[2]))) {
      PrintTree(Root, "", 0);
      Root->Release();
      Result = 0;
    }
  } else if (Count == 4 && std::wcscmp(Arguments[1], L"do") == 0) {
    Result = 1;
    if (IAccessible* Root = ClientObject(ParseWindow(Arguments[2]))) {
      const HRESULT Hr = Root->accDoDefaultAction(ChildId(std::wcstol(Arguments[3], nullptr, 10)));
      std::printf("{\"result\": %ld}\n", static_cast<long>(Hr));
      Root->Release();
      Result = Hr == S_OK ? 0 : 1;
    }
  } else if (Count == 6 && std::wcscmp(Arguments[1], L"record") == 0) {
    Result = RecordEvents(Arguments[2], Arguments[3], std::wcstoul(Arguments[4], nullptr, 10),
                          std::wcstoul(Arguments[5], nullptr, 10));
  } else {
    std::fprintf(stderr,
                 "usage: acc_probe tree HWND | do HWND ID | record FILE STOP SECONDS "
                 "PID\n");
  }
  std::fflush(stdout);
  CoUninitialize();
  return Result;
}
