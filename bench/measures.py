"""What the benchmark makes of its raw readings: the setup's phases, the comparisons with
the other downloaders, the targets, and the tables. Plain Python, no I/O, so that a unit
test can feed it made-up readings.

Every moment is Unix seconds. The server's access log is the clock where it can be: it
says when each request began and when its last byte went out. The Install click is the
moment the mouse button went up (the benchmark's own clock), and the installer's start
is the moment the stand-in installer noted as it began (Windows' clock, the same wall
clock under Wine).
"""
import statistics

MIB = 1024 * 1024
SEGMENTS = 40  # ranges the setup (and the reference) fetch at once

# Bounds the setup is held to.
THROTTLED_SLACK = 1.15         # times the ideal transfer, plus the disk's own time
REFERENCE_SHARE = 0.80         # of the bare reference's throughput, unthrottled
MEMORY_HEADROOM_MIB = 32       # over the file's size


def is_range(entry: dict) -> bool:
    return entry.get("range", "") not in ("", "-")


def installer_phases(entries: list, click: float, started: float) -> dict:
    """Splits the time from the click to the installer's start at the size probe's
    request, the first range request and the last byte the server sent."""
    probes = [e for e in entries if not is_range(e)]
    ranges = [e for e in entries if is_range(e)]
    if not probes or not ranges:
        raise ValueError(f"{len(probes)} size requests and {len(ranges)} ranges in the log; need both")
    probe = min(e["start"] for e in probes)
    first_range = min(e["start"] for e in ranges)
    last_byte = max(e["msec"] for e in ranges)
    return {
        # How long the ranges took to get going, and over how many connections: 40
        # ranges at once need 40 connections.
        "start_spread": max(e["start"] for e in ranges) - first_range,
        "connections": len({e["connection"] for e in ranges}),
        "click_to_probe": probe - click,
        "probe_to_first_range": first_range - probe,
        "transfer": last_byte - first_range,
        "last_byte_to_start": started - last_byte,
        "total": started - click,
        "download": started - probe,
        "ranges": len(ranges),
    }


def reference_times(entries: list, started: float, received: float, written: float) -> dict:
    """The reference's own time, from its threads setting out to its file being on disk
    (its clock); of that, how long its 40 connections took until the server saw the first
    request, how widely its range requests' starts spread (the server's clock), and its
    one write and flush of the whole file."""
    ranges = [e for e in entries if is_range(e)]
    if not ranges:
        raise ValueError("the reference's ranges are not in the log")
    first = min(e["start"] for e in ranges)
    return {"reference": written - started, "reference_spread": max(e["start"] for e in ranges) - first,
            "reference_first_request": first - started, "reference_write": written - received}


def ideal_transfer(size: int, limit_mib_s: float | None) -> float | None:
    """How long 40 connections held to the limit each need for the file."""
    if not limit_mib_s:
        return None
    return size / (SEGMENTS * limit_mib_s * MIB)


def case_row(case: dict) -> dict:
    """One table row from one case's readings: `size` (bytes), `limit` (MiB/s or
    None), `phases` (installer_phases), `reference`, `curl`, `aria2`, `dd` (seconds),
    `peak_kib` and `baseline_kib` (the setup's working set)."""
    size, phases = case["size"], case["phases"]
    row = {
        "size_mib": size / MIB,
        "limit_mib_s": case["limit"] or 0,
        **{name: phases[name] for name in ("click_to_probe", "probe_to_first_range", "transfer",
                                           "last_byte_to_start", "total", "download", "ranges",
                                           "start_spread", "connections")},
        "reference": case["reference"],
        "reference_spread": case["reference_spread"],
        "reference_first_request": case["reference_first_request"],
        "reference_write": case["reference_write"],
        "process_start": case["process_start"],
        "curl": case["curl"],
        "aria2": case["aria2"],
        "dd": case["dd"],
        "peak_mib": case["peak_kib"] / 1024,
        "baseline_mib": case["baseline_kib"] / 1024,
    }
    row["outside_transfer_share"] = 1 - phases["transfer"] / phases["total"]
    row["installer_mib_s"] = row["size_mib"] / phases["total"]
    # Above 1 the setup is the faster. The setup's whole time, click to installer, is
    # held against the reference's whole fetch: the setup is charged for its window's
    # work and its size request, which the reference does not do.
    row["vs_reference"] = case["reference"] / phases["total"]
    row["vs_curl"] = case["curl"] / phases["total"]
    row["vs_aria2"] = case["aria2"] / phases["total"]
    ideal = ideal_transfer(size, case["limit"])
    row["ideal"] = ideal if ideal is not None else 0.0
    row["total_vs_ideal"] = phases["total"] / ideal if ideal else 0.0
    row["peak_over_size_mib"] = row["peak_mib"] - row["size_mib"]
    return row


