#!/usr/bin/env python3
"""Measures how fast the setup brings a file from the server to the product installer's
start, against a bare 40-range WinINet reference, curl (one connection) and aria2c (16
connections), all fetching the same file from nginx over TLS on loopback, unthrottled and
with nginx's per-connection limit of 2 MiB/s. Writes build/bench/results.md, results.csv,
bench.png and raw.json, and prints the table.

usage: run_bench.py BUILD OUTPUT WINE_TEMPLATE [--sizes 16,64,...] [--runs N]

BUILD is the Windows build the tests run (bench programs made by its bench_programs
target); under 64-bit Wine with LUMAROUTE_WINE_ARCH=win64.
"""
import argparse
import contextlib
import fcntl
import hashlib
import json
import os
import random
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "harness"))
sys.path.insert(0, str(HERE))
import desktop  # noqa: E402
import measures  # noqa: E402
import servers  # noqa: E402
import wine  # noqa: E402

PORT = 18543  # the server LumarouteSetup-bench.exe was built for
URL_PATH = "/trial/lumaroute.exe"
AGREE, INSTALL = (25, 334), (382, 258)
FINISHED_CONTROL = 1015  # Start Now, shown once the installer has ended
LIMIT = "2m"  # nginx: 2 MiB/s per connection
LIMIT_MIB_S = 2.0
SIZES_MIB = (16, 64, 256)
THROTTLED_ONLY_MIB = (160,)  # the size the throttled target is stated for
WAIT_SECONDS = 900


def log(text: str) -> None:
    print(f"[bench] {text}", flush=True)


def timed(command: list, **kwargs) -> float:
    start = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, **kwargs)
    return time.monotonic() - start


def digest(path: Path) -> str:
    h = hashlib.sha256()
    with open(path, "rb") as f:
        while chunk := f.read(8 * 1024 * 1024):
            h.update(chunk)
    return h.hexdigest()


