/* zip/engine/engine_interface.h -- the binary interface of the zip engine library vlmzip190:
 * the command record passed to VZ_Exec, the callback record the engine hands to the front end,
 * the callback actions, argument requests, option bits, skip reasons, engine error numbers and
 * results, and the exported entry points.
 *
 * Plain C, no OS header: the front end includes it on every build. The record layouts are fixed
 * for 32-bit builds (76 and 60 bytes, offsets checked below); on 64-bit builds pointer fields are
 * pointer-sized and the records grow accordingly. Both sides must be built with this header.
 *
 * Calling convention: __stdcall on Windows (a no-op on x86-64), the platform default elsewhere.
 * The 32-bit Windows library exports the undecorated names ("VZ_Exec", not "_VZ_Exec@4"). */
#ifndef VLM_ZIP_ENGINE_ENGINE_INTERFACE_H
#define VLM_ZIP_ENGINE_ENGINE_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define VZ_CALL __stdcall
#else
#define VZ_CALL
#endif

#if defined(VZ_ENGINE_BUILD)
#if defined(_WIN32)
#define VZ_EXPORT __declspec(dllexport)
#else
#define VZ_EXPORT __attribute__((visibility("default")))
#endif
#else
#define VZ_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Interface and build numbers answered by VZ_Version and VZ_PrivVersion. */
#define VZ_INTERFACE_VERSION 190
#define VZ_PRIV_VERSION 1900100

/* Check values: TDLLCommands.fCheck, TZCallBackStruct.Check, TZStreamRec's check. */
#define VZ_COMMAND_CHECK 0x03070505u
#define VZ_CALLBACK_CHECK 1799u
#define VZ_STREAM_CHECK 1803u

struct TZCallBackStruct;

/* The callback entry: one pointer to the callback record, a signed 32-bit answer. */
typedef int32_t(VZ_CALL* ZFunctionPtrType)(struct TZCallBackStruct* Record);

/* Command record, filled by the front end for one VZ_Exec call.
 *   32-bit layout (no padding):
 *   offset size field
 *    0  4  fHandle        window handle of the caller, 0 when unattended
 *    4  4  fCaller        opaque; passed back in every callback's Caller
 *    8  4  fVersion       190
 *   12  4  ZCallbackFunc  the callback entry
 *   16  4  ZStreamFunc    stream callback (stream operations only; unused by extraction)
 *   20  4  fVerbosity     0 off, 1 verbose, -1 trace
 *   24  4  fEncodedAs     name encoding (0 auto, 1 none, 2 OEM, 3 UTF-8, 4 Unicode path field)
 *   28  4  fSS            stream-to-stream arguments (unused by extraction)
 *   32  4  fFromPage      code page for fEncodedAs 1 (0: the system's ANSI code page)
 *   36  4  fOptions       operation nibble and option bits (VZ_OPT_...)
 *   40  4  fPwdReqCount   how often the engine may ask for a password per entry
 *   44  4  fEncodeAs      adding only
 *   48  4  fLevel         adding only
 *   52  4  fDate          adding only
 *   56 16  fNotUsed       zero
 *   72  4  fCheck         VZ_COMMAND_CHECK */
typedef struct TDLLCommands {
  uintptr_t fHandle;
  void* fCaller;
  int32_t fVersion;
  ZFunctionPtrType ZCallbackFunc;
  ZFunctionPtrType ZStreamFunc;
  int32_t fVerbosity;
  uint32_t fEncodedAs;
  void* fSS;
  uint32_t fFromPage;
  uint32_t fOptions;
  uint32_t fPwdReqCount;
  uint32_t fEncodeAs;
  int32_t fLevel;
  uint32_t fDate;
  uint32_t fNotUsed[4];
  uint32_t fCheck;
} TDLLCommands;

/* Callback record, owned by the engine and valid only during one callback. Packed to 4 so that
 * the 64-bit sizes sit at offset 28 on 32-bit builds; on 64-bit builds every field is naturally
 * aligned anyway.
 *   32-bit layout:
 *   offset size field
 *    0  4  Caller          fCaller of the command record
 *    4  4  Version         engine interface version (190)
 *    8  4  IsOperationZip  nonzero during adding operations (always 0 here)
 *   12  4  ActionCode      VZ_ACT_... (the front end reads the low 6 bits)
 *   16  4  HaveWide        nonzero: MsgP/Msg2P are zero-terminated UTF-16; zero: 8-bit text
 *   20  4  MsgP            first text; the front end's answer text comes back here
 *   24  4  Msg2P           second text
 *   28  8  File_Size       size or count, by action
 *   36  8  Written         bytes written so far in this operation
 *   44  4  Arg1            argument / answer
 *   48  4  Arg2            argument / answer
 *   52  4  Arg3            argument / answer
 *   56  4  Check           VZ_CALLBACK_CHECK */