def median_rows(runs: list) -> list:
    """Per case, the median of each figure over the runs (each run a list of rows in the
    same case order)."""
    merged = []
    for rows in zip(*runs):
        merged.append({key: statistics.median(row[key] for row in rows) for key in rows[0]})
    return merged


def targets(rows: list) -> list:
    """(target, case, measured, bound, met) for each bound the rows can be held to."""
    found = []
    for row in rows:
        case = case_name(row)
        if row["limit_mib_s"] and row["size_mib"] == 160:
            bound = THROTTLED_SLACK * row["ideal"] + row["dd"]
            found.append(("total ≤ 1.15 × ideal + disk", case, f"{row['total']:.2f} s", f"{bound:.2f} s",
                          row["total"] <= bound))
        if not row["limit_mib_s"]:
            found.append(("throughput ≥ 80 % of reference", case, f"{row['vs_reference'] * 100:.0f} %",
                          f"{REFERENCE_SHARE * 100:.0f} %", row["vs_reference"] >= REFERENCE_SHARE))
        if row["size_mib"] >= 160:
            bound = row["size_mib"] + MEMORY_HEADROOM_MIB
            found.append(("peak memory ≤ size + 32 MiB", case, f"{row['peak_mib']:.0f} MiB", f"{bound:.0f} MiB",
                          row["peak_mib"] <= bound))
    return found


def case_name(row: dict) -> str:
    limit = f"{row['limit_mib_s']:g} MiB/s" if row["limit_mib_s"] else "unthrottled"
    return f"{row['size_mib']:g} MiB, {limit}"


def _table(header: list, lines: list) -> str:
    out = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    out += ["| " + " | ".join(line) + " |" for line in lines]
    return "\n".join(out)


def markdown(rows: list) -> str:
    s = lambda v: f"{v:.2f}"  # noqa: E731
    x = lambda v: f"{v:.2f}×"  # noqa: E731
    phases = _table(
        ["case", "click → probe", "probe → 1st range", "transfer", "last byte → installer", "total",
         "outside transfer", "setup MiB/s", "range starts spread (reference)", "connections",
         "a process's start"],
        [[case_name(r), s(r["click_to_probe"]), s(r["probe_to_first_range"]), s(r["transfer"]),
          s(r["last_byte_to_start"]), s(r["total"]), f"{r['outside_transfer_share'] * 100:.0f} %",
          f"{r['installer_mib_s']:.0f}", f"{s(r['start_spread'])} ({s(r['reference_spread'])})",
          f"{r['connections']:g}", s(r["process_start"])] for r in rows])
    others = _table(
        ["case", "setup", "reference (40 WinINet)", "of which to its 1st request", "curl (1 conn.)", "aria2c -x16",
         "dd write+flush", "reference's write+flush", "setup vs reference", "vs curl", "vs aria2c", "total ÷ ideal"],
        [[case_name(r), s(r["total"]), s(r["reference"]), s(r["reference_first_request"]), s(r["curl"]),
          s(r["aria2"]), s(r["dd"]), s(r["reference_write"]),
          x(r["vs_reference"]), x(r["vs_curl"]), x(r["vs_aria2"]),
          x(r["total_vs_ideal"]) if r["total_vs_ideal"] else "–"] for r in rows])
    memory = _table(
        ["case", "peak working set", "before the click", "peak − file size"],
        [[case_name(r), f"{r['peak_mib']:.0f} MiB", f"{r['baseline_mib']:.0f} MiB",
          f"{r['peak_over_size_mib']:+.0f} MiB"] for r in rows])
    goals = _table(["target", "case", "measured", "bound", "met"],
                   [[t, c, m, b, "yes" if ok else "**no**"] for t, c, m, b, ok in targets(rows)])
    return "\n\n".join([
        "Setup phases (seconds; the server's log is the clock from the probe on; a process's start is "
        "CreateProcess to the new program's first line, measured apart, the floor of the last phase)", phases,
        "Against the others (seconds; \"setup vs X\" above 1× means the setup is faster; the setup's whole "
        "time is held against the reference's whole fetch, which sets up its 40 TLS connections at once before the "
        "server sees a first request)", others,
        "Memory of the setup", memory, "Targets", goals]) + "\n"


CSV_COLUMNS = ["size_mib", "limit_mib_s", "click_to_probe", "probe_to_first_range", "transfer",
               "last_byte_to_start", "total", "download", "ranges", "start_spread", "connections",
               "reference", "reference_spread", "reference_first_request", "reference_write", "process_start", "curl", "aria2", "dd",
               "ideal", "peak_mib", "baseline_mib", "outside_transfer_share", "installer_mib_s",
               "vs_reference", "vs_curl", "vs_aria2", "total_vs_ideal", "peak_over_size_mib"]


def csv_text(rows: list) -> str:
    lines = [",".join(CSV_COLUMNS)]
    lines += [",".join(f"{row[c]:.4f}" if isinstance(row[c], float) else str(row[c]) for c in CSV_COLUMNS)
              for row in rows]
    return "\n".join(lines) + "\n"
