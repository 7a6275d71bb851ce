#!/usr/bin/env python3
"""tests/tools/vlmtool_tls_test.py -- "vlmtool get" over https against TLS servers on loopback.

    vlmtool_tls_test.py [--trust-helper TRUST_EXE] VLMTOOL [EMULATOR...]

Makes a test authority and server certificates with openssl (tests/support/test_certificates.py)
and serves files over TLS from python3's http.server on 127.0.0.1, one server per case. The
authority is trusted for the tool alone: natively through OpenSSL's SSL_CERT_FILE (with an empty
SSL_CERT_DIR, so the machine's store plays no part); for the Windows build through the wine
prefix's current-user Root store, where TRUST_EXE adds it for the run and removes it at the end.

Checked: files fetched byte for byte over TLS 1.2 and TLS 1.3 servers, by IP address and by DNS
name; each server that must be refused is refused with its own message, nothing is saved and no
request reaches the server: an unknown authority (with and without its certificate sent along),
a look-alike authority (same name, another key), an expired certificate, one for another host,
a TLS 1.0-only server, and a redirect from https to http. Prints one line per check and a
closing "N passed, M failed"; exits 1 when any check failed.
"""

import http.server
import os
import ssl
import sys
import tempfile
import threading
import warnings

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402
import test_certificates  # noqa: E402

