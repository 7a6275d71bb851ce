// app/win32/module_resource_win32.cpp -- raw-data resources looked up in the own module.
#include "app/win32/module_resource.h"
#include "runtime/win32/win32_api.h"

namespace vlm {

TRawResource FindRawResource(const String& Name) {
  const HRSRC Info = FindResourceW(nullptr, WidePtr(Name), RT_RCDATA);
  const HGLOBAL Loaded = Info ? LoadResource(nullptr, Info) : nullptr;
  const void* Data = Loaded ? LockResource(Loaded) : nullptr;
  if (!Data) throw EResNotFound(u"Resource " + Name + u" not found");
  return {Data, static_cast<size_t>(SizeofResource(nullptr, Info))};
}

}  // namespace vlm
