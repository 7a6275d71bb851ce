// http/net_exception.h -- the root of the HTTP subsystem's exceptions.
// Every failure of the HTTP client is an ENetException or a descendant, so a caller can catch the
// whole subsystem with one handler; the class name is what tools print in their error lines.
#pragma once

#include "runtime/exception.h"

namespace vlm {

VLM_DECLARE_EXCEPTION(ENetException, Exception);

// A URI cannot be joined: its protocol or its host is empty.
VLM_DECLARE_EXCEPTION(ENetURIException, ENetException);

}  // namespace vlm
