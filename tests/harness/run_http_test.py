#!/usr/bin/env python3
"""Runs the Windows-side HTTP tests (download_tests.exe) under Wine against loopback
servers, then checks what the servers received.

Servers: nginx over plain HTTP, nginx over TLS with a certificate from a test CA,
nginx over TLS with a certificate from a CA nobody trusts, and our fault server
holding every range for a while.
The prefix is a fresh clone of the template. The program runs twice in it: first
before the test CA is trusted there (its TLS requests to the test CA's server must be
refused, which shows the trust later on comes from this prefix's store alone), then,
after `e2e_helper trust-ca`, with every test.

usage: run_http_test.py TEMPLATE WORKDIR DOWNLOAD_TESTS_EXE E2E_HELPER_EXE [GTEST ARGS...]
"""
import contextlib
import hashlib
import json
import shutil
import signal
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import fault_server  # noqa: E402
import servers  # noqa: E402
import wine  # noqa: E402

TIMEOUT_SECONDS = 300
FILE_SIZE = 1024 * 1024
SEGMENTS = 40
# Long enough that 40 ranges at a limit of 2 or 6 connections could not overlap by
# chance, short enough to keep the run quick.
SLOW_DELAY_SECONDS = 3.0
APIS = ("WinInet", "WinHttp")
PROBE_VERB = {"WinInet": "GET", "WinHttp": "HEAD"}


