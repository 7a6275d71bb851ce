// runtime/posix/winsock_errors.cpp -- the one table from errno and resolver codes to Windows
// Sockets numbers.
#include "runtime/posix/winsock_errors.h"

#include <netdb.h>

#include <cerrno>

namespace vlm {

int WinsockErrorFromErrno(int Errno) {
  switch (Errno) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES:
    case EPERM: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE:
    case ENFILE: return 10024;
    case EWOULDBLOCK: return 10035;  // EAGAIN is the same value on Linux
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    // Windows reports a send on a connection the peer has reset as a reset, not as a broken pipe.
    case EPIPE:
    case ECONNRESET: return 10054;
    case ENOBUFS:
    case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    default: return 10000 + Errno;
  }
}

int WinsockErrorFromResolver(int EaiCode, int Errno) {
  switch (EaiCode) {
    case 0: return 0;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:  // the name exists but has no address of the family asked for
#endif
      return 11001;                // WSAHOST_NOT_FOUND
    case EAI_AGAIN: return 11002;  // WSATRY_AGAIN
    case EAI_FAIL: return 11003;   // WSANO_RECOVERY
    case EAI_FAMILY: return 10047;
    case EAI_SOCKTYPE: return 10044;
    case EAI_SERVICE: return 10109;  // WSATYPE_NOT_FOUND
    case EAI_BADFLAGS: return 10022;
    case EAI_MEMORY: return 8;  // WSA_NOT_ENOUGH_MEMORY
    case EAI_SYSTEM: return WinsockErrorFromErrno(Errno);
    default: return 11003;
  }
}

}  // namespace vlm
