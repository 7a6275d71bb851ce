// http/net_ip_version.h -- the IP version of a host, shared by the URI and the connection layer.
// A URL whose host is written in brackets names an IPv6 address; every other host is IPv4.
#pragma once

namespace vlm {

enum class TNetIPVersion { Net_IPv4, Net_IPv6 };

}  // namespace vlm
