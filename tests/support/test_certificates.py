"""Throw-away certificates for tests over TLS, made with the openssl command in a folder of the
caller's: an authority, and server certificates issued by it with chosen names and validity
(openssl's "ca" command, so that a certificate can also be expired or not yet valid). Nothing
leaves the folder; nothing is trusted by the machine."""

import datetime
import os
import subprocess

BOUND_SECONDS = 60

_CONFIG = """[ca]
default_ca = test
[test]
dir = {folder}
database = {folder}/index.txt
new_certs_dir = {folder}
serial = {folder}/serial
default_md = sha256
policy = anything
unique_subject = no
[anything]
commonName = supplied
"""


def _run(args):
    subprocess.run(args, check=True, capture_output=True, timeout=BOUND_SECONDS)


def make_authority(folder, name):
    """A self-signed authority; returns (certificate path, key path)."""
    os.makedirs(folder, exist_ok=True)
    cert, key = os.path.join(folder, f"{name}.pem"), os.path.join(folder, f"{name}.key")
    _run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
          "-subj", f"/CN={name}", "-keyout", key, "-out", cert,
          "-addext", "basicConstraints=critical,CA:TRUE",
          "-addext", "keyUsage=critical,keyCertSign,cRLSign"])
    return cert, key


def issue(folder, name, authority, alt_names, start="-1d", end="+30d"):
    """A server certificate for alt_names ("DNS:localhost,IP:127.0.0.1") issued by authority
    (a pair from make_authority), valid from start to end: "+Nd"/"-Nd" days from now or an
    openssl date (YYYYMMDDHHMMSSZ). Returns (certificate path, key path)."""
    ca_cert, ca_key = authority
    work = os.path.join(folder, f"{name}-ca")
    os.makedirs(work, exist_ok=True)
    open(os.path.join(work, "index.txt"), "w").close()
    with open(os.path.join(work, "serial"), "w") as f:
        f.write(f"{int.from_bytes(os.urandom(8), 'big') | (1 << 60):016X}\n")
    config = os.path.join(work, "ca.cnf")
    with open(config, "w") as f:
        f.write(_CONFIG.format(folder=work))
    ext = os.path.join(work, "ext.cnf")
    with open(ext, "w") as f:
        f.write(f"basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n"
                f"subjectAltName={alt_names}\n")

    def when(text):
        if text[0] in "+-" and text.endswith("d"):
            moment = datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(
                days=int(text[:-1]))
            return moment.strftime("%Y%m%d%H%M%SZ")
        return text

    cert, key = os.path.join(folder, f"{name}.pem"), os.path.join(folder, f"{name}.key")
    csr = os.path.join(work, "request.csr")
    _run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={name}",
          "-keyout", key, "-out", csr])
    _run(["openssl", "ca", "-batch", "-notext", "-config", config, "-cert", ca_cert,
          "-keyfile", ca_key, "-in", csr, "-out", cert, "-extfile", ext,
          "-startdate", when(start), "-enddate", when(end)])
    return cert, key
