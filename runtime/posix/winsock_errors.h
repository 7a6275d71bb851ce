// runtime/posix/winsock_errors.h -- errno and resolver codes in Windows Sockets numbering.
// Socket failures are reported with the Windows Sockets numbers on every build, so that the HTTP
// layer's messages ("Socket Error # 10061 ...") read the same on Linux and Windows.
#pragma once

namespace vlm {

// The Windows Sockets number for a socket call's errno (ECONNREFUSED -> 10061, ...). Values
// without a counterpart become 10000 + Errno, which has no text in the message table.
int WinsockErrorFromErrno(int Errno);

// The Windows Sockets number for a getaddrinfo result (EAI_NONAME -> 11001, EAI_AGAIN -> 11002,
// ...), as the Windows resolver reports the same failures.
int WinsockErrorFromResolver(int EaiCode, int Errno);

}  // namespace vlm
