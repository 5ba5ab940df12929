"""Loopback web servers for the tests that download: Debian's nginx (plain or TLS),
the test certificates, and the port helpers that fault_server.py shares.

Everything listens on the loopback interface only, on a port the system picks, and
every server started here is stopped (and waited for) by the context manager that
started it. Standard library only, plus the openssl and nginx programs from Debian.
"""
import contextlib
import dataclasses
import fcntl
import json
import os
import secrets
import signal
import socket
import subprocess
import time
from pathlib import Path

NGINX = "/usr/sbin/nginx"
START_TIMEOUT_SECONDS = 15
STOP_TIMEOUT_SECONDS = 15


# --- certificates ---------------------------------------------------------------

@dataclasses.dataclass(frozen=True)
class TestCertificates:
    ca_cert: Path           # the test CA a prefix may be told to trust
    server_cert: Path       # "localhost" and 127.0.0.1, signed by ca_cert
    server_key: Path
    untrusted_ca_cert: Path  # a CA nobody trusts ...
    untrusted_cert: Path     # ... and a "localhost" certificate signed by it
    untrusted_key: Path
    publisher_cert: Path     # code signing for PUBLISHER, issued by ca_cert
    publisher_key: Path
    other_publisher_cert: Path  # code signing for someone else, issued by ca_cert
    other_publisher_key: Path
    impostor_cert: Path      # code signing in PUBLISHER's name, issued by the untrusted CA
    impostor_key: Path


# The publisher the end-to-end build of the program requires (LUMAROUTE_E2E_SIGNER).
PUBLISHER = "Lumaroute Test Publisher"


_OPENSSL_CONFIG = """\
[req]
distinguished_name = dn
prompt = no
[dn]
CN = unused
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[server_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[signer_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""


def _openssl(*args: str) -> None:
    subprocess.run(["openssl", *args], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _make_ca(directory: Path, stem: str, name: str, config: Path) -> None:
    _openssl("req", "-x509", "-new", "-newkey", "rsa:2048", "-nodes", "-sha256",
             "-days", "3650", "-config", str(config), "-extensions", "ca_ext",
             "-subj", f"/CN={name}", "-keyout", str(directory / f"{stem}.key"),
             "-out", str(directory / f"{stem}.pem"))


def _make_cert(directory: Path, stem: str, ca_stem: str, config: Path, name: str = "localhost",
               extensions: str = "server_ext") -> None:
    csr = directory / f"{stem}.csr"
    _openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-sha256", "-config", str(config),
             "-subj", f"/CN={name}", "-keyout", str(directory / f"{stem}.key"), "-out", str(csr))
    _openssl("x509", "-req", "-in", str(csr), "-sha256", "-days", "825",
             "-CA", str(directory / f"{ca_stem}.pem"), "-CAkey", str(directory / f"{ca_stem}.key"),
             "-set_serial", "0x" + secrets.token_hex(8),
             "-extfile", str(config), "-extensions", extensions,
             "-out", str(directory / f"{stem}.pem"))
    csr.unlink()


def _still_valid(cert: Path) -> bool:
    """True when the certificate exists and is good for at least another day."""
    if not cert.exists():
        return False
    return subprocess.run(["openssl", "x509", "-checkend", "86400", "-noout", "-in", str(cert)],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=60).returncode == 0


def make_test_ca(directory: Path) -> TestCertificates:
    """A test CA with a server certificate for localhost/127.0.0.1, and an untrusted CA
    with one of its own. Made once and kept in `directory`; later calls (from parallel
    tests too) reuse them while they are valid."""
    directory = Path(directory)
    directory.mkdir(parents=True, exist_ok=True)
    certs = TestCertificates(
        ca_cert=directory / "test-ca.pem",
        server_cert=directory / "server.pem",
        server_key=directory / "server.key",
        untrusted_ca_cert=directory / "untrusted-ca.pem",
        untrusted_cert=directory / "untrusted-server.pem",
        untrusted_key=directory / "untrusted-server.key",
        publisher_cert=directory / "publisher.pem",
        publisher_key=directory / "publisher.key",
        other_publisher_cert=directory / "other-publisher.pem",
        other_publisher_key=directory / "other-publisher.key",
        impostor_cert=directory / "impostor.pem",
        impostor_key=directory / "impostor.key",
    )
    with open(directory / ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = directory / ".complete"
        if stamp.exists() and all(_still_valid(c) for c in
                                  (certs.ca_cert, certs.server_cert, certs.untrusted_ca_cert,
                                   certs.untrusted_cert, certs.publisher_cert,
                                   certs.other_publisher_cert, certs.impostor_cert)):
            return certs
        stamp.unlink(missing_ok=True)
        config = directory / "openssl.cnf"
        config.write_text(_OPENSSL_CONFIG)
        _make_ca(directory, "test-ca", "Lumaroute Test CA", config)
        _make_cert(directory, "server", "test-ca", config)
        _make_ca(directory, "untrusted-ca", "Lumaroute Untrusted CA", config)
        _make_cert(directory, "untrusted-server", "untrusted-ca", config)
        _make_cert(directory, "publisher", "test-ca", config, PUBLISHER, "signer_ext")
        _make_cert(directory, "other-publisher", "test-ca", config, "Someone Else Software", "signer_ext")
        _make_cert(directory, "impostor", "untrusted-ca", config, PUBLISHER, "signer_ext")
        stamp.write_text("")
    return certs


def sign_program(program: bytes, cert: Path, key: Path, work: Path) -> bytes:
    """`program` with an Authenticode signature (SHA-256) by `cert`, made by osslsigncode."""
    work.mkdir(parents=True, exist_ok=True)
    unsigned, signed = work / "unsigned.exe", work / "signed.exe"
    unsigned.write_bytes(program)
    signed.unlink(missing_ok=True)
    subprocess.run(["osslsigncode", "sign", "-certs", str(cert), "-key", str(key), "-h", "sha256",
                    "-in", str(unsigned), "-out", str(signed)], check=True, timeout=120,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    data = signed.read_bytes()
    unsigned.unlink()
    signed.unlink()
    return data


# --- ports ------------------------------------------------------------------------

def free_port() -> int:
    """A loopback port nobody listened on a moment ago (also usable as a closed port)."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