def test_file(path: Path) -> Path:
    """1 MiB of bytes that never repeat in a pattern an off-by-some read could match."""
    data = b"".join(hashlib.sha256(i.to_bytes(4, "little")).digest()
                    for i in range(FILE_SIZE // 32))
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    return path


def run_wine(env: dict, program: Path, *args: str) -> subprocess.CompletedProcess:
    print("$ wine", program.name, *args, flush=True)
    result = subprocess.run(wine.command(str(program), *args), env=env, cwd=program.parent,
                            timeout=TIMEOUT_SECONDS)
    print(f"(exit status {result.returncode})", flush=True)
    return result


def gtest_report(path: Path) -> list[dict]:
    """The tests of a --gtest_output=json report: name, result, failures."""
    report = json.loads(path.read_text())
    return [test for suite in report.get("testsuites", []) for test in suite.get("testsuite", [])]


def tagged(requests: list[dict], api: str, case: str) -> list[dict]:
    return [r for r in requests if f"api={api}&" in r["uri"] and r["uri"].endswith(f"case={case}")]


class Checks:
    """Collects the failed server-side checks rather than stopping at the first."""

    def __init__(self):
        self.failures: list[str] = []

    def expect(self, condition: bool, message: str) -> None:
        print(("  ok   " if condition else "  FAIL ") + message)
        if not condition:
            self.failures.append(message)


def check_server(checks: Checks, label: str, requests: list[dict]) -> None:
    """One probe, one range and one whole-file request per interface, as sent."""
    checks.expect(not [r for r in requests if "case=malformed" in r["uri"]],
                  f"{label}: a request whose header was refused was not sent")
    for api in APIS:
        ranges = tagged(requests, api, "range")
        checks.expect(len(ranges) == 1, f"{label} {api}: one range request (got {len(ranges)})")
        for r in ranges:
            checks.expect(r["method"] == "GET" and r["range"] == "bytes=100-199",
                          f"{label} {api}: the server saw GET with Range exactly "
                          f"'bytes=100-199' (got {r['method']} '{r['range']}')")
            checks.expect(r["status"] == 206 and r["body_bytes"] == 100,
                          f"{label} {api}: 206 with 100 bytes (got {r['status']}, {r['body_bytes']})")
            checks.expect(r["protocol"] == "HTTP/1.1", f"{label} {api}: HTTP/1.1 (got {r['protocol']})")

        release = tagged(requests, api, "release")
        sent = [(r["range"], r["if_range"], r["accept_encoding"], r["status"]) for r in release[1:]]
        checks.expect(len(release) == 3 and sent[0][1:] == (release[0]["etag"], "identity", 206)
                      and sent[1] == ("bytes=100-199", '"another"', "identity", 200),
                      f"{label} {api}: If-Range and Accept-Encoding as sent, honoured (got {sent})")

        wholes = tagged(requests, api, "whole")
        checks.expect(len(wholes) == 1, f"{label} {api}: one whole-file request (got {len(wholes)})")
        for r in wholes:
            checks.expect(r["method"] == "GET" and r["range"] == "" and r["status"] == 200
                          and r["body_bytes"] == FILE_SIZE,
                          f"{label} {api}: GET without Range, 200 and the whole file "
                          f"(got {r['method']} '{r['range']}' {r['status']} {r['body_bytes']})")

        probes = tagged(requests, api, "probe")
        checks.expect(len(probes) == 1, f"{label} {api}: one probe (got {len(probes)})")
        for r in probes:
            checks.expect(r["method"] == PROBE_VERB[api] and r["status"] == 200,
                          f"{label} {api}: probe with {PROBE_VERB[api]} answered 200 "
                          f"(got {r['method']} {r['status']})")

        # WINHTTP_FLAG_REFRESH puts "Pragma: no-cache" and (on HTTP/1.1) "Cache-Control:
        # no-cache" on the request, on Windows and Wine alike: that is what sends a
        # caching proxy on to us. Wine's WinINet sends neither for INTERNET_FLAG_RELOAD
        # (it only bypasses its own cache), so for WinINet a missing header is noted,
        # and only a wrong one fails.
        sent = {(r["pragma"], r["cache_control"]) for r in ranges + wholes + probes}
        if api == "WinHttp":
            checks.expect(sent == {("no-cache", "no-cache")},
                          f"{label} {api}: Pragma and Cache-Control no-cache on every request "
                          f"(got {sorted(sent)})")
        else:
            checks.expect(all(h in ("", "no-cache") for pair in sent for h in pair),
                          f"{label} {api}: no cache header other than no-cache (got {sorted(sent)})")
            if ("", "") in sent:
                print(f"  note {label} {api}: requests without Pragma or Cache-Control")


def main() -> int:
    if len(sys.argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    # A stop from outside (CTest's timeout) still runs the cleanups below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    template, workdir, program, helper = (Path(a).resolve() for a in sys.argv[1:5])
    gtest_args = sys.argv[5:]
    shutil.rmtree(workdir, ignore_errors=True)
    workdir.mkdir(parents=True)

    certs = servers.make_test_ca(workdir.parent / "test-certificates")
    served = test_file(workdir / "www" / "data.bin")
    checks = Checks()

    with contextlib.ExitStack() as stack:
        plain = stack.enter_context(servers.Nginx(workdir / "nginx-plain", served.parent))
        tls = stack.enter_context(servers.Nginx(workdir / "nginx-tls", served.parent,
                                                certs.server_cert, certs.server_key))
        untrusted = stack.enter_context(servers.Nginx(workdir / "nginx-untrusted", served.parent,
                                                      certs.untrusted_cert, certs.untrusted_key))
        slow = stack.enter_context(fault_server.FaultServer(served, hold=SLOW_DELAY_SECONDS))
        prefix, env = stack.enter_context(wine.wine_session(template, workdir, display=False))

        # Loopback only: no proxy from the caller's environment may stand in between.
        for name in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                     "ALL_PROXY", "no_proxy", "NO_PROXY"):
            env.pop(name, None)
        env.update({
            "LUMAROUTE_HTTP_PORT": str(plain.port),
            "LUMAROUTE_HTTPS_PORT": str(tls.port),
            "LUMAROUTE_UNTRUSTED_PORT": str(untrusted.port),
            "LUMAROUTE_SLOW_PORT": str(slow.port),
            "LUMAROUTE_CLOSED_PORT": str(servers.free_port()),
            "LUMAROUTE_TEST_FILE": wine.windows_path(served),
        })

        print("== before the test CA is trusted in the prefix", flush=True)
        before = workdir / "before-trust.json"
        result = run_wine({**env, "LUMAROUTE_TEST_CA_TRUSTED": "0"}, program,
                          "--gtest_filter=*BeforeItsCaIsTrusted*", "--gtest_output=json:"
                          + wine.windows_path(before), *gtest_args)
        checks.expect(result.returncode == 0, "the test CA's server is refused before trust-ca")
        ran = [t for t in gtest_report(before) if t.get("result") == "COMPLETED"] if before.exists() else []
        checks.expect(len(ran) == len(APIS), f"the refusal ran for both interfaces (ran {len(ran)})")

        print("== trusting the test CA in this prefix only", flush=True)
        result = run_wine(env, helper, "trust-ca", wine.windows_path(certs.ca_cert))
        checks.expect(result.returncode == 0, "e2e_helper trust-ca added the test CA")

        print("== every test", flush=True)
        result = run_wine({**env, "LUMAROUTE_TEST_CA_TRUSTED": "1"}, program, *gtest_args)
        checks.expect(result.returncode == 0, "download_tests passed")

        print("== what the servers received", flush=True)
        check_server(checks, "plain", plain.requests())
        check_server(checks, "tls", tls.requests())
        before_trust = [r for r in tls.requests() if "case=before-trust" in r["uri"]]
        checks.expect(not before_trust, "no request reached the TLS server while its CA was untrusted")
        checks.expect(not untrusted.requests(),
                      f"no request reached the untrusted server (got {len(untrusted.requests())})")
        for api in APIS:
            overlap = slow.max_overlap(lambda r, api=api: f"api={api}&" in r.path)
            count = len([r for r in slow.requests if f"api={api}&" in r.path])
            checks.expect(count == SEGMENTS and overlap == SEGMENTS,
                          f"{api}: all {SEGMENTS} ranges were in flight at once "
                          f"(requests {count}, at most {overlap} at once)")

    # The template every other test clones must not have picked the CA up.
    thumbprint = subprocess.run(
        ["openssl", "x509", "-noout", "-fingerprint", "-sha1", "-in", str(certs.ca_cert)],
        capture_output=True, text=True, check=True, timeout=60).stdout
    thumbprint = thumbprint.strip().split("=", 1)[1].replace(":", "").upper()
    in_template = [reg.name for reg in template.glob("*.reg")
                   if thumbprint in reg.read_text(errors="replace").upper()]
    checks.expect(not in_template, f"the template prefix does not trust the test CA ({in_template})")

    if checks.failures:
        print(f"{len(checks.failures)} server-side check(s) failed", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
