"""Debian's squid as a company proxy on a free loopback port, its configuration, logs
and state in a folder of its own; asking for a name and password (Basic) when given
`users`.

    with Squid(workdir, users={"ada": "secret"}) as proxy:
        proxy.port, proxy.tunnels("localhost:18443"), proxy.log()
"""
import contextlib
import os
import signal
import subprocess
from pathlib import Path

from servers import free_port, wait_for_port


class Squid:
    def __init__(self, workdir: Path, users: "dict[str, str] | None" = None):
        self.workdir = Path(workdir).resolve()
        self.users = users or {}
        self.port = 0
        self._proc = None

    def __enter__(self) -> "Squid":
        self.workdir.mkdir(parents=True, exist_ok=True)
        os.chmod(self.workdir, 0o777)  # as root squid runs as its own user, which writes here
        self.port = free_port()
        w = self.workdir
        lines = [f"http_port 127.0.0.1:{self.port}", f"pid_filename {w}/squid.pid", f"cache_log {w}/cache.log",
                 f"access_log stdio:{w}/access.log", f"coredump_dir {w}", "cache deny all", "netdb_filename none",
                 "dns_nameservers 127.0.0.1", "shutdown_lifetime 0 seconds"]
        if self.users:
            hashes = [user + ":" + subprocess.run(["openssl", "passwd", "-apr1", password], capture_output=True,
                                                  text=True, check=True).stdout.strip()
                      for user, password in self.users.items()]
            (w / "passwords").write_text("\n".join(hashes) + "\n")
            lines += [f"auth_param basic program /usr/lib/squid/basic_ncsa_auth {w}/passwords",
                      "acl signed_on proxy_auth REQUIRED", "http_access deny !signed_on"]
        lines += ["http_access allow localhost", "http_access deny all"]
        (w / "squid.conf").write_text("\n".join(lines) + "\n")
        with open(w / "stderr.txt", "w") as errors:
            self._proc = subprocess.Popen(["/usr/sbin/squid", "-N", "-f", str(w / "squid.conf")], stdout=errors,
                                          stderr=errors, start_new_session=True)
        try:
            wait_for_port(self.port, 60, alive=lambda: self._proc.poll() is None)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc) -> None:
        for how in (signal.SIGTERM, signal.SIGKILL):
            with contextlib.suppress(ProcessLookupError):
                os.killpg(self._proc.pid, how)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self._proc.wait(timeout=10)
                return

    def log(self) -> "list[dict]":
        """The access log, one entry per request: status, method, address, user."""
        path = self.workdir / "access.log"
        fields = [line.split() for line in (path.read_text().splitlines() if path.exists() else [])]
        return [{"status": int(f[3].partition("/")[2] or 0), "method": f[5], "url": f[6], "user": f[7]}
                for f in fields if len(f) > 7]

    def tunnels(self, target: str) -> "list[dict]":
        """The CONNECT tunnels to `target` squid opened (logged once closed)."""
        return [e for e in self.log() if e["method"] == "CONNECT" and e["url"] == target and e["status"] == 200]