def _ipv6_loopback() -> bool:
    try:
        with socket.socket(socket.AF_INET6, socket.SOCK_STREAM) as sock:
            sock.bind(("::1", 0))
        return True
    except OSError:
        return False


def wait_for_port(port: int, timeout: float, alive=lambda: True) -> None:
    """Polls until 127.0.0.1:port accepts a connection; fails after `timeout` seconds or
    as soon as `alive()` says the server is gone."""
    deadline = time.monotonic() + timeout
    while True:
        with contextlib.suppress(OSError):
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return
        if not alive():
            raise RuntimeError(f"the server for port {port} ended before it listened")
        if time.monotonic() > deadline:
            raise RuntimeError(f"nothing listened on port {port} within {timeout:.0f} s")
        time.sleep(0.05)


# --- nginx ------------------------------------------------------------------------

# One JSON object per request: enough to see the probe and the ranges that tile a
# file, and (from the end time and duration) how many requests overlapped.
_LOG_FORMAT = (
    '{"method":"$request_method","uri":"$request_uri","range":"$http_range",'
    '"status":"$status","body_bytes":"$body_bytes_sent","bytes":"$bytes_sent",'
    '"connection":"$connection","connection_requests":"$connection_requests",'
    '"request_time":"$request_time","msec":"$msec","scheme":"$scheme",'
    '"cache_control":"$http_cache_control","pragma":"$http_pragma",'
    '"user_agent":"$http_user_agent","protocol":"$server_protocol",'
    '"if_range":"$http_if_range","accept_encoding":"$http_accept_encoding","etag":"$sent_http_etag"}'
)
_NUMERIC_FIELDS = {"status": int, "body_bytes": int, "bytes": int, "connection": int,
                   "connection_requests": int, "request_time": float, "msec": float}


