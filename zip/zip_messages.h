// zip/zip_messages.h -- the zip front end's message texts: ids, the built-in English table, the
// lookup order with the process-wide OnLoadStr hook, and the text formatting of the messages.
// Every failure of the front end is a numeric id from 10096 to 11683 whose text may hold the
// placeholders %s (a string), %d (an integer, optionally with a precision such as %.1d) and %%.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <variant>
#include <vector>

#include "runtime/string.h"

namespace vlm {

// The ids the front end's code names; the table holds more (zip_message_table.cpp).
inline constexpr int32_t kZipMsgLanguageDefault = 10096;  // "US: default"
inline constexpr int32_t kZipMsgNoZipFile = 10102;
inline constexpr int32_t kZipMsgNoMemory = 10103;
inline constexpr int32_t kZipMsgEventException = 10106;
inline constexpr int32_t kZipMsgNotActive = 10109;
inline constexpr int32_t kZipMsgBusy = 10112;
inline constexpr int32_t kZipMsgUnknownError = 10125;  // " Unknown error %d"
inline constexpr int32_t kZipMsgUserAbort = 10128;
inline constexpr int32_t kZipMsgErrorException = 10130;
inline constexpr int32_t kZipMsgPassword = 10154;
inline constexpr int32_t kZipMsgEnterPassword = 10155;
inline constexpr int32_t kZipMsgSeekError = 10201;
inline constexpr int32_t kZipMsgUnknownListError = 10202;
inline constexpr int32_t kZipMsgStructureWarning = 10203;
inline constexpr int32_t kZipMsgButtonYes = 10220;    // "&Yes"; the nine button captions follow
inline constexpr int32_t kZipMsgButtonClose = 10231;  // no such text is built in
inline constexpr int32_t kZipMsgInputNotExist = 11001;
inline constexpr int32_t kZipMsgCannotOpen = 11002;
inline constexpr int32_t kZipMsgUserCancel = 11007;
inline constexpr int32_t kZipMsgSeekInput = 11008;
inline constexpr int32_t kZipMsgReadEOC = 11011;
inline constexpr int32_t kZipMsgReadCentral = 11013;
inline constexpr int32_t kZipMsgCentralSignature = 11015;
inline constexpr int32_t kZipMsgReadName = 11017;
inline constexpr int32_t kZipMsgReadComment = 11022;
inline constexpr int32_t kZipMsgInvalidArchive = 11036;
inline constexpr int32_t kZipMsgUnknown = 11049;
inline constexpr int32_t kZipMsgZip64Field = 11052;
inline constexpr int32_t kZipMsgUnsupportedVersion = 11053;
inline constexpr int32_t kZipMsgTrace = 11604;       // "Trace: "
inline constexpr int32_t kZipMsgInfo = 11605;        // "info: "
inline constexpr int32_t kZipMsgEngineBase = 11648;  // engine error n (0..35) is 11648 + n

// One argument of a formatted message: an integer or a string.
using TZFArg = std::variant<int64_t, String>;

// The built-in English text of Id exactly as stored, or nothing when the table has no such id.
// Texts never contain a bare line feed (one would be returned as CR LF).
std::optional<String> BuiltInZipStr(int32_t Id);

// Every id of the built-in table, ascending (for tests and tools).
std::vector<int32_t> BuiltInZipStrIds();

// The process-wide hook that may replace any looked-up text (the component's OnLoadStr):
// called with the id and the text found so far; a nonempty text left in DefStr replaces it.
// Set it before any lookup runs; it is not synchronised (the front end has one thread).
using TZFLoadStrEvent = std::function<void(int32_t Ident, String& DefStr)>;
void SetOnLoadStr(TZFLoadStrEvent Handler);
const TZFLoadStrEvent& OnLoadStr();

// The text of Id without the "missing" fallback: the built-in table, then OnLoadStr. Empty when
// neither has a text (callers that need to know whether a text exists use this).
String FindZipStr(int32_t Id);

// The text of Id (LoadZipStr): the built-in table, then OnLoadStr, and when the text is still
// empty "Resource missing for " followed by the id in decimal. Never fails.
String LoadZipStr(int32_t Id);

// Text formatted with Args: %s takes the next argument as text, %d as a decimal integer (an
// integer precision such as %.1d or %4.4d pads with zeros to that many digits, a width pads with
// blanks), %% is a percent sign. Formatting never fails: a placeholder without an argument is
// copied unchanged, an integer given to %s is written in decimal and a string given to %d is
// written as it is, and surplus arguments are ignored.
String ZipFormat(StringView Format, const std::vector<TZFArg>& Args);

// ZipFmtLoadStr: the text of Id formatted with Args when the text is not empty.
String ZipFmtLoadStr(int32_t Id, const std::vector<TZFArg>& Args);

// Decimal text of a signed number.
String ZipIntToStr(int64_t Value);

}  // namespace vlm
