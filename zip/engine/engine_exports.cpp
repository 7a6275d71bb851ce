// zip/engine/engine_exports.cpp -- the library's exported entry points. Each one catches every
// exception: nothing may cross the library boundary, so failures become the interface's codes.
#include "zip/engine/engine_interface.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "runtime/code_page.h"
#include "runtime/exception.h"
#include "zip/engine/callback_channel.h"
#include "zip/engine/engine_files.h"
#include "zip/engine/extractor.h"

namespace vlm::zipengine {
namespace {

constexpr char kLibraryName[] = "VlmZip190";
constexpr char kVersionText[] = "1.9.0.0100";

bool IsValidCommand(const TDLLCommands* Command) {
  if (!Command || Command->fCheck != VZ_COMMAND_CHECK || !Command->ZCallbackFunc) return false;
  const uint32_t Operation = Command->fOptions & VZ_OPT_OPERATION_MASK;
  return Operation == VZ_OPT_OP_ADD || Operation == VZ_OPT_OP_ADD2 ||
         Operation == VZ_OPT_OP_EXTRACT || Operation == VZ_OPT_OP_TEST;
}

// The module path as 8-bit text, computed once (the text VZ_Path and VZ_Banner hand out must
// outlive the call).
const std::string& ModulePath8() {
  static const std::string Path = [] {
#if defined(_WIN32)
    return EncodeCodePage(kCodePageAnsi, EngineModulePath());
#else
    return StringToUtf8(EngineModulePath());
#endif
  }();
  return Path;
}

}  // namespace
}  // namespace vlm::zipengine

using namespace vlm::zipengine;

extern "C" {

VZ_EXPORT int32_t VZ_CALL VZ_Exec(const TDLLCommands* Command) {
  try {
    if (!IsValidCommand(Command)) return VZ_RESULT_BAD_COMMAND;
    const uint32_t Operation = Command->fOptions & VZ_OPT_OPERATION_MASK;
    // This engine extracts and tests; it builds no archives.
    if (Operation != VZ_OPT_OP_EXTRACT && Operation != VZ_OPT_OP_TEST) return -VZ_ERR_BAD_OPTIONS;
    return RunExtract(*Command);
  } catch (const TOperationEnd& End) {
    return End.Result;
  } catch (const std::bad_alloc&) {
    return VZ_RESULT_NO_MEMORY;
  } catch (const vlm::EOutOfMemory&) {
    return VZ_RESULT_NO_MEMORY;
  } catch (...) {
    return VZ_RESULT_FATAL;
  }
}

VZ_EXPORT int32_t VZ_CALL VZ_Abort(uint32_t Key) {
  try {
    return TAbortRegistration::Request(Key) ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

VZ_EXPORT int32_t VZ_CALL VZ_Version(void) {
  return VZ_INTERFACE_VERSION;
}

VZ_EXPORT int32_t VZ_CALL VZ_PrivVersion(void) {
  return VZ_PRIV_VERSION;
}

VZ_EXPORT void VZ_CALL VZ_Name(void* Buffer, int32_t Capacity, int32_t IsWide) {
  try {
    if (!Buffer || Capacity < 0) return;
    const size_t Max = static_cast<size_t>(Capacity);
    if (IsWide) {
      const vlm::String Name = EngineModulePath();
      const size_t N = std::min(Name.size(), Max);
      auto* Out = static_cast<char16_t*>(Buffer);
      std::memcpy(Out, Name.data(), N * sizeof(char16_t));
      Out[N] = 0;
    } else {
      const std::string& Name = ModulePath8();
      const size_t N = std::min(Name.size(), Max);
      auto* Out = static_cast<char*>(Buffer);
      std::memcpy(Out, Name.data(), N);
      Out[N] = 0;
    }
  } catch (...) {
    if (Buffer) *static_cast<char*>(Buffer) = 0;
  }
}

VZ_EXPORT const char* VZ_CALL VZ_Banner(void) {
  try {
    static const std::string Banner =
        std::string(kLibraryName) + ".dll version " + kVersionText + ", " + VLM_BUILD_DATE;
    return Banner.c_str();
  } catch (...) {
    return "";
  }
}

VZ_EXPORT const char* VZ_CALL VZ_Path(void) {
  try {
    return ModulePath8().c_str();
  } catch (...) {
    return "";
  }
}

}  // extern "C"