#pragma pack(push, 4)
typedef struct TZCallBackStruct {
  void* Caller;
  int32_t Version;
  int32_t IsOperationZip;
  int32_t ActionCode;
  int32_t HaveWide;
  const void* MsgP;
  const void* Msg2P;
  int64_t File_Size;
  int64_t Written;
  uint32_t Arg1;
  uint32_t Arg2;
  int32_t Arg3;
  uint32_t Check;
} TZCallBackStruct;
#pragma pack(pop)

/* Callback actions (TZCallBackStruct.ActionCode). */
enum {
  VZ_ACT_KEEP_ALIVE = 0,     /* nothing to report; answer 0 */
  VZ_ACT_NEW_ITEM = 1,       /* MsgP name, File_Size size; File_Size -1: end of the item */
  VZ_ACT_PROGRESS = 2,       /* File_Size bytes just written */
  VZ_ACT_END_OF_BATCH = 3,   /* all entries done */
  VZ_ACT_TOTAL_COUNT = 4,    /* Arg1 number of selected entries */
  VZ_ACT_TOTAL_SIZE = 5,     /* File_Size sum of their uncompressed sizes */
  VZ_ACT_NEW_EXTRA = 6,      /* Arg1 phase, File_Size size (not used by extraction) */
  VZ_ACT_EXTRA_UPDATE = 7,   /* File_Size bytes (not used by extraction) */
  VZ_ACT_MESSAGE = 8,        /* MsgP text, Arg1 error value (VZ_ERR_...; 0 information) */
  VZ_ACT_SET_ADD_NAME = 9,   /* adding only */
  VZ_ACT_PASSWORD = 10,      /* MsgP name, Arg1 repeat count; answer 1 + MsgP password, 2 skip,
                                3 stop asking; Arg1 comes back as the new repeat count */
  VZ_ACT_CRC_ERROR = 11,     /* MsgP name, Arg1 found CRC, Arg2 expected CRC; answer 0/2 keep
                                with message, 1 ignore, 3 delete the file */
  VZ_ACT_OVERWRITE = 12,     /* MsgP name, Arg1 default (nonzero: overwrite), Arg2 entry index,
                                Arg3 1 existing older / 2 existing same or newer; answer 0
                                default, 1 overwrite, 2 keep */
  VZ_ACT_SKIPPED = 13,       /* MsgP name, Arg1 error value, Arg2 skip reason + 1; answer 1
                                stops the operation */
  VZ_ACT_FILE_COMMENT = 14,  /* adding only */
  VZ_ACT_FILE_EXTRA = 15,    /* adding only */
  VZ_ACT_EXTRACT_NAME = 16,  /* MsgP name, Msg2P base folder; answer 1 + MsgP: the new name */
  VZ_ACT_OPERATION_KEY = 18, /* Arg1 key for VZ_Abort */
  VZ_ACT_ARGUMENT = 19       /* Arg1 selector (VZ_ARG_...), Arg3 index; answer 1 + MsgP text */
};

/* Answers that every callback may give besides its own: the engine ends the operation. */
enum {
  VZ_ANSWER_CANCEL = -2,    /* user cancel: VZ_Exec returns VZ_RESULT_CANCELLED */
  VZ_ANSWER_ABORT = -3,     /* user abort: VZ_Exec returns VZ_RESULT_CANCELLED */
  VZ_ANSWER_EXCEPTION = -4, /* exception in the front end: VZ_Exec returns VZ_RESULT_CALLBACK */
  VZ_ANSWER_BAD_RECORD = -5 /* the callback record's check was wrong */
};

/* Argument request selectors (VZ_ACT_ARGUMENT, Arg1). */
enum {
  VZ_ARG_FILE_NAME = 0, /* the archive path */
  VZ_ARG_PASSWORD = 1,
  VZ_ARG_ROOT_DIR = 2,
  VZ_ARG_BASE_DIR = 3,   /* folder that receives the files */
  VZ_ARG_COMMENT = 4,    /* 8-bit text, Arg1 its length */
  VZ_ARG_FSPEC = 5,      /* file specification number Arg3; answer 0 past the end; Arg3 = count */
  VZ_ARG_FSPEC_EXCL = 6, /* the same for exclusions */
  VZ_ARG_NO_COMPRESS = 7,
  VZ_ARG_TEMP_DIR = 8
};

