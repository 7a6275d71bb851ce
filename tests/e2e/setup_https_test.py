#!/usr/bin/env python3
"""tests/e2e/setup_https_test.py -- the https setup.exe end to end: under wine with a display,
against nginx serving the https demo site on loopback with a test authority's certificate.

    setup_https_test.py --setup EXE --probe EXE --trust-helper EXE --engine DLL --site DIR
                        --work DIR --prefix DIR --production URL --staging URL --development URL
                        [--only NAMES]

EXE is the setup.exe built for the https servers (app/https/setup.exe), DIR the site made for
them (demo-site-https). A test authority and the server certificates are made by openssl in the
work folder; trust_test_ca.exe trusts the authority in the prefix's current-user Root store for
the run (never the machine's store). Scenarios:

- a whole installation over https from nginx offering TLS 1.2 and 1.3 (wine's TLS takes 1.2),
  which sends a Secure cookie with every reply: the three files over one connection, the
  cookie sent back with the second and third request, everything installed, "Done !" ends;
- servers that must be refused, each with its own message in the error box and a log line with
  the system's code, no request in nginx's log, nothing saved next to the executable or in the
  folder, and the window stopped: an authority the prefix does not trust (with and without its
  certificate sent along), a look-alike authority (the trusted one's name, another key), an
  expired certificate, one for another host, a server of TLS 1.0 and 1.1 only; and a redirect
  of the descriptor to plain http, where the plain server sees no request.

Prints one line per check and "N passed, M failed"; exits 1 when a check failed.
"""

import argparse
import glob
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import nginx_site  # noqa: E402
import setup_driver as drv  # noqa: E402
import setup_e2e_test as e2e  # noqa: E402
import test_certificates  # noqa: E402

COOKIE = "vlm_session=4711; Secure; Path=/"
PLAIN_PORT = 47811  # where the redirect points: the plain servers' port


class Context(e2e.Context):
    def __init__(self, args):
        super().__init__(args)
        self.authority = None
        self.prepared = False

    def prepare(self):
        """Once: the authority's files made after it live in the work folder."""
        if not self.prepared:
            super().prepare()
            self.prepared = True

    def nginx(self, name, tls, **options):
        """nginx serving the site over TLS on the production port; configuration and logs in
        the work folder's nginx-NAME."""
        return nginx_site.NginxSite(self.args.site, os.path.join(self.work, "nginx-" + name),
                                    self.servers["production"].port, tls=tls, **options)

    def log_path(self):
        """The log of /loglevel1 (the user's temporary folder), emptied."""
        found = [p for p in glob.glob(os.path.join(self.prefix.drive_c, "users", "*", "Temp"))
                 if "Public" not in p]
        path = os.path.join(found[0], "vlmv2setup.log") if found else None
        if path and os.path.exists(path):
            os.remove(path)
        return path


def scenario_installation(c):
    label = "https"
    c.reset()
    runs = c.engine_runs()
    server = c.servers["production"]
    with c.nginx("install", nginx_site.Tls(*c.authority.served()), cookie=COOKIE) as nginx:
        run, exe_folder = c.start("https")
        try:
            if not e2e.start_install(c, run, label) or not e2e.wait_installed(c, run, label):
                return
            requests = nginx.requests()
            c.check(f"{label}: nginx was asked for the three files",
                    [(r.address, r.line, r.status) for r in requests] ==
                    [server.request(n) for n in ("deploy.vlm", "vlmv2menu.pkg", "release.inf")],
                    str(requests))
            c.check(f"{label}: over one kept-alive connection",
                    len({(r.client, r.connection) for r in requests}) == 1, str(requests))
            c.check(f"{label}: the Secure cookie went back with the later requests only",
                    [r.cookie for r in requests] == ["-", "vlm_session=4711", "vlm_session=4711"],
                    str([r.cookie for r in requests]))
            e2e.check_exe_folder(c, exe_folder, server, label)
            e2e.check_install_folder(c, server, exe_folder, label)
            e2e.check_links(c, label, "")
            e2e.check_engine_record(c, label, runs)
            e2e.press_done_ends(c, run, exe_folder, label)
        finally:
            run.stop()


