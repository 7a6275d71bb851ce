#!/usr/bin/env python3
"""demo/make_demo_site.py -- builds the demo deployment site (served by nginx in the demo, by
scripts/deploy_server.py in the tests).

    make_demo_site.py --out DIR --menu-exe FILE --package-files DIR
                      --production URL --staging URL --development URL [--release VERSION]

Three servers, each named by its base URL (http://ADDRESS[:PORT][/PATH] or https://..., no
trailing "/"; all three of one scheme, as one setup.exe is built for one of them). For
each one the site holds, in DIR/ADDRESS/PATH/:

  deploy.vlm     the deployment descriptor: INI text with CR LF line ends whose section
                 [vlmv2menu] names the package on that same server (URL=BASE/vlmv2menu.pkg), the
                 release (Release=VERSION-SERVERNAME, so each server's files are told apart) and
                 seals the package (Size=its length, SHA256=its digest), as vlmtool seal does;
  vlmv2menu.pkg  the demo menu package, a ZIP archive (Deflate) holding FILE as "vlmv2menu.exe"
                 and the files below --package-files under their relative names, with directory
                 entries for their folders ("docs/", "docs/readme.txt", ...);
  release.inf    the release information, a few lines that the setup program stores unread.

DIR/site.json, written last, lists the servers, their base URLs and the files made. DIR is
emptied first, so a changed URL leaves no stale server folder behind; a failure on the way
removes DIR, so no half-made site is left to serve. The archive's entries carry
a fixed date, so the same inputs give the same bytes.

ADDRESS must be a loopback IPv4 address (127.x.y.z): the deployment server answers nowhere else.
"""

import argparse
import hashlib
import ipaddress
import json
import os
import shutil
import sys
import urllib.parse
import zipfile

PACKAGE_NAME = "vlmv2menu.pkg"
MENU_ENTRY = "vlmv2menu.exe"
ENTRY_DATE = (2026, 1, 15, 12, 0, 0)  # fixed, even seconds (ZIP times count in 2 s steps)
DOS_DIRECTORY = 0x10
DOS_ARCHIVE = 0x20


class SiteError(Exception):
    pass


def server_place(name, base_url):
    """(address, path segments) of a base URL; raises SiteError when the site cannot serve it."""
    parts = urllib.parse.urlsplit(base_url)
    if parts.scheme not in ("http", "https"):
        raise SiteError(f"{name}: base URL {base_url!r} is not an http or https URL")
    if parts.username or parts.password or parts.query or parts.fragment:
        raise SiteError(f"{name}: base URL {base_url!r} carries user, query or fragment")
    if base_url.endswith("/"):
        raise SiteError(f"{name}: base URL {base_url!r} ends with '/'")
    try:
        address = ipaddress.IPv4Address(parts.hostname or "")
    except ipaddress.AddressValueError:
        raise SiteError(f"{name}: host of {base_url!r} is not an IPv4 address") from None
    if not address.is_loopback:
        raise SiteError(f"{name}: host of {base_url!r} is not a loopback address")
    segments = [s for s in parts.path.split("/") if s]
    for segment in segments:
        # The path becomes folders of the site: nothing that could climb out of it.
        if segment in (".", "..") or "\\" in segment or "%" in segment:
            raise SiteError(f"{name}: path of {base_url!r} has an unusable segment {segment!r}")
    return str(address), segments


def package_entries(menu_exe, files_root):
    """(archive name, source path or None for a directory) in archive order."""
    entries = [(MENU_ENTRY, menu_exe)]
    for folder, subfolders, files in os.walk(files_root):
        subfolders.sort()
        relative = os.path.relpath(folder, files_root).replace(os.sep, "/")
        if relative != ".":
            entries.append((relative + "/", None))
        prefix = "" if relative == "." else relative + "/"
        for name in sorted(files):
            entries.append((prefix + name, os.path.join(folder, name)))
    return entries