/* fOptions: the operation nibble and the option bits. */
#define VZ_OPT_OPERATION_MASK 0x0Fu
#define VZ_OPT_OP_ADD 0x01u
#define VZ_OPT_OP_ADD2 0x02u
#define VZ_OPT_OP_EXTRACT 0x04u
#define VZ_OPT_OP_TEST 0x08u
#define VZ_OPT_QUIET 0x20u      /* no informational messages (also when fHandle is 0) */
#define VZ_OPT_UPDATE 0x80u     /* existing newer files are kept */
#define VZ_OPT_FRESHEN 0x100u   /* only entries whose file exists */
#define VZ_OPT_DIR_NAMES 0x200u /* keep stored folder names */
#define VZ_OPT_OVERWRITE 0x400u /* default answer to the overwrite question: yes */
#define VZ_OPT_NTFS 0x8000000u  /* NTFS time handling (accepted; DOS times are used) */

/* Skip reasons (VZ_ACT_SKIPPED sends reason + 1 in Arg2). */
enum {
  VZ_SKIP_ON_FRESHEN = 0,
  VZ_SKIP_NO_OVERWRITE = 1,
  VZ_SKIP_FILE_EXISTS = 2,
  VZ_SKIP_BAD_PASSWORD = 3,
  VZ_SKIP_BAD_NAME = 4,
  VZ_SKIP_COMPRESSION_UNKNOWN = 5,
  VZ_SKIP_UNKNOWN_ZIP_HOST = 6,
  VZ_SKIP_ZIP_FILE_FORMAT_WRONG = 7,
  VZ_SKIP_GENERAL_EXTRACT_ERROR = 8,
  VZ_SKIP_USER = 9,
  VZ_SKIP_CANNOT_DO = 10,
  VZ_SKIP_NOT_FOUND = 11,
  VZ_SKIP_NO_SHARE = 12,
  VZ_SKIP_NO_ACCESS = 13,
  VZ_SKIP_NO_OPEN = 14,
  VZ_SKIP_DUP_NAME = 15,
  VZ_SKIP_READ_ERROR = 16,
  VZ_SKIP_SIZE_CHANGE = 17
};

/* Engine error numbers: the error value of messages and skips (the front end shows message
 * 11648 + n), and, negated, the results from -3 on. */
enum {
  VZ_ERR_GOOD = 0,
  VZ_ERR_CANCELLED = 1,
  VZ_ERR_ABORTED = 2,
  VZ_ERR_CALLBACK = 3,
  VZ_ERR_NO_MEMORY = 4,
  VZ_ERR_STRUCTURE = 5, /* malformed command record */
  VZ_ERR_FATAL = 6,
  VZ_ERR_PASSWORD_FAILED = 7,
  VZ_ERR_PASSWORD_CANCELLED = 8,
  VZ_ERR_INVALID_ZIP = 9, /* damaged archive or entry data */
  VZ_ERR_NO_CENTRAL = 10,
  VZ_ERR_UNEXPECTED_EOF = 11,
  VZ_ERR_PREMATURE_EOF = 12, /* entry data runs past the end of the archive */
  VZ_ERR_OPEN_ZIP = 13,      /* archive cannot be opened */
  VZ_ERR_MULTI_PART = 14,
  VZ_ERR_NOT_FOUND = 15,
  VZ_ERR_LOGIC = 16,
  VZ_ERR_NOTHING_TO_DO = 17,
  VZ_ERR_BAD_OPTIONS = 18,
  VZ_ERR_TEMP_FAILED = 19,
  VZ_ERR_NO_PERMISSION = 20,
  VZ_ERR_READ = 21,
  VZ_ERR_CREATE = 22,
  VZ_ERR_WRITE = 23,
  VZ_ERR_SEEK = 24,
  VZ_ERR_EMPTY_ZIP = 25,
  VZ_ERR_INVALID_NAME = 26, /* entry name unsafe or invalid for the file system */
  VZ_ERR_ERROR = 27,        /* general entry error (unsupported method, CRC, size) */
  VZ_ERR_NOTHING_FOUND = 28,
  VZ_ERR_WARNING = 29,
  VZ_ERR_DELETE = 30,
  VZ_ERR_IMPORT = 31,
  VZ_ERR_SKIPPING = 32,
  VZ_ERR_LOCKED = 33,
  VZ_ERR_DENIED = 34,
  VZ_ERR_DUPLICATE = 35
};