def scenario_refused(c, name, tls, message, redirect=False):
    """setup.exe against a server that must be refused: the error box shows message, and
    nothing of the server's is saved, unpacked or run."""
    label = f"refused: {name}"
    c.reset()
    log = c.log_path()
    plain_site = os.path.join(c.work, "plain-site")
    os.makedirs(os.path.join(plain_site, "127.0.0.1"), exist_ok=True)
    redirects = {"/deploy.vlm": f"http://127.0.0.1:{PLAIN_PORT}/deploy.vlm"} if redirect else {}
    plain = nginx_site.NginxSite(plain_site, os.path.join(c.work, "nginx-plain"), PLAIN_PORT,
                                 ["127.0.0.1"])
    with c.nginx(name.replace(" ", "-"), tls, redirects=redirects) as nginx, plain:
        run, exe_folder = c.start(name.replace(" ", "-"), "/loglevel1")
        try:
            run.press_install(by_keys=True)
            box = run.wait_message_box()
            if not c.check(f"{label}: an error box appears", box is not None,
                           str(run.top_windows())):
                return
            text = run.box_message(box)
            c.check(f"{label}: the box says why", text.startswith(message), text)
            run.click_box_button(box, "OK")
            c.check(f"{label}: OK closes the box", run.wait_gone(box["hwnd"]))
            button = run.install_button(run.refresh())
            c.check(f"{label}: the button stays disabled, never \"Done !\"",
                    button and not button["enabled"] and button["text"] == "Install", str(button))
            expected = [c.servers["production"].request("deploy.vlm")[:2] + (302,)] if redirect \
                else []
            c.check(f"{label}: no request reached a server but the one refused",
                    [(r.address, r.line, r.status) for r in nginx.requests()] == expected
                    and plain.requests() == [], f"{nginx.requests()} {plain.requests()}")
            files, folders = drv.snapshot(c.folder)
            c.check(f"{label}: nothing saved into the installation folder",
                    files == {} and folders == set(), f"{sorted(files)} {sorted(folders)}")
            c.check(f"{label}: no descriptor saved next to the executable",
                    not os.path.exists(os.path.join(exe_folder, "deploy.vlm")))
            if not redirect:
                text = drv.read_bytes(log).decode("latin-1") if log and os.path.exists(log) else ""
                c.check(f"{label}: the log names the system's code",
                        "secure connection refused: " + message in text and "(system code 0x"
                        in text, text[-300:])
            run.close()
            c.check(f"{label}: closing the window ends the program", run.wait_exit(30) is not None)
        finally:
            run.stop()


def refusals(c):
    """(name, Tls, message start, redirect) of each server that must be refused."""
    a = c.authority
    stranger = test_certificates.make_authority(os.path.join(a.folder, "s"), "Unknown authority")
    look_alike = test_certificates.make_authority(os.path.join(a.folder, "l"), a.name)
    from_stranger = a.issue("stranger-leaf", a.SERVED_NAMES, authority=stranger)
    chain = os.path.join(a.folder, "stranger-chain.pem")
    with open(chain, "wb") as out:
        out.write(drv.read_bytes(from_stranger[0]) + drv.read_bytes(stranger[0]))
    untrusted = "The server 127.0.0.1 presented a certificate that is not trusted (it is not " \
                "issued by an authority this computer trusts)."
    served = a.served()
    return [
        ("unknown authority", nginx_site.Tls(*from_stranger), untrusted, False),
        ("unknown authority sent along", nginx_site.Tls(chain, from_stranger[1]), untrusted,
         False),
        ("look-alike authority", nginx_site.Tls(*a.issue("look-alike-leaf", a.SERVED_NAMES,
                                                         authority=look_alike)), untrusted, False),
        ("expired", nginx_site.Tls(*a.issue("expired", a.SERVED_NAMES, "-30d", "-2d")),
         "The server 127.0.0.1 presented a certificate that is not trusted (expired on ", False),
        ("another host", nginx_site.Tls(*a.issue("other-host", "DNS:elsewhere.test,IP:127.0.0.2")),
         "The server 127.0.0.1 presented a certificate that is not trusted (it is issued for "
         "another name than 127.0.0.1).", False),
        ("TLS 1.0 and 1.1 only", nginx_site.Tls(*served, "TLSv1 TLSv1.1", "DEFAULT:@SECLEVEL=0"),
         "The server 127.0.0.1 does not offer a secure connection of TLS 1.2 or newer", False),
        ("redirect to http", nginx_site.Tls(*served),
         "The server 127.0.0.1 redirected a secure request to an insecure address "
         f"(http://127.0.0.1:{PLAIN_PORT}/deploy.vlm); it is not followed.", True),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for name in ("setup", "probe", "trust-helper", "engine", "site", "work", "prefix",
                 "production", "staging", "development"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--only", help="comma-separated scenario names (for debugging)")
    args = parser.parse_args()
    args.screenshots = None
    if not os.environ.get("DISPLAY"):
        print("setup_https_test.py needs a display: run it through scripts/gui-run",
              file=sys.stderr)
        return 2
    c = Context(args)
    c.prepare()
    try:
        with drv.TrustedAuthority(c.prefix, args.trust_helper,
                                  os.path.join(c.work, "certs")) as authority:
            c.authority = authority
            scenarios = [("install", scenario_installation)]
            scenarios += [(name.replace(" ", "-"), lambda c, r=(name, tls, message, redirect):
                           scenario_refused(c, *r)) for name, tls, message, redirect in refusals(c)]
            return e2e.run_scenarios(c, scenarios, args.only)
    except (drv.DriverError, nginx_site.NginxError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