class Nginx:
    """Debian's nginx serving `docroot` on a free loopback port, over TLS when a
    certificate and key are given. Its files (configuration, pid, logs) live in
    `workdir`, which is emptied first.

        with Nginx(workdir, docroot) as server:
            server.port, server.requests()
    """

    def __init__(self, workdir: Path, docroot: Path, cert: Path | None = None,
                 key: Path | None = None, port: int = 0, limit_rate: str | None = None,
                 limit_conn: int | None = None):
        if (cert is None) != (key is None):
            raise ValueError("a TLS server needs both a certificate and a key")
        self.workdir = Path(workdir).resolve()
        self.docroot = Path(docroot).resolve()
        self.cert, self.key = cert, key
        self.fixed_port = port  # 0: any free port
        self.limit_rate = limit_rate  # nginx's per-connection cap, e.g. "2m"; None: none
        # Requests one client may have in progress at once; nginx answers 503 to more.
        self.limit_conn = limit_conn
        self.port = 0
        self.access_log = self.workdir / "access.log"
        self.error_log = self.workdir / "error.log"
        self._proc: subprocess.Popen | None = None

    @property
    def secure(self) -> bool:
        return self.cert is not None

    def _config(self) -> str:
        listen = [f"127.0.0.1:{self.port}"]
        if _ipv6_loopback():
            # Debian's /etc/hosts names ::1 "localhost" too, and a client may try it first.
            listen.append(f"[::1]:{self.port}")
        ssl = " ssl" if self.secure else ""
        tls = ""
        if self.secure:
            tls = (f"    ssl_certificate {Path(self.cert).resolve()};\n"
                   f"    ssl_certificate_key {Path(self.key).resolve()};\n")
        temp = self.workdir / "tmp"
        # Workers drop to "nobody" under a root master unless told otherwise; they would
        # then not be able to read a docroot under a private folder.
        user = "user root;\n" if os.geteuid() == 0 else ""
        return (
            f"{user}"
            "worker_processes 1;\n"
            f"pid {self.workdir / 'nginx.pid'};\n"
            f"error_log {self.error_log} info;\n"
            "events { worker_connections 512; }\n"
            "http {\n"
            f"  log_format lumaroute escape=json '{_LOG_FORMAT}';\n"
            f"  access_log {self.access_log} lumaroute;\n"
            f"  client_body_temp_path {temp / 'body'};\n"
            f"  proxy_temp_path {temp / 'proxy'};\n"
            f"  fastcgi_temp_path {temp / 'fastcgi'};\n"
            f"  uwsgi_temp_path {temp / 'uwsgi'};\n"
            f"  scgi_temp_path {temp / 'scgi'};\n"
            "  default_type application/octet-stream;\n"
            "  keepalive_timeout 30s;\n"
            "  limit_conn_zone $binary_remote_addr zone=per_client:1m;\n"
            "  server {\n"
            + "".join(f"    listen {address}{ssl};\n" for address in listen) +
            "    server_name localhost;\n"
            f"{tls}"
            f"    root {self.docroot};\n"
            + "    location / {"
            + (f" limit_rate {self.limit_rate};" if self.limit_rate else "")
            + (f" limit_conn per_client {self.limit_conn};" if self.limit_conn else "")
            + " }\n" +
            "  }\n"
            "}\n")

    def __enter__(self) -> "Nginx":
        for attempt in range(5):
            self.workdir.mkdir(parents=True, exist_ok=True)
            for name in ("access.log", "error.log", "nginx.pid", "stderr.log"):
                (self.workdir / name).unlink(missing_ok=True)
            (self.workdir / "tmp").mkdir(exist_ok=True)
            self.port = self.fixed_port or free_port()
            config = self.workdir / "nginx.conf"
            config.write_text(self._config())
            with open(self.workdir / "stderr.log", "wb") as stderr:
                self._proc = subprocess.Popen(
                    [NGINX, "-p", str(self.workdir), "-c", str(config), "-e", str(self.error_log),
                     "-g", "daemon off;"],
                    stdin=subprocess.DEVNULL, stdout=stderr, stderr=stderr,
                    start_new_session=True)
            try:
                wait_for_port(self.port, START_TIMEOUT_SECONDS,
                              alive=lambda: self._proc.poll() is None)
                return self
            except RuntimeError:
                self._stop()
                # Someone else may have taken the port between our look and nginx's bind.
                if ("Address already in use" not in self._errors() or self.fixed_port
                        or attempt == 4):
                    raise RuntimeError("nginx did not start:\n" + self._errors()) from None
        raise AssertionError("unreachable")

    def __exit__(self, *exc) -> None:
        self._stop()

    def _stop(self) -> None:
        proc, self._proc = self._proc, None
        if proc is None:
            return
        if proc.poll() is None:
            # TERM is nginx's fast shutdown; the master ends its workers first.
            proc.terminate()
            try:
                proc.wait(timeout=STOP_TIMEOUT_SECONDS)
            except subprocess.TimeoutExpired:
                pass
        # Whatever is left of the group (a stuck worker) goes too.
        with contextlib.suppress(ProcessLookupError):
            os.killpg(proc.pid, signal.SIGKILL)
        proc.wait(timeout=STOP_TIMEOUT_SECONDS)

    def _errors(self) -> str:
        text = ""
        for path in (self.workdir / "stderr.log", self.error_log):
            with contextlib.suppress(OSError):
                text += path.read_text(errors="replace")
        return text

    @property
    def url(self) -> str:
        return f"{'https' if self.secure else 'http'}://127.0.0.1:{self.port}/"

    def requests(self) -> list[dict]:
        """The requests logged so far, oldest first, with numbers as numbers."""
        entries = []
        with contextlib.suppress(FileNotFoundError):
            for line in self.access_log.read_text().splitlines():
                if not line.strip():
                    continue
                entry = json.loads(line)
                for name, kind in _NUMERIC_FIELDS.items():
                    with contextlib.suppress(ValueError, KeyError):
                        entry[name] = kind(entry[name])
                entry["start"] = entry["msec"] - entry["request_time"]
                entries.append(entry)
        return entries


def max_overlap(intervals) -> int:
    """The largest number of (start, end) intervals open at one instant."""
    events = sorted([(start, 1) for start, _ in intervals] + [(end, -1) for _, end in intervals],
                    key=lambda event: (event[0], event[1]))
    current = best = 0
    for _, step in events:
        current += step
        best = max(best, current)
    return best