def build_package(path, menu_exe, files_root):
    with zipfile.ZipFile(path, "w") as archive:
        for name, source in package_entries(menu_exe, files_root):
            member = zipfile.ZipInfo(name, date_time=ENTRY_DATE)
            member.create_system = 0  # MS-DOS attributes, as an archiver on Windows writes them
            if source is None:
                member.external_attr = DOS_DIRECTORY
                member.compress_type = zipfile.ZIP_STORED
                archive.writestr(member, b"")
                continue
            member.external_attr = DOS_ARCHIVE
            member.compress_type = zipfile.ZIP_DEFLATED
            with open(source, "rb") as f:
                archive.writestr(member, f.read(), compresslevel=9)


def crlf_text(lines):
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def descriptor(server, base_url, release, package):
    with open(package, "rb") as f:
        data = f.read()
    return crlf_text([
        f"; Velmora v2 deployment descriptor, {server} server",
        "[vlmv2menu]",
        f"URL={base_url}/{PACKAGE_NAME}",
        f"Release={release}",
        f"Size={len(data)}",
        f"SHA256={hashlib.sha256(data).hexdigest()}",
        "",
        "[Server]",
        f"Name={server}",
    ])


def release_information(server, release):
    return crlf_text([
        "VLMREL 2",
        f"channel {server}",
        f"build {release}",
        "modules vlmv2menu vlmv2sysmodhttpsvr",
    ])


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def build_site(out, menu_exe, files_root, bases, version):
    places = {name: server_place(name, url) for name, url in bases.items()}
    folders = {name: os.path.join(out, address, *segments)
               for name, (address, segments) in places.items()}
    if len(set(folders.values())) != len(folders):
        raise SiteError("two servers share one base URL")
    if len({urllib.parse.urlsplit(url).scheme for url in bases.values()}) != 1:
        raise SiteError("the base URLs mix http and https")
    if not os.path.isfile(menu_exe):
        raise SiteError(f"menu program {menu_exe!r} does not exist")
    if not os.path.isdir(files_root):
        raise SiteError(f"package files folder {files_root!r} does not exist")
    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(out)
    try:
        fill_site(out, menu_exe, files_root, bases, version, places, folders)
    except BaseException:
        shutil.rmtree(out, ignore_errors=True)  # no half-made site for the server to serve
        raise


def fill_site(out, menu_exe, files_root, bases, version, places, folders):
    package = os.path.join(out, PACKAGE_NAME)
    build_package(package, menu_exe, files_root)
    manifest = {"package": PACKAGE_NAME, "servers": []}
    for name, base_url in bases.items():
        folder = folders[name]
        os.makedirs(folder, exist_ok=True)
        release = f"{version}-{name}"
        shutil.copyfile(package, os.path.join(folder, PACKAGE_NAME))
        write_file(os.path.join(folder, "deploy.vlm"), descriptor(name, base_url, release, package))
        write_file(os.path.join(folder, "release.inf"), release_information(name, release))
        manifest["servers"].append({
            "name": name,
            "base_url": base_url,
            "address": places[name][0],
            "folder": os.path.relpath(folder, out).replace(os.sep, "/"),
            "package_url": f"{base_url}/{PACKAGE_NAME}",
            "release": release,
        })
    manifest["entries"] = [name for name, _ in package_entries(menu_exe, files_root)]
    write_file(os.path.join(out, "site.json"), json.dumps(manifest, indent=2).encode() + b"\n")


def main():
    parser = argparse.ArgumentParser(description="Builds the demo deployment site.")
    parser.add_argument("--out", required=True)
    parser.add_argument("--menu-exe", required=True)
    parser.add_argument("--package-files", required=True)
    parser.add_argument("--production", required=True)
    parser.add_argument("--staging", required=True)
    parser.add_argument("--development", required=True)
    parser.add_argument("--release", default="2.0.1")
    args = parser.parse_args()
    bases = {"production": args.production, "staging": args.staging,
             "development": args.development}
    try:
        build_site(args.out, args.menu_exe, args.package_files, bases, args.release)
    except (SiteError, OSError) as error:
        print(f"make_demo_site.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