/* VZ_Exec results: 0 or more is the number of entries extracted (or tested). */
enum {
  VZ_RESULT_CANCELLED = -1, /* a callback answered cancel or abort */
  VZ_RESULT_ABORTED = -2,   /* VZ_Abort */
  VZ_RESULT_CALLBACK = -3,  /* a callback answered VZ_ANSWER_EXCEPTION */
  VZ_RESULT_NO_MEMORY = -4,
  VZ_RESULT_BAD_COMMAND = -5, /* null record, wrong fCheck or operation nibble */
  VZ_RESULT_FATAL = -6
  /* -7 ... -36: -(engine error number), e.g. -13 archive cannot be opened */
};

/* Runs one command; returns the count of entries processed or a negative result. */
VZ_EXPORT int32_t VZ_CALL VZ_Exec(const TDLLCommands* Command);
/* Asks the running command whose key was announced with VZ_ACT_OPERATION_KEY to stop; returns 0
 * when such a command is running, -1 otherwise. Safe from any thread and from a callback. */
VZ_EXPORT int32_t VZ_CALL VZ_Abort(uint32_t Key);
VZ_EXPORT int32_t VZ_CALL VZ_Version(void);
VZ_EXPORT int32_t VZ_CALL VZ_PrivVersion(void);
/* Fills Buffer with the library's own file name, at most Capacity characters plus a terminating
 * zero: UTF-16 code units when IsWide is nonzero, else 8-bit text (UTF-8 on POSIX, ANSI on
 * Windows). */
VZ_EXPORT void VZ_CALL VZ_Name(void* Buffer, int32_t Capacity, int32_t IsWide);
/* "VlmZip190.dll version 1.9.0.0100, <build date>"; static text. */
VZ_EXPORT const char* VZ_CALL VZ_Banner(void);
/* The library's own path as 8-bit text; static text. */
VZ_EXPORT const char* VZ_CALL VZ_Path(void);

/* Types of the entry points, for run-time lookup. */
typedef int32_t(VZ_CALL* VZExecFunc)(const TDLLCommands*);
typedef int32_t(VZ_CALL* VZAbortFunc)(uint32_t);
typedef int32_t(VZ_CALL* VZVersionFunc)(void);
typedef void(VZ_CALL* VZNameFunc)(void*, int32_t, int32_t);
typedef const char*(VZ_CALL* VZTextFunc)(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The 32-bit record layouts are part of the interface. */
#if defined(__cplusplus)
#define VZ_STATIC_ASSERT static_assert
#else
#define VZ_STATIC_ASSERT _Static_assert
#endif
/* Checked on every build, binding where pointers are 4 bytes (the i686 compile proves them). */
#define VZ_NOT_32_BIT (sizeof(void*) != 4)
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || sizeof(TDLLCommands) == 76, "TDLLCommands is 76 bytes");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fCaller) == 4, "fCaller at 4");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fVersion) == 8, "fVersion at 8");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, ZCallbackFunc) == 12,
                 "ZCallbackFunc at 12");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, ZStreamFunc) == 16, "ZStreamFunc at 16");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fVerbosity) == 20, "fVerbosity at 20");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fEncodedAs) == 24, "fEncodedAs at 24");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fSS) == 28, "fSS at 28");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fFromPage) == 32, "fFromPage at 32");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fOptions) == 36, "fOptions at 36");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fPwdReqCount) == 40, "fPwdReqCount at 40");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fEncodeAs) == 44, "fEncodeAs at 44");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fLevel) == 48, "fLevel at 48");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fDate) == 52, "fDate at 52");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fNotUsed) == 56, "fNotUsed at 56");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TDLLCommands, fCheck) == 72, "fCheck at 72");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || sizeof(TZCallBackStruct) == 60, "TZCallBackStruct is 60 bytes");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Version) == 4, "Version at 4");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, IsOperationZip) == 8,
                 "IsOperationZip at 8");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, ActionCode) == 12, "ActionCode at 12");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, HaveWide) == 16, "HaveWide at 16");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, MsgP) == 20, "MsgP at 20");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Msg2P) == 24, "Msg2P at 24");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, File_Size) == 28, "File_Size at 28");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Written) == 36, "Written at 36");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Arg1) == 44, "Arg1 at 44");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Arg2) == 48, "Arg2 at 48");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Arg3) == 52, "Arg3 at 52");
VZ_STATIC_ASSERT(VZ_NOT_32_BIT || offsetof(TZCallBackStruct, Check) == 56, "Check at 56");

#endif /* VLM_ZIP_ENGINE_ENGINE_INTERFACE_H */
