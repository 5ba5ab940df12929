"""Debian's squid as a company proxy on loopback, with its configuration, logs and
state in a folder of its own; optionally asking for a name and password (Basic).

    with Squid(workdir, users={"ada": "secret"}) as proxy:
        proxy.port, proxy.tunnels(), proxy.log()
"""
import contextlib
import os
import signal
import subprocess
import time
from pathlib import Path

from servers import free_port, wait_for_port

SQUID = "/usr/sbin/squid"
BASIC_HELPER = "/usr/lib/squid/basic_ncsa_auth"


class Squid:
    def __init__(self, workdir: Path, users: "dict[str, str] | None" = None):
        self.workdir = Path(workdir).resolve()
        self.users = users or {}
        self.port = 0
        self.access_log = self.workdir / "access.log"
        self._proc: subprocess.Popen | None = None

    def _config(self) -> str:
        lines = [
            f"http_port 127.0.0.1:{self.port}",
            f"pid_filename {self.workdir}/squid.pid",
            f"cache_log {self.workdir}/cache.log",
            f"access_log stdio:{self.access_log}",
            f"coredump_dir {self.workdir}",
            "cache deny all",
            "netdb_filename none",
            "dns_nameservers 127.0.0.1",
            "shutdown_lifetime 0 seconds",
            "buffered_logs off",
        ]
        if self.users:
            lines += [f"auth_param basic program {BASIC_HELPER} {self.workdir}/passwords",
                      "auth_param basic realm Brinmark test proxy",
                      "acl signed_on proxy_auth REQUIRED",
                      "http_access allow localhost signed_on"]
        else:
            lines.append("http_access allow localhost")
        lines.append("http_access deny all")
        return "\n".join(lines) + "\n"

    def __enter__(self) -> "Squid":
        self.workdir.mkdir(parents=True, exist_ok=True)
        # As root squid runs as its own user, which must write here.
        os.chmod(self.workdir, 0o777)
        if self.users:
            hashes = [f"{user}:" + subprocess.run(["openssl", "passwd", "-apr1", password], capture_output=True,
                                                  text=True, check=True).stdout.strip()
                      for user, password in self.users.items()]
            (self.workdir / "passwords").write_text("\n".join(hashes) + "\n")
            os.chmod(self.workdir / "passwords", 0o644)
        self.port = free_port()
        config = self.workdir / "squid.conf"
        config.write_text(self._config())
        with open(self.workdir / "stderr.txt", "w") as errors:
            self._proc = subprocess.Popen([SQUID, "-N", "-f", str(config)], stdout=errors, stderr=errors,
                                          start_new_session=True)
        try:
            wait_for_port(self.port, 60, alive=lambda: self._proc.poll() is None)
        except BaseException:
            self._stop()
            raise
        return self

    def __exit__(self, *exc) -> None:
        self._stop()

    def _stop(self) -> None:
        if self._proc is None:
            return
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self._proc.pid, signal.SIGTERM)
        try:
            self._proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(self._proc.pid, signal.SIGKILL)
            self._proc.wait(timeout=10)
        self._proc = None

    def log(self) -> "list[dict]":
        """The access log: one entry per request, with its squid result code, status,
        method and address."""
        entries = []
        if self.access_log.exists():
            for line in self.access_log.read_text().splitlines():
                fields = line.split()
                if len(fields) >= 7:
                    code, _, status = fields[3].partition("/")
                    entries.append({"code": code, "status": int(status or 0), "method": fields[5],
                                    "url": fields[6], "user": fields[7] if len(fields) > 7 else "-"})
        return entries

    def tunnels(self, target: str) -> "list[dict]":
        """The CONNECT tunnels to `target` ("host:port") squid opened and closed."""
        return [e for e in self.log() if e["method"] == "CONNECT" and e["url"] == target and e["status"] == 200]
