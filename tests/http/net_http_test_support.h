// tests/http/net_http_test_support.h -- shared pieces of the HTTP client tests: the exact request
// head the installer's client sends, reply builders, and a client that runs over a scripted
// in-memory peer instead of a socket.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "http/net_http.h"
#include "tests/support/scripted_io_handler.h"

namespace vlm::test {

// The installer's request head for ATarget, with AHost as the Host value and AExtra (complete
// header lines with CR LF, e.g. cookies) after User-Agent.
inline std::string InstallerHead(const std::string& ATarget, const std::string& AHost,
                                 const std::string& AExtra = "") {
  return "GET " + ATarget + " HTTP/1.1\r\nHost: " + AHost +
         "\r\nAccept: text/html, */*\r\nAccept-Encoding: identity\r\n"
         "User-Agent: Mozilla/3.0 (compatible; Velmora Setup)\r\n" +
         AExtra + "\r\n";
}

// A complete reply with a Content-Length; AHeaders are extra lines, each ended by CR LF.
inline std::string Reply(const std::string& AStatus, const std::string& ABody,
                         const std::string& AHeaders = "") {
  return "HTTP/1.1 " + AStatus + "\r\n" + AHeaders +
         "Content-Length: " + std::to_string(ABody.size()) + "\r\n\r\n" + ABody;
}

// A client with the installer's settings whose connection is a scripted peer. The handler is
// closed until the client connects, as a fresh socket handler would be.
struct ScriptedClient {
  ScriptedClient() {
    ApplyInstallerSettings(Client);
    auto Handler = std::make_unique<ScriptedIOHandler>();
    Peer = Handler.get();
    Peer->Close();
    Client.SetIOHandler(std::move(Handler));
  }
  TNetHTTP Client;
  ScriptedIOHandler* Peer;  // owned by Client
};

// The events of a component as lines ("begin read 5", "work read 5", "end read").
using Lines = std::vector<std::string>;

}  // namespace vlm::test