class Bench:
    def __init__(self, build: Path, out: Path, template: Path):
        self.build, self.out = build, out
        self.setup = build / "LumarouteSetup-bench.exe"
        self.helper = build / "tests" / "e2e_helper.exe"
        self.reference = build / "bench" / "range_fetch.exe"
        self.stamp_program = build / "bench" / "start_stamp.exe"
        self.spawn_clock = build / "bench" / "spawn_clock.exe"
        self.template = template
        self.files = out / "files"
        self.docroot = out / "www"
        self.scratch = out / "scratch"
        self.hashes: dict[int, str] = {}

    # --- files -----------------------------------------------------------------------
    def file_of(self, mib: int) -> Path:
        """The stand-in installer padded with random bytes to exactly `mib` MiB."""
        path = self.files / f"{mib}.exe"
        head = self.stamp_program.read_bytes()
        size = mib * measures.MIB
        if not (path.exists() and path.stat().st_size == size and path.read_bytes()[:len(head)] == head):
            self.files.mkdir(parents=True, exist_ok=True)
            with open(path, "wb") as f:
                f.write(head)
                f.write(random.Random(mib).randbytes(size - len(head)))
        self.hashes.setdefault(mib, digest(path))
        return path

    def serve(self, mib: int) -> None:
        target = self.docroot / URL_PATH.lstrip("/")
        target.parent.mkdir(parents=True, exist_ok=True)
        target.unlink(missing_ok=True)
        os.link(self.file_of(mib), target)

    def check(self, path: Path, mib: int, who: str) -> None:
        if digest(path) != self.hashes[mib]:
            raise RuntimeError(f"{who} fetched something else than the {mib} MiB file")
        path.unlink()

    # --- the setup -------------------------------------------------------------------
    def run_setup(self, server: "servers.Nginx") -> dict:
        stamp = self.prefix / "drive_c" / "bench-records" / "started.txt"
        stamp.unlink(missing_ok=True)
        run = desktop.Installer(self.env, self.helper, self.out / "run")
        try:
            window = run.start(self.setup).main_window()
            run.click(window, *AGREE)
            time.sleep(0.5)
            process = setup_process(self.setup.name, self.prefix)
            baseline = memory_kib(process, "VmRSS")
            logged = len(server.requests())
            run.click(window, *INSTALL)
            click = time.time()
            desktop.wait_for(stamp.exists, WAIT_SECONDS, "the stand-in installer's start", interval=0.05)
            peak = memory_kib(process, "VmHWM")
            started = float(stamp.read_text())
            desktop.wait_for(lambda: run.control(run.main_window(), FINISHED_CONTROL)["visible"], 120,
                             "the finished layout")
        finally:
            run.stop()
            wine.stop_wineserver(self.prefix)
        entries = settled_log(server)[logged:]
        return {"phases": measures.installer_phases(entries, click, started), "peak_kib": peak,
                "baseline_kib": baseline}

    def run_reference(self, server: "servers.Nginx", mib: int) -> dict:
        target = self.prefix / "drive_c" / "bench-out" / "reference.bin"
        target.parent.mkdir(parents=True, exist_ok=True)
        logged = len(server.requests())
        try:
            out = subprocess.run(
                wine.command(str(self.reference), "localhost", str(PORT), URL_PATH, str(mib * measures.MIB),
                             r"C:\bench-out\reference.bin"),
                env=self.env, capture_output=True, text=True, timeout=WAIT_SECONDS).stdout
        finally:
            wine.stop_wineserver(self.prefix)
        report = json.loads(out.strip().splitlines()[-1])
        if "error" in report:
            raise RuntimeError(f"the reference failed: {report}")
        self.check(target, mib, "the reference")
        return measures.reference_times(settled_log(server)[logged:], report["started"], report["received"],
                                         report["written"])

    def run_process_start(self) -> float:
        """How long a new process takes from CreateProcess to its first line here: the
        floor under the setup's last phase."""
        stamp = self.prefix / "drive_c" / "bench-records" / "started.txt"
        stamp.unlink(missing_ok=True)
        try:
            out = subprocess.run(wine.command(str(self.spawn_clock), wine.windows_path(self.stamp_program)),
                                 env=self.env, capture_output=True, text=True, timeout=120).stdout
        finally:
            wine.stop_wineserver(self.prefix)
        return float(stamp.read_text()) - json.loads(out.strip().splitlines()[-1])["spawned"]

    # --- the others ------------------------------------------------------------------
    def run_curl(self, mib: int, ca: Path) -> float:
        target = self.scratch / "curl.bin"
        seconds = timed(["curl", "-sS", "--fail", "--cacert", str(ca), "-o", str(target),
                         f"https://localhost:{PORT}{URL_PATH}"], timeout=WAIT_SECONDS)
        self.check(target, mib, "curl")
        return seconds

    def run_aria2(self, mib: int, ca: Path) -> float:
        # -k1M lets a 16 MiB file be split 16 ways too (aria2c splits no piece below 20 MiB
        # by default).
        seconds = timed(["aria2c", "-x16", "-s16", "-k1M", f"--ca-certificate={ca}", "--allow-overwrite=true",
                         "--auto-file-renaming=false", "--console-log-level=warn", "--summary-interval=0",
                         "-d", str(self.scratch), "-o", "aria2.bin", f"https://localhost:{PORT}{URL_PATH}"],
                        timeout=WAIT_SECONDS)
        self.check(self.scratch / "aria2.bin", mib, "aria2c")
        return seconds

    def run_dd(self, mib: int) -> float:
        """How long this disk takes to write and flush the file (where the prefix lives)."""
        target = self.scratch / "dd.bin"
        seconds = timed(["dd", "if=/dev/zero", f"of={target}", "bs=1M", f"count={mib}", "conv=fsync",
                         "status=none"])
        target.unlink()
        return seconds

    # --- a run -----------------------------------------------------------------------
    def run_case(self, mib: int, limited: bool, certs) -> dict:
        self.serve(mib)
        name = f"{mib} MiB, {'2 MiB/s per connection' if limited else 'unthrottled'}"
        with servers.Nginx(self.out / "nginx", self.docroot, certs.server_cert, certs.server_key, port=PORT,
                           limit_rate=LIMIT if limited else None) as server:
            log(f"{name}: the setup")
            setup = self.run_setup(server)
            log(f"{name}: the reference")
            reference = self.run_reference(server, mib)
            process_start = self.run_process_start()
            log(f"{name}: curl")
            curl = self.run_curl(mib, certs.ca_cert)
            log(f"{name}: aria2c")
            aria2 = self.run_aria2(mib, certs.ca_cert)
        dd = self.run_dd(mib)
        case = {"size": mib * measures.MIB, "limit": LIMIT_MIB_S if limited else None, **setup,
                **reference, "process_start": process_start, "curl": curl, "aria2": aria2, "dd": dd}
        log(f"{name}: setup {setup['phases']['total']:.2f} s, reference {reference['reference']:.2f} s, "
            f"curl {curl:.2f} s, aria2c {aria2:.2f} s, dd {dd:.2f} s")
        return case

    def run(self, cases: list, runs: int) -> list:
        certs = servers.make_test_ca(self.out / "certs")
        self.scratch.mkdir(parents=True, exist_ok=True)
        self.prefix = wine.clone_prefix(wine.ensure_template(self.template), self.out / "prefix")
        every_run = []
        with wine.xvfb() as display:
            self.env = wine.wine_env(self.prefix, display)
            try:
                subprocess.run(wine.command(str(self.helper), "trust-ca", str(certs.ca_cert)), env=self.env,
                               check=True, timeout=120, capture_output=True)
                for number in range(runs):
                    log(f"run {number + 1} of {runs}")
                    every_run.append([self.run_case(mib, limited, certs) for mib, limited in cases])
            finally:
                wine.stop_wineserver(self.prefix)
        return every_run


