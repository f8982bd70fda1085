"""The network port's rows of the bench: bench_network (a real ser2net on
127.0.0.1 with a pty behind each accepter, beside a local pty read by the
program's own serial port) run once, and its figures as rows of the table.
Run alone (python3 bench/net_rows.py [BUILD_DIR]) it prints the rows."""
import json
import os
import subprocess
import sys


def run(bench_dir, timeout=900):
    """The rows bench_network printed, by name; {"skipped": why} when it could not run."""
    exe = os.path.join(bench_dir, "bench_network")
    if not os.path.exists(exe):
        return {"skipped": "bench_network is not built"}
    try:
        out = subprocess.run([exe], capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return {"skipped": f"bench_network ran past {timeout} s"}
    rows = {}
    for line in out.stdout.splitlines():
        try:
            j = json.loads(line)
        except ValueError:
            continue
        if "skipped" in j or "error" in j:
            return {"skipped": j.get("skipped") or j.get("error")}
        rows[j.get("row", "?")] = j
    if "goals" not in rows:
        return {"skipped": "bench_network gave no figures (exit %d): %s" % (out.returncode, out.stderr[-300:])}
    return rows


def rows(net, fmt):
    """(measure, result, goal, met) for the report table; met None when there is no goal."""
    if not net or "skipped" in net:
        return [("network port through ser2net", (net or {}).get("skipped", "not run"), "-", None)]
    g = net["goals"]
    out = []
    for kind, row in (("raw", "ser2net_raw"), ("RFC 2217", "ser2net_rfc2217")):
        exact = net[row]["exact"]
        out.append((f"ser2net {kind}: 10 MB, all 256 byte values, read through the port",
                    "byte for byte" if exact else "DIFFERS", "byte for byte", exact))
    for kind, key in (("raw", "raw_share_of_plain"), ("RFC 2217", "rfc2217_share_of_plain")):
        out.append((f"ser2net {kind}: throughput as a share of a plain socket reader (same run)",
                    f"{fmt(g[key] * 100, 0)} %", "≥ 80 %", g[key] >= 0.8))
    pty = net["local_pty"]
    out.append(("local pty (program's serial port): reader CPU ms/MB, wakes/MB",
                f"{fmt(pty['cpu_s_per_mb'] * 1000, 2)}, {fmt(pty['wakes_per_mb'], 0)}", "-", None))
    for kind, row, key in (("raw", "ser2net_raw", "raw_cpu_vs_pty"),
                           ("RFC 2217", "ser2net_rfc2217", "rfc2217_cpu_vs_pty")):
        r = net[row]
        out.append((f"ser2net {kind}, its default 64-byte sends: reader CPU ms/MB (wakes/MB), ratio to the pty",
                    f"{fmt(r['cpu_s_per_mb'] * 1000, 2)} ({fmt(r['wakes_per_mb'], 0)}), {fmt(g[key], 1)}",
                    "≤ 1.5", g[key] <= 1.5))
    for kind, row, key in (("raw", "ser2net_raw_4k_sends", "raw_4k_cpu_vs_pty"),
                           ("RFC 2217", "ser2net_rfc2217_4k_sends", "rfc2217_4k_cpu_vs_pty")):
        r = net.get(row)
        if r and key in g:
            out.append((f"ser2net {kind}, dev-to-net-bufsize 4096: reader CPU ms/MB (wakes/MB), ratio to the pty",
                        f"{fmt(r['cpu_s_per_mb'] * 1000, 2)} ({fmt(r['wakes_per_mb'], 0)}), {fmt(g[key], 2)}",
                        "≤ 1.5", g[key] <= 1.5))
    echo = g["echo_median_ms"]
    out.append(("ser2net RFC 2217: a line's echo round trip, ms (median of 100)", fmt(echo, 2), "≤ 5",
                echo is not None and 0 <= echo <= 5))
    return out


if __name__ == "__main__":
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    net = run(os.path.join(build, "bench"))
    print(json.dumps(net, indent=1), file=sys.stderr)

    def fmt(v, digits=2):
        return "n/a" if v is None else f"{v:.{digits}f}"

    for what, value, goal, met in rows(net, fmt):
        print(f"| {what} | {value} | {goal} | {'yes' if met else 'NO' if met is not None else '-'} |")
