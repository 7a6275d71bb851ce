#!/usr/bin/env python3
"""tests/tools/sign_release_test.py -- scripts/sign_release.sh signs a release's Windows binaries.

    sign_release_test.py SETUP_EXE VLMTOOL_EXE VLMZIP_DLL HTTPS_SETUP_EXE

Copies the four built files into a build folder of its own (the https setup.exe in app/https/), makes a throw-away certificate
authority and a code-signing certificate with openssl, signs offline, and checks with
`osslsigncode verify`: each signed copy verifies against the authority and carries no
time-stamp, the built files are unchanged, a changed byte and a foreign authority are refused,
and missing inputs stop with one clear message. Every step is bounded in time.

Prints one line per check and a closing "N passed, M failed"; exits 1 when any check failed.
"""

import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import script_checks  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCRIPT = os.path.join(ROOT, "scripts", "sign_release.sh")
LAYOUT = ["app/setup.exe", "tools/vlmtool.exe", "zip/engine/vlmzip190.dll", "app/https/setup.exe"]
BOUND_SECONDS = 120


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=BOUND_SECONDS, **kw)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def make_authority(folder, name):
    """A self-signed authority and a code-signing certificate issued by it."""
    ca_key, ca = os.path.join(folder, f"{name}-ca.key"), os.path.join(folder, f"{name}-ca.pem")
    key, csr = os.path.join(folder, f"{name}.key"), os.path.join(folder, f"{name}.csr")
    cert, ext = os.path.join(folder, f"{name}.pem"), os.path.join(folder, f"{name}.ext")
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=digitalSignature\n"
                "extendedKeyUsage=codeSigning\n")
    steps = [
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
         "-subj", f"/CN={name} test authority", "-keyout", ca_key, "-out", ca],
        ["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={name} publisher",
         "-keyout", key, "-out", csr],
        ["openssl", "x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial",
         "-days", "1", "-extfile", ext, "-out", cert],
    ]
    for step in steps:
        run(step).check_returncode()
    return ca, key, cert


def verify(path, ca):
    return run(["osslsigncode", "verify", "-CAfile", ca, "-in", path])


def main():
    if len(sys.argv) != 5:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    checks = script_checks.Checks()
    with tempfile.TemporaryDirectory(prefix="vlm-sign-") as work:
        build = os.path.join(work, "build")
        for source, relative in zip(sys.argv[1:], LAYOUT):
            os.makedirs(os.path.dirname(os.path.join(build, relative)), exist_ok=True)
            shutil.copyfile(source, os.path.join(build, relative))
        built = {r: sha256(os.path.join(build, r)) for r in LAYOUT}
        ca, key, cert = make_authority(work, "release")
        other_ca, _, _ = make_authority(work, "other")

        result = run(["bash", SCRIPT, "--key", key, "--cert", cert, build])
        checks.check("signs offline with exit 0", result.returncode == 0, result.stderr)
        signed = [os.path.join(build, "signed", *(["https"] if "https" in r else []),
                               os.path.basename(r)) for r in LAYOUT]
        for path in signed:
            name = os.path.relpath(path, os.path.join(build, "signed"))
            listed = f"signed {path}  sha256 {sha256(path)}" if os.path.exists(path) else None
            checks.check(f"{name}: signed copy listed with its sum",
                         listed is not None and listed in result.stdout, result.stdout)
            answer = verify(path, ca)
            checks.check(f"{name}: verifies against the authority", answer.returncode == 0,
                         answer.stdout[-400:] + answer.stderr[-400:])
            checks.check(f"{name}: no time-stamp without --timestamp",
                         "Timestamp is not available" in answer.stdout
                         or "No countersignature" in answer.stdout, answer.stdout[-400:])
            checks.check(f"{name}: a foreign authority is refused",
                         verify(path, other_ca).returncode != 0)
        checks.check("the built files are unchanged",
                     all(sha256(os.path.join(build, r)) == built[r] for r in LAYOUT))

        tampered = os.path.join(work, "tampered.exe")
        shutil.copyfile(signed[0], tampered)
        with open(tampered, "r+b") as f:
            f.seek(4096)
            byte = f.read(1)
            f.seek(4096)
            f.write(bytes([byte[0] ^ 0xFF]))
        checks.check("a changed byte fails verification", verify(tampered, ca).returncode != 0)

        again = run(["bash", SCRIPT, "--key", key, "--cert", cert, build])
        checks.check("signing again replaces the signed copies", again.returncode == 0
                     and verify(signed[0], ca).returncode == 0, again.stderr)

        refusals = [
            ("no key", ["--cert", cert, build], "--key and --cert are required"),
            ("unreadable key", ["--key", os.path.join(work, "none.pem"), "--cert", cert, build],
             "cannot read the key"),
            ("no build", ["--key", key, "--cert", cert, os.path.join(work, "empty")],
             "is missing: build the release first"),
            ("a key that is not a key", ["--key", cert, "--cert", cert, build],
             "signing " + os.path.join(build, "app/setup.exe") + " failed"),
        ]
        for name, args, message in refusals:
            answer = run(["bash", SCRIPT, *args])
            checks.check(f"refused: {name}", answer.returncode == 2 and message in answer.stderr,
                         f"exit {answer.returncode}: {answer.stderr.strip()}")
        help_text = run(["bash", SCRIPT, "--help"]).stdout
        checks.check("the usage says where the signed files go", "BUILD_DIR/signed/" in help_text,
                     help_text)
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