# --- the setup's process, seen from Linux ------------------------------------------------

def setup_process(name: str, prefix: Path) -> int:
    """The Linux process id of the Wine process running `name` in `prefix`."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        with contextlib.suppress(OSError):
            # Wine shows the Windows command line; its first word is the program (the
            # helper that launched it names it only further on).
            program = (entry / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
            if not program.replace("\\", "/").lower().endswith("/" + name.lower()):
                continue
            environment = (entry / "environ").read_bytes().split(b"\0")
            if f"WINEPREFIX={prefix}".encode() in environment:
                found.append(int(entry.name))
    if len(found) != 1:
        raise RuntimeError(f"{len(found)} processes run {name} in {prefix}")
    return found[0]


def memory_kib(pid: int, field: str) -> int:
    """VmRSS (the working set now) or VmHWM (its peak so far) of a process, in KiB."""
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError(f"no {field} for process {pid}")


def settled_log(server: "servers.Nginx") -> list:
    """The access log once it stops growing: nginx logs a request when its connection's
    last byte is out or the client has gone, a moment after the client ended."""
    previous = -1
    for _ in range(40):
        entries = server.requests()
        if len(entries) == previous:
            return entries
        previous = len(entries)
        time.sleep(0.25)
    return entries


# --- main --------------------------------------------------------------------------------

def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", type=Path)
    parser.add_argument("output", type=Path)
    parser.add_argument("template", type=Path)
    parser.add_argument("--sizes", default=",".join(map(str, SIZES_MIB + THROTTLED_ONLY_MIB)),
                        help="file sizes in MiB (160 is measured throttled only)")
    parser.add_argument("--runs", type=int, default=1, help="runs of every case; the table shows medians")
    args = parser.parse_args()
    sizes = sorted({int(s) for s in args.sizes.split(",")})
    cases = [(mib, False) for mib in sizes if mib not in THROTTLED_ONLY_MIB] + [(mib, True) for mib in sizes]
    out = args.output.resolve()
    out.mkdir(parents=True, exist_ok=True)

    # One benchmark at a time on its port.
    with open(f"/tmp/lumaroute-{PORT}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        bench = Bench(args.build.resolve(), out, args.template.resolve())
        every_run = bench.run(cases, args.runs)

    (out / "raw.json").write_text(json.dumps(every_run, indent=1))
    rows = measures.median_rows([[measures.case_row(case) for case in run] for run in every_run])
    header = (f"Measured {time.strftime('%Y-%m-%d')} on {machine()}, {wine.wine_version()} "
              f"({wine.ARCH}), {args.runs} run(s), medians.\n\n")
    table = header + measures.markdown(rows)
    (out / "results.md").write_text(table)
    (out / "results.csv").write_text(measures.csv_text(rows))
    subprocess.run([sys.executable, str(HERE / "plot.py"), str(out / "results.csv"), str(out / "bench.png")],
                   check=True)
    print(table)
    print(f"[bench] {out / 'results.md'}, {out / 'results.csv'}, {out / 'bench.png'}")
    return 0


def machine() -> str:
    cores = os.cpu_count()
    model = "unknown processor"
    with contextlib.suppress(OSError):
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    memory = int(Path("/proc/meminfo").read_text().split()[1]) // (1024 * 1024)
    return f"{cores} cores ({model}), {memory} GiB"


if __name__ == "__main__":
    sys.exit(main())