BOUND_SECONDS = 120
FILES = {"/deploy.vlm": b"[vlmv2menu]\r\nURL=vlmv2menu.pkg\r\n",
         "/big.bin": bytes((i * 7 + i // 251) % 256 for i in range(300000))}


class TlsServer:
    """python3's http.server over TLS on 127.0.0.1 at a free port; counts the requests it
    answers. /moved answers with a redirect to plain http."""

    def __init__(self, cert, key, versions=None):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        if versions:
            context.set_ciphers("DEFAULT:@SECLEVEL=0")  # let an old version be offered at all
            with warnings.catch_warnings():  # TLS 1.0 is deprecated: that is the point
                warnings.simplefilter("ignore", DeprecationWarning)
                context.minimum_version, context.maximum_version = versions
        self.requests = 0
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                server.requests += 1
                if self.path == "/moved":
                    self.send_response(302)
                    self.send_header("Location", f"http://127.0.0.1:{server.port}/deploy.vlm")
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                body = FILES.get(self.path)
                self.send_response(200 if body is not None else 404)
                body = body if body is not None else b"missing"
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True

            def finish_request(self, request, client_address):
                # The handshake runs in the connection's own thread, bounded, so a client that
                # stops half-way never holds up the accepting loop or the shutdown.
                request.settimeout(BOUND_SECONDS / 4)
                try:
                    request = context.wrap_socket(request, server_side=True)
                except (ssl.SSLError, OSError):
                    return
                super().finish_request(request, client_address)

        self.httpd = Server(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path, host="127.0.0.1"):
        return f"https://{host}:{self.port}{path}"

    def __enter__(self):
        return self

    def __exit__(self, *args):
        self.httpd.shutdown()
        self.httpd.server_close()


def main():
    args = sys.argv[1:]
    trust_helper = None
    if args[:1] == ["--trust-helper"]:
        trust_helper, args = args[1], args[2:]
    if not args:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    tool, emulator = args[0], args[1:]
    checks = script_checks.Checks()
    with tempfile.TemporaryDirectory(prefix="vlm-tls-") as work:
        certs = os.path.join(work, "certs")
        authority = test_certificates.make_authority(certs, "Velmora test authority")
        stranger = test_certificates.make_authority(os.path.join(certs, "s"), "Unknown authority")
        look_alike = test_certificates.make_authority(os.path.join(certs, "l"),
                                                      "Velmora test authority")
        issue = test_certificates.issue
        good = issue(certs, "good", authority, "DNS:localhost,IP:127.0.0.1,IP:127.0.0.2")
        from_stranger = issue(certs, "stranger-leaf", stranger, "IP:127.0.0.1")
        from_look_alike = issue(certs, "look-alike-leaf", look_alike, "IP:127.0.0.1")
        expired = issue(certs, "expired", authority, "IP:127.0.0.1", "-30d", "-2d")
        other_host = issue(certs, "other-host", authority, "DNS:elsewhere.test,IP:127.0.0.2")
        # The unknown authority's certificate sent along with its leaf.
        with_chain = os.path.join(certs, "stranger-chain.pem")
        with open(with_chain, "wb") as out:
            for part in (from_stranger[0], stranger[0]):
                with open(part, "rb") as f:
                    out.write(f.read())

        env = dict(os.environ)
        if trust_helper:
            added = script_checks.run_program(emulator + [trust_helper, "add", authority[0]],
                                              timeout=BOUND_SECONDS)
            if not checks.check("the test authority is trusted in the prefix",
                                added.returncode == 0, added.stderr):
                return checks.finish()
        else:
            empty = os.path.join(work, "no-store")
            os.makedirs(empty)
            env.update(SSL_CERT_FILE=authority[0], SSL_CERT_DIR=empty)

        def get(*pairs):
            command = emulator + [tool, "get"] + [str(p) for p in pairs]
            done = script_checks.run_program(command, timeout=BOUND_SECONDS, env=env)
            return done.returncode, done.stderr.decode("utf-8", "replace")

        try:
            out = os.path.join(work, "out")
            os.makedirs(out)
            for name, versions in (("TLS 1.3", None),
                                   ("TLS 1.2", (ssl.TLSVersion.TLSv1_2, ssl.TLSVersion.TLSv1_2))):
                with TlsServer(*good, versions) as server:
                    a, b = os.path.join(out, "a"), os.path.join(out, "b")
                    code, err = get(server.url("/deploy.vlm"), a,
                                    server.url("/big.bin", "localhost"), b)
                    fetched = code == 0 and all(
                        os.path.exists(p) and open(p, "rb").read() == FILES[u]
                        for p, u in ((a, "/deploy.vlm"), (b, "/big.bin")))
                    checks.check(f"{name} server: both files by address and by name", fetched,
                                 f"exit {code}: {err.strip()}")
                    os.remove(a) if os.path.exists(a) else None
                    os.remove(b) if os.path.exists(b) else None

            untrusted = "not issued by an authority this computer trusts"
            refusals = [
                ("an unknown authority", from_stranger, None, "/deploy.vlm", untrusted),
                ("an unknown authority sent along", (with_chain, from_stranger[1]), None,
                 "/deploy.vlm", untrusted),
                ("a look-alike authority", from_look_alike, None, "/deploy.vlm", untrusted),
                ("an expired certificate", expired, None, "/deploy.vlm", "(expired on "),
                ("a certificate for another host", other_host, None, "/deploy.vlm",
                 "issued for another name than 127.0.0.1"),
                ("a TLS 1.0-only server", good, (ssl.TLSVersion.TLSv1, ssl.TLSVersion.TLSv1),
                 "/deploy.vlm", "TLS 1.2 or newer"),
                ("a redirect to http", good, None, "/moved",
                 "redirected a secure request to an insecure address"),
            ]
            for name, pair, versions, path, message in refusals:
                try:
                    server = TlsServer(*pair, versions)
                except ssl.SSLError as e:  # an OpenSSL without the old versions at all
                    print(f"skip {name}: {e}")
                    continue
                with server:
                    target = os.path.join(out, "refused")
                    code, err = get(server.url(path), target)
                    requests = server.requests
                checks.check(f"refused: {name}", code != 0 and message in err,
                             f"exit {code}: {err.strip()}")
                checks.check(f"refused: {name}: nothing saved", not os.path.exists(target))
                expected = 1 if path == "/moved" else 0
                checks.check(f"refused: {name}: {expected} request(s) reached the server",
                             requests == expected, f"{requests} requests")
        finally:
            if trust_helper:
                script_checks.run_program(emulator + [trust_helper, "remove", authority[0]],
                                          timeout=BOUND_SECONDS)
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
