#!/usr/bin/env python3
"""Runs the benchmarks, takes medians of repeated runs, compares with CuteCom,
and writes bench/results/latest.json, bench/results/latest.md and
docs/performance.md. Called by bench/run.sh."""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import rx_rows  # the framing rows of short packets (bench/rx_rows.py)
import net_rows

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIB = 1 << 20


def log(msg):
    print(msg, flush=True)


def json_line(text):
    for line in reversed(text.splitlines()):
        line = line.strip()
        if line.startswith("{"):
            return json.loads(line)
    raise RuntimeError("no result in output:\n" + text[-2000:])


def run_json(cmd, env=None, timeout=600):
    e = dict(os.environ)
    e.update(env or {})
    p = subprocess.run(cmd, env=e, capture_output=True, text=True, timeout=timeout)
    if p.returncode != 0:
        raise RuntimeError(f"{cmd[0]} failed ({p.returncode}): {p.stderr[-2000:]}")
    return json_line(p.stdout)


def median_of(runs, key):
    vals = [r[key] for r in runs if r.get(key) is not None]
    return statistics.median(vals) if vals else None


def summarize(runs, keys):
    out = {"runs": runs}
    for k in keys:
        out[k] = median_of(runs, k)
        vals = [r[k] for r in runs if r.get(k) is not None]
        if vals:
            out[k + "_min"] = min(vals)
            out[k + "_max"] = max(vals)
    return out


def sched_cpu(pid):
    """CPU seconds of all threads of pid, from the scheduler's ns counters."""
    total = 0
    try:
        for t in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{t}/schedstat") as f:
                total += int(f.read().split()[0])
    except OSError:
        return None
    return total / 1e9


def stat_cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        rest = f.read().rsplit(")", 1)[1].split()
    return (int(rest[11]) + int(rest[12])) / os.sysconf("SC_CLK_TCK")


def measure_idle(pid, seconds):
    s0, t0, w0 = sched_cpu(pid), stat_cpu(pid), time.monotonic()
    time.sleep(seconds)
    s1, t1, w1 = sched_cpu(pid), stat_cpu(pid), time.monotonic()
    el = w1 - w0
    return {"seconds": el, "cpu_seconds": s1 - s0, "core_percent": 100 * (s1 - s0) / el,
            "stat_cpu_seconds": t1 - t0}


class Xvfb:
    def __init__(self):
        self.proc = None
        self.display = None

    def start(self):
        if not shutil.which("Xvfb"):
            return False
        r, w = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                     pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            num = f.readline().strip()
        if not num:
            return False
        self.display = ":" + num
        return True

    def stop(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


def stop_process(p, timeout=10):
    """Ends a child politely, and for good when it does not go in time."""
    p.terminate()
    try:
        p.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()


class Device:
    """bench_device as a child; lines read as they come."""

    def __init__(self, build, args):
        self.p = subprocess.Popen([os.path.join(build, "bench", "bench_device")] + args + ["--hold"],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.path = self.p.stdout.readline().split()[1]
        self.lines = []

    def wait_line(self, prefix, timeout):
        import select
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            for l in self.lines:
                if l.startswith(prefix):
                    return l
            r, _, _ = select.select([self.p.stdout], [], [], 0.05)
            if r:
                line = self.p.stdout.readline()
                if not line:
                    return None
                self.lines.append(line.strip())
        return None

    def close(self):
        try:
            self.p.stdin.close()
        except OSError:
            pass
        try:
            self.p.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.p.kill()
            self.p.wait()


# ---- the peer ---------------------------------------------------------------------

CUTECOM_CONF = """[sessions]
1\\BaudRate=115200
1\\DataBits=8
1\\Device={device}
1\\FlowControl=0
1\\OpenMode=3
1\\Parity=0
1\\StopBits=1
1\\autoReconnect=false
1\\name=Default
1\\showCtrlCharacters=false
1\\showTimestamp=false
size=1
"""

# Where CuteCom 0.51 puts its controls at its default size, in the top-left
# corner of an Xvfb screen with no window manager (taken from a screenshot).
CUTECOM_LOGGING_CHECKBOX = (206, 640)
CUTECOM_OPEN_BUTTON = (50, 43)


class CuteCom:
    def __init__(self, xvfb, device_path):
        self.home = tempfile.mkdtemp(prefix="comtrax-bench-cutecom-")
        os.makedirs(os.path.join(self.home, ".config", "CuteCom"))
        with open(os.path.join(self.home, ".config", "CuteCom", "CuteCom5.conf"), "w") as f:
            f.write(CUTECOM_CONF.format(device=device_path))
        self.env = dict(os.environ, HOME=self.home, DISPLAY=xvfb.display, QT_QPA_PLATFORM="xcb",
                        XDG_RUNTIME_DIR=self.home)
        self.p = subprocess.Popen(["cutecom"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.log = os.path.join(self.home, "cutecom.log")

    def wait_window(self, timeout=20):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            r = subprocess.run(["xdotool", "search", "--name", "CuteCom"], env=self.env, capture_output=True, text=True)
            if r.stdout.strip():
                time.sleep(1.0)  # let it lay out and paint
                return True
            time.sleep(0.2)
        return False

    def click(self, xy):
        subprocess.run(["xdotool", "mousemove", str(xy[0]), str(xy[1]), "click", "1"], env=self.env,
                       capture_output=True)

    def open_port(self, logging):
        if logging:
            self.click(CUTECOM_LOGGING_CHECKBOX)
            time.sleep(0.3)
        self.click(CUTECOM_OPEN_BUTTON)

    def close(self):
        stop_process(self.p, timeout=5)
        shutil.rmtree(self.home, ignore_errors=True)


def log_check(path, count, pattern):
    """Bytes lost and intactness, the same rule as bench_device's checkLog."""
    sys.path.insert(0, os.path.dirname(__file__))
    try:
        with open(path, "rb") as f:
            data = f.read().replace(b"\r", b"").replace(b"\n", b"")
    except OSError:
        data = b""
    expected = expected_pattern(count, pattern)
    got = len(data)
    return {"bytes_in_log": got, "bytes_lost": max(0, count - got), "log_intact": data == expected}


_PATTERN_CACHE = {}


def expected_pattern(count, pattern):
    key = (count, pattern)
    if key not in _PATTERN_CACHE:
        out = subprocess.run([BUILD_BENCH + "/bench_device", "--print-pattern", pattern, str(count)],
                             capture_output=True).stdout
        _PATTERN_CACHE[key] = out
    return _PATTERN_CACHE[key]


def cutecom_rx(build, xvfb, dev_args, count, pattern, limit_s=90, busy_after_s=15):
    dev = Device(build, ["--pattern", pattern, "--settle", "1500"] + dev_args)
    cc = CuteCom(xvfb, dev.path)
    result = {"bench": "rx", "program": "cutecom", "pattern": pattern, "bytes_device": count}
    try:
        if not cc.wait_window():
            result["error"] = "CuteCom's window did not appear"
            return result
        cc.open_port(logging=True)
        if not dev.wait_line("open", 10):
            result["error"] = "CuteCom did not open the port after the click on Open"
            return result
        start = dev.wait_line("start", 10)
        cpu0 = sched_cpu(cc.p.pid)
        t0 = time.monotonic()
        done_at = None
        end = t0 + limit_s
        last_cpu, quiet_since = cpu0, None
        while time.monotonic() < end:
            time.sleep(0.05)
            size = os.path.getsize(cc.log) if os.path.exists(cc.log) else 0
            now = time.monotonic()
            if done_at is None and size >= count:
                done_at = now
            cpu = sched_cpu(cc.p.pid)
            if cpu - last_cpu < 0.002:
                quiet_since = quiet_since or now
            else:
                quiet_since = None
            last_cpu = cpu
            if done_at is not None and quiet_since is not None and now - quiet_since > 0.3:
                break
            if done_at is not None and now - done_at > busy_after_s:
                result["still_busy_after_log_complete"] = True  # still drawing: CPU so far only
                break
            if done_at is None and dev.wait_line("done", 0) and quiet_since and now - quiet_since > 5:
                break  # everything written, nothing more happens: bytes were lost
        cpu = last_cpu - cpu0
        el = (done_at or time.monotonic()) - t0
        dev.wait_line("done", 5)
        result.update(log_check(cc.log, count, pattern))
        result.update({"seconds": el, "mb_per_s": count / 1e6 / el, "cpu_seconds": cpu,
                       "cpu_s_per_mb": cpu / (count / 1e6), "finished": done_at is not None})
        return result
    finally:
        cc.close()
        dev.close()


def prepare_comtrax_dir(build, xvfb, timeout_ms):
    """Settings for the real program (its receive timeout) and where its Start
    Log button sits, from bench_window on the same display."""
    work = tempfile.mkdtemp(prefix="comtrax-bench-real-")
    info = run_json([os.path.join(build, "bench", "bench_window"), "prepare", work, "--timeout", str(timeout_ms)],
                    env={"QT_QPA_PLATFORM": "xcb", "DISPLAY": xvfb.display})
    return work, info


def x_window_of(pid, env, timeout=20):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "Comtrax"], env=env,
                           capture_output=True, text=True)
        ids = r.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.2)
    return None


def comtrax_real_rx(build, xvfb, prepared, dev_args, count, pattern, limit_s=120, plot_open=False):
    """The comtrax binary as a user runs it, under Xvfb, nothing added to it:
    started by its command line on the device, the log started by a click on
    Start Log, its CPU read from /proc from outside until its log holds every
    byte and it has gone quiet. With plot_open the plot window is opened by
    its shortcut first and reads the same stream."""
    template, info = prepared
    work = tempfile.mkdtemp(prefix="comtrax-bench-real-")
    for name in os.listdir(template):
        if not name.startswith("LOG_"):
            shutil.copy(os.path.join(template, name), work)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", DISPLAY=xvfb.display)
    dev = Device(build, ["--pattern", pattern, "--settle", "300", "--go"] + dev_args)
    p = subprocess.Popen([os.path.join(build, "comtrax"), "--dir", work, "--port", dev.path, "--baud", "115200",
                          "--connect"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    result = {"bench": "rx", "program": "comtrax", "pattern": pattern, "bytes_device": count,
              "rx_timeout_ms": info.get("rx_timeout_ms")}
    try:
        if not dev.wait_line("open", 20):
            result["error"] = "the program did not open the port"
            return result
        wid = x_window_of(p.pid, env)
        if not wid:
            result["error"] = "the program's window did not appear"
            return result
        time.sleep(0.5)  # let it lay out and paint
        subprocess.run(["xdotool", "mousemove", "--window", wid, str(info["start_log_x"]), str(info["start_log_y"]),
                        "click", "1"], env=env, capture_output=True)
        logs = []
        end = time.monotonic() + 10
        while not logs and time.monotonic() < end:
            time.sleep(0.05)
            logs = [n for n in os.listdir(work) if n.startswith("LOG_")]
        if not logs or not dev.wait_line("ready", 10):
            result["error"] = "the click on Start Log did not start the log file"
            return result
        log_path = os.path.join(work, logs[0])
        if plot_open:
            subprocess.run(["xdotool", "key", "--window", wid, "ctrl+shift+g"], env=env, capture_output=True)
            time.sleep(0.5)
            result["plot_open"] = bool(subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--pid", str(p.pid), "--name", "^(График|Plot)$"],
                env=env, capture_output=True, text=True).stdout.split())
        dev.p.stdin.write("go\n")
        dev.p.stdin.flush()
        start = dev.wait_line("start", 10)
        if not start:
            result["error"] = "the device did not start"
            return result
        cpu0, stat0 = sched_cpu(p.pid), stat_cpu(p.pid)
        t0 = int(start.split()[1]) / 1e9  # CLOCK_MONOTONIC, as time.monotonic()
        got, offset, done_at = 0, 0, None
        last_cpu, quiet_since, progress_at = cpu0, None, time.monotonic()
        end = time.monotonic() + limit_s
        with open(log_path, "rb") as f:
            while time.monotonic() < end:
                time.sleep(0.01 if done_at is None else 0.05)
                f.seek(offset)
                chunk = f.read()
                offset += len(chunk)
                got += len(chunk) - chunk.count(b"\r") - chunk.count(b"\n")
                now = time.monotonic()
                if chunk:
                    progress_at = now
                if done_at is None and got >= count:
                    done_at = now
                if done_at is None:
                    if now - progress_at > 5 and dev.wait_line("done", 0.01):
                        break  # everything written, nothing more comes: bytes were lost
                    continue
                cpu = sched_cpu(p.pid)
                quiet_since = (quiet_since or now) if cpu - last_cpu < 0.002 else None
                last_cpu = cpu
                if quiet_since is not None and now - quiet_since > 0.3:
                    break
        stat1 = stat_cpu(p.pid)
        cpu = last_cpu - cpu0 if done_at else sched_cpu(p.pid) - cpu0
        el = (done_at or time.monotonic()) - t0
        dev.wait_line("done", 5)
        result.update(log_check(log_path, count, pattern))
        result.update({"seconds": el, "mb_per_s": count / 1e6 / el, "cpu_seconds": cpu,
                       "cpu_s_per_mb": cpu / (count / 1e6), "stat_cpu_seconds": stat1 - stat0,
                       "finished": done_at is not None})
        return result
    finally:
        stop_process(p)
        dev.close()
        shutil.rmtree(work, ignore_errors=True)


def cutecom_idle(build, xvfb, open_port, seconds):
    dev = Device(build, ["--stream", "0"])
    cc = CuteCom(xvfb, dev.path)
    try:
        if not cc.wait_window():
            return {"error": "CuteCom's window did not appear"}
        if open_port:
            cc.open_port(logging=False)
            if not dev.wait_line("open", 10):
                return {"error": "CuteCom did not open the port after the click on Open"}
        time.sleep(2)
        r = measure_idle(cc.p.pid, seconds)
        r.update({"bench": "idle", "program": "cutecom", "port": "open" if open_port else "closed"})
        return r
    finally:
        cc.close()
        dev.close()


def comtrax_idle_closed(build, files_dir, seconds, env):
    work = tempfile.mkdtemp(prefix="comtrax-bench-idle-")
    for name in ("CmdConfig", "OldCmd", "CfgTerminal"):
        shutil.copy(os.path.join(files_dir, name), work)
    e = dict(os.environ)
    e.update(env)
    p = subprocess.Popen([os.path.join(build, "comtrax")], cwd=work, env=e,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(3)
        r = measure_idle(p.pid, seconds)
        r.update({"bench": "idle", "program": "comtrax", "port": "closed"})
        return r
    finally:
        p.terminate()
        p.wait()
        shutil.rmtree(work, ignore_errors=True)


# ---- report ------------------------------------------------------------------------

def fmt(v, digits=2):
    if v is None:
        return "n/a"
    if isinstance(v, bool):
        return "yes" if v else "no"
    if isinstance(v, int):
        return str(v)
    return f"{v:.{digits}f}"


def machine():
    info = {}
    try:
        out = subprocess.run(["lscpu"], capture_output=True, text=True).stdout
        for line in out.splitlines():
            k, _, v = line.partition(":")
            info[k.strip()] = v.strip()
    except OSError:
        pass
    load = os.getloadavg()
    return {"cpu_model": info.get("Model name", "?"), "cores": os.cpu_count(),
            "load_average_at_start": round(load[0], 2)}


def main():
    global BUILD_BENCH
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--idle-seconds", type=float, default=10)
    ap.add_argument("--no-peer", action="store_true")
    ap.add_argument("--quick", action="store_true",
                    help="one run per phase and a quarter of each stream, written to quick.* (docs untouched)")
    ap.add_argument("--results", default=os.path.join(ROOT, "bench", "results"))
    ap.add_argument("--docs", default=os.path.join(ROOT, "docs", "performance.md"))
    a = ap.parse_args()
    if a.quick:
        # For iterating on the receive path: the numbers are rough, so they must not replace the committed table.
        a.repeat, a.idle_seconds = 1, min(a.idle_seconds, 2)
    scale = 4 if a.quick else 1
    build = os.path.abspath(a.build)
    bench = os.path.join(build, "bench")
    BUILD_BENCH = bench
    R = a.repeat
    off = {"QT_QPA_PLATFORM": "offscreen"}
    res = {"machine": machine(), "started": time.strftime("%Y-%m-%d %H:%M:%S")}
    t_start = time.monotonic()

    log("== SaveCmdConfig / LoadCmdConfig")
    files = tempfile.mkdtemp(prefix="comtrax-bench-files-")
    res["cmd_config"] = run_json([bench + "/bench_cmd_config", files, "11"])

    log("== 20 rules on a text stream (matching alone)")
    res["rules"] = run_json([bench + "/bench_rules", "16" if a.quick else "64"])
    log("== a rule's answer after its packet (TimeRX 0, pty) and an echo loop stopped by the limit")
    res["rules_latency"] = run_json([bench + "/bench_rules_latency", "100" if a.quick else "300"], env=off)

    log("== start-up with full files")
    run_json_prepare = subprocess.run([bench + "/bench_startup", "prepare", files], env=dict(os.environ, **off),
                                      capture_output=True, text=True)
    if run_json_prepare.returncode != 0:
        raise RuntimeError("prepare failed: " + run_json_prepare.stderr)
    res["startup"] = run_json([bench + "/bench_startup", "run", files, "11"], env=off)

    rx_keys = ["mb_per_s", "bytes_lost", "cpu_s_per_mb", "cpu_share_of_core", "seconds"]
    phases = {
        "stream_text": (["--pattern", "text", "--stream", str(16 * MIB // scale)], 10),
        "bursts_text": (["--pattern", "text", "--bursts", "64", str(64 * 1024), "30"], 10),
        "paced_text_1MBps": (["--pattern", "text", "--paced", str(2 * MIB // scale), "1000000"], 10),
        "stream_binary": (["--pattern", "binary", "--stream", str(8 * MIB // scale)], 10),
    }
    res["rx"] = {}
    for name, (dev_args, timeout) in phases.items():
        log(f"== receive {name} x{R}, and x{R} with the stall meter")
        # The figures of the program alone; the stalls from runs of their own,
        # whose millisecond timer would count in the CPU.
        runs = [run_json([bench + "/bench_window", "rx", "--timeout", str(timeout), "--"] + dev_args, env=off)
                for _ in range(R)]
        stall_runs = [run_json([bench + "/bench_window", "rx", "--stalls", "--timeout", str(timeout), "--"]
                               + dev_args, env=off) for _ in range(R)]
        res["rx"][name] = summarize(runs, rx_keys)
        res["rx"][name].update(stall_figures(stall_runs))
        res["rx"][name]["all_intact"] = all(r["log_intact"] for r in runs + stall_runs)

    log(f"== idle x{R}")
    res["idle"] = {
        "comtrax_closed": summarize([comtrax_idle_closed(build, files, a.idle_seconds, off) for _ in range(R)],
                                    ["core_percent"]),
        "window_open": summarize([run_json([bench + "/bench_window", "idle", "--open", "--seconds",
                                            str(a.idle_seconds)], env=off) for _ in range(R)], ["core_percent"]),
    }
    res["ticks"] = run_json([bench + "/bench_window", "ticks"], env=off)

    log("== send path, period mode, memory")
    res["send"] = run_json([bench + "/bench_window", "send", "--lines", "10000"], env=off)
    res["period"] = run_json([bench + "/bench_window", "period", "--seconds", "3"], env=off)
    res["memory"] = run_json([bench + "/bench_window", "memory", "--lines", "5000", "--length", "1500"], env=off)

    log("== a network port through ser2net beside the local pty")
    res["network"] = net_rows.run(bench)
    peer = {"available": False}
    if not a.no_peer:
        peer = run_peer(build, bench, R, a.idle_seconds)
    res["peer"] = peer
    res["rx_framing"] = rx_rows.run(build, R, a.quick, log)
    shutil.rmtree(files, ignore_errors=True)
    res["total_seconds"] = round(time.monotonic() - t_start, 1)

    os.makedirs(a.results, exist_ok=True)
    stem = "quick" if a.quick else "latest"
    with open(os.path.join(a.results, stem + ".json"), "w") as f:
        json.dump(res, f, indent=1)
    table = report(res)
    with open(os.path.join(a.results, stem + ".md"), "w") as f:
        f.write(table)
    if not a.quick:
        write_docs(a.docs, res, table)
    print(table)


def stall_figures(stall_runs):
    """The longest stalls of runs with the stall meter (median, min, max) and the runs."""
    s = summarize(stall_runs, ["longest_stall_ms"])
    s["stall_runs"] = s.pop("runs")
    return s


def run_peer(build, bench, R, idle_seconds):
    peer = {"available": False}
    if not (shutil.which("cutecom") and shutil.which("xdotool") and shutil.which("Xvfb")):
        peer["reason"] = "cutecom, xdotool or Xvfb is not installed"
        return peer
    xvfb = Xvfb()
    if not xvfb.start():
        peer["reason"] = "Xvfb did not start"
        return peer
    try:
        xenv = {"QT_QPA_PLATFORM": "xcb", "DISPLAY": xvfb.display}
        peer["available"] = True
        # The same streams for both programs; the text and binary streams are
        # the sizes of the offscreen runs.
        peer_phases = (
            ("stream_text", ["--stream", str(16 * MIB)], 16 * MIB, "text"),
            ("bursts_text", ["--bursts", "16", str(64 * 1024), "30"], 16 * 64 * 1024, "text"),
            ("stream_binary", ["--stream", str(8 * MIB)], 8 * MIB, "binary"),
            ("paced_text_1MBps", ["--paced", str(2 * MIB), "1000000"], 2 * MIB, "text"),
        )
        keys = ["mb_per_s", "bytes_lost", "cpu_s_per_mb", "seconds"]
        # Comtrax as a user runs it: the comtrax binary, nothing added to it,
        # measured from outside as CuteCom is; its stalls from bench_window
        # runs of their own (the stall meter's millisecond timer costs CPU).
        prepared = prepare_comtrax_dir(build, xvfb, 10)
        try:
            for label, dev_args, count, pattern in peer_phases:
                log(f"== peer: receive {label} x{R}, CuteCom and Comtrax under Xvfb")
                peer["cutecom_rx_" + label] = summarize(
                    [cutecom_rx(build, xvfb, dev_args, count, pattern) for _ in range(R)], keys)
                runs = [comtrax_real_rx(build, xvfb, prepared, dev_args, count, pattern) for _ in range(R)]
                peer["comtrax_rx_" + label] = summarize(runs, keys)
                peer["comtrax_rx_" + label]["all_intact"] = all(r.get("log_intact") for r in runs)
                if label == "stream_text":
                    log(f"== peer: receive {label} x{R} with the plot open on the same stream")
                    runs = [comtrax_real_rx(build, xvfb, prepared, dev_args, count, pattern, plot_open=True)
                            for _ in range(R)]
                    peer["comtrax_rx_stream_text_plot_open"] = summarize(runs, keys)
                    peer["comtrax_rx_stream_text_plot_open"]["all_intact"] = all(r.get("log_intact") for r in runs)
                    peer["comtrax_rx_stream_text_plot_open"]["plot_open"] = all(r.get("plot_open") for r in runs)
                if label.startswith("stream"):
                    log(f"== peer: Comtrax's stalls in {label} x{R} (bench_window with the stall meter)")
                    stall_runs = [run_json([bench + "/bench_window", "rx", "--stalls", "--timeout", "10", "--",
                                            "--pattern", pattern, "--settle", "1500"] + dev_args, env=xenv)
                                  for _ in range(R)]
                    peer["comtrax_rx_" + label].update(stall_figures(stall_runs))
        finally:
            shutil.rmtree(prepared[0], ignore_errors=True)
        peer["comtrax_memory"] = run_json([bench + "/bench_window", "memory", "--lines", "5000", "--length", "1500"],
                                          env=xenv)
        log(f"== peer: idle x{R}")
        peer["cutecom_idle_closed"] = summarize([cutecom_idle(build, xvfb, False, idle_seconds) for _ in range(R)],
                                                ["core_percent"])
        peer["cutecom_idle_open"] = summarize([cutecom_idle(build, xvfb, True, idle_seconds) for _ in range(R)],
                                              ["core_percent"])
        peer["comtrax_idle_open"] = summarize(
            [run_json([bench + "/bench_window", "idle", "--open", "--seconds", str(idle_seconds)], env=xenv)
             for _ in range(R)], ["core_percent"])
        peer["comtrax_idle_closed"] = summarize(
            [run_json([bench + "/bench_window", "idle", "--closed", "--seconds", str(idle_seconds)], env=xenv)
             for _ in range(R)], ["core_percent"])
        errors = [r.get("error") for k, v in peer.items() if isinstance(v, dict) for r in v.get("runs", [])
                  if r.get("error")]
        if errors:
            peer["errors"] = sorted(set(errors))
    finally:
        xvfb.stop()
    return peer


def ratio(a, b):
    if a is None or b in (None, 0):
        return None
    return a / b


def report(r):
    rx = r["rx"]
    st = rx["stream_text"]
    rows = []

    def row(what, value, goal, met):
        rows.append(f"| {what} | {value} | {goal} | {'yes' if met else 'NO' if met is not None else '-'} |")

    total_lost = sum(v["bytes_lost"] or 0 for v in rx.values())
    intact = all(v["all_intact"] for v in rx.values())
    row("bytes lost, all receive runs (log file on)", f"{total_lost} ({'log byte for byte' if intact else 'log differs'})",
        "0", total_lost == 0 and intact)
    for name, v in rx.items():
        row(f"receive {name}: MB/s (min..max)", f"{fmt(v['mb_per_s'])} ({fmt(v['mb_per_s_min'])}..{fmt(v['mb_per_s_max'])})",
            "≥ 5 (stream)" if name.startswith("stream") else "-",
            (v["mb_per_s"] >= 5) if name.startswith("stream") else None)
        row(f"receive {name}: CPU s per MB", fmt(v["cpu_s_per_mb"], 3), "-", None)
        row(f"receive {name}: longest event-loop stall, ms (max)", f"{fmt(v['longest_stall_ms'], 1)} ({fmt(v['longest_stall_ms_max'], 1)})",
            "≤ 50", v["longest_stall_ms_max"] is not None and v["longest_stall_ms_max"] <= 50)
    ic = r["idle"]["comtrax_closed"]["core_percent"]
    io = r["idle"]["window_open"]["core_percent"]
    row("idle, port closed (comtrax binary), % of a core", fmt(ic, 3), "< 0.1", ic is not None and ic < 0.1)
    row("idle, port open and silent, % of a core", fmt(io, 3), "< 0.5", io is not None and io < 0.5)
    su = r["startup"]["to_paint_median_ms"]
    row("start-up to first paint, full files, ms (median of 11)", fmt(su, 1), "< 300", su < 300)
    sv = r["cmd_config"]["save_median_ms"]
    row("SaveCmdConfig, 10 MB, ms (median of 11; max)", f"{fmt(sv, 1)} ({fmt(r['cmd_config']['save_max_ms'], 1)})", "< 100", sv < 100)
    row("LoadCmdConfig, 10 MB, ms (median)", fmt(r["cmd_config"]["load_median_ms"], 1), "-", None)
    s = r["send"]
    row("send path SendPortData → device, ms (median / p99 / max, 10 000 lines)",
        f"{fmt(s['median_ms'], 3)} / {fmt(s['p99_ms'], 3)} / {fmt(s['max_ms'], 3)}", "median < 1", s["median_ms"] < 1)
    row("period mode, PeriodTX 0: lines per second", fmt(r["period"]["lines_per_s"], 0), "-", None)
    m = r["memory"]
    row("VmRSS after 5000 lines of 1500 bytes, MB (growth)",
        f"{fmt(m['rss_after_lines_kb'] / 1024, 1)} (+{fmt(m['rss_growth_kb'] / 1024, 1)})", "-", None)
    for what, value, goal, met in net_rows.rows(r.get("network"), fmt):
        row(what, value, goal, met)
    p = r["peer"]
    if p.get("available"):
        def both(label):
            return p["comtrax_rx_" + label], p["cutecom_rx_" + label]

        def ms(v):
            return None if v is None else v * 1000

        # The log view's goals, on a real display (xcb under Xvfb), log file on.
        c, q = both("stream_text")
        row("Xvfb goal, text stream 16 MiB: MB/s Comtrax vs CuteCom (ratio)",
            f"{fmt(c['mb_per_s'])} vs {fmt(q['mb_per_s'])} ({fmt(ratio(c['mb_per_s'], q['mb_per_s']), 1)})",
            "≥ 15", c["mb_per_s"] is not None and c["mb_per_s"] >= 15)
        row("Xvfb goal, text stream: CPU ms/MB Comtrax vs CuteCom (ratio)",
            f"{fmt(ms(c['cpu_s_per_mb']), 0)} vs {fmt(ms(q['cpu_s_per_mb']), 0)} "
            f"({fmt(ratio(c['cpu_s_per_mb'], q['cpu_s_per_mb']), 2)})",
            "≤ 30", c["cpu_s_per_mb"] is not None and c["cpu_s_per_mb"] <= 0.030)
        c = p.get("comtrax_rx_stream_text_plot_open")
        if c:
            row("Xvfb goal, text stream with the plot open: MB/s, CPU ms/MB",
                f"{fmt(c['mb_per_s'])}, {fmt(ms(c['cpu_s_per_mb']), 0)}"
                + ("" if c.get("plot_open") else " (the plot did not open)"),
                "≥ 15, ≤ 40", c.get("plot_open") and c["mb_per_s"] is not None and c["mb_per_s"] >= 15
                and c["cpu_s_per_mb"] is not None and c["cpu_s_per_mb"] <= 0.040)
        c, q = both("stream_binary")
        row("Xvfb goal, binary stream 8 MiB: MB/s Comtrax vs CuteCom (ratio)",
            f"{fmt(c['mb_per_s'])} vs {fmt(q['mb_per_s'])} ({fmt(ratio(c['mb_per_s'], q['mb_per_s']), 1)})",
            "≥ 10", c["mb_per_s"] is not None and c["mb_per_s"] >= 10)
        c, q = both("paced_text_1MBps")
        row("Xvfb goal, paced 1 MB/s: CPU ms/MB Comtrax vs CuteCom (ratio)",
            f"{fmt(ms(c['cpu_s_per_mb']), 0)} vs {fmt(ms(q['cpu_s_per_mb']), 0)} "
            f"({fmt(ratio(c['cpu_s_per_mb'], q['cpu_s_per_mb']), 2)})",
            "≤ 50", c["cpu_s_per_mb"] is not None and c["cpu_s_per_mb"] <= 0.050)
        stall = max((p["comtrax_rx_" + l].get("longest_stall_ms_max") or 0) for l in ("stream_text", "stream_binary"))
        row("Xvfb goal, longest event-loop stall during a stream, ms (max of runs)", fmt(stall, 1), "≤ 16",
            stall <= 16)
        xm = p["comtrax_memory"]
        row("Xvfb goal, VmRSS after 5000 lines of 1500 bytes, MB", fmt(xm["rss_after_lines_kb"] / 1024, 1), "≤ 50",
            xm["rss_after_lines_kb"] / 1024 <= 50)
        lost = sum((p["comtrax_rx_" + l]["bytes_lost"] or 0) for l in ("stream_text", "bursts_text", "stream_binary",
                                                                       "paced_text_1MBps"))
        intact = all(p["comtrax_rx_" + l]["all_intact"] for l in ("stream_text", "bursts_text", "stream_binary",
                                                                  "paced_text_1MBps"))
        row("Xvfb goal, bytes lost between the wire and the log file",
            f"{lost} ({'log byte for byte' if intact else 'log differs'})", "0", lost == 0 and intact)
        for label in ("stream_text", "bursts_text"):
            c, q = both(label)
            rr = ratio(c["cpu_s_per_mb"], q["cpu_s_per_mb"])
            row(f"Xvfb, {label}: CPU s/MB Comtrax vs CuteCom (ratio)",
                f"{fmt(c['cpu_s_per_mb'], 3)} vs {fmt(q['cpu_s_per_mb'], 3)} ({fmt(rr, 2)})", "≤ 0.5",
                rr is not None and rr <= 0.5)
            row(f"Xvfb, {label}: MB/s Comtrax vs CuteCom", f"{fmt(c['mb_per_s'])} vs {fmt(q['mb_per_s'])}", "-", None)
            row(f"Xvfb, {label}: bytes lost Comtrax vs CuteCom", f"{fmt(c['bytes_lost'])} vs {fmt(q['bytes_lost'])}",
                "0 where the peer loses", (c["bytes_lost"] or 0) == 0)
        for state in ("closed", "open"):
            c, q = p[f"comtrax_idle_{state}"]["core_percent"], p[f"cutecom_idle_{state}"]["core_percent"]
            row(f"Xvfb, idle port {state}, % of a core: Comtrax vs CuteCom (ratio)",
                f"{fmt(c, 3)} vs {fmt(q, 3)} ({fmt(ratio(c, q), 2)})", "-", None)
    else:
        row("peer terminal CuteCom", p.get("reason", "not run"), "-", None)
    rows += rx_rows.rows(r.get("rx_framing"))
    head = ("| measure | result (median) | goal | met |\n|---|---|---|---|\n")
    mach = r["machine"]
    return (f"Run {r['started']} on {mach['cpu_model']}, {mach['cores']} cores "
            f"(load average at start {mach['load_average_at_start']}); {r['total_seconds']} s in all.\n\n"
            + head + "\n".join(rows) + "\n")


def write_docs(path, r, table):
    """Rewrites the table; the notes after it, kept by hand, stay."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tail = DOC_TAIL
    try:
        with open(path) as f:
            old = f.read()
        at = old.find("\n## Notes")
        if at >= 0:
            tail = old[at:]
    except OSError:
        pass
    with open(path, "w") as f:
        f.write(DOC_HEAD + table + tail)


DOC_HEAD = """# Performance

`make bench` (or `bash bench/run.sh BUILD_DIR`) runs every benchmark and rewrites
this table, `bench/results/latest.json` (every run's figures) and
`bench/results/latest.md`. Figures are medians of repeated runs; the machine is
shared and the spread between runs is often 30 % or more, so compare medians and
look at min..max in the JSON before reading much into a difference.

What is measured:

- **Receive**: `bench_window rx` runs the real `TerminalWindow` with the Qt serial port
  (offscreen) on a pty, log file on, RxTimeoutMs 10. A separate process,
  `bench_device`, writes a pseudo-random pattern into the pty's master as fast
  as the pty takes it (stream), in 64 KiB bursts with 30 ms silences, or paced at
  1 MB/s; text is printable ASCII, binary is every byte but 0, LF and CR. The log
  file, line breaks taken out, is compared byte for byte with the pattern. MB/s
  is bytes over the time from the first byte written to the last byte shown; CPU
  is the window process's own (getrusage), the device's is not counted. The
  longest time the event loop did not turn is measured by a 1 ms timer in
  separate runs of the same streams: its thousand wakes a second would count
  in the CPU figure, so the runs that give the CPU have no timer of the bench's
  (the end of the stream is looked for only after the device's last byte).
- **Idle**: CPU over 10 s from the scheduler's counters of the process
  (`/proc/PID/task/*/schedstat`): the `comtrax` binary itself with the port
  closed, and `bench_window` connected to a silent pty for the port open.
- **Start-up**: `bench_startup` starts itself as the program (what `main` does:
  QApplication, `TerminalWindow` with the real port, clock and dialogs, show) in a directory
  with a full CmdConfig (10 258 000 bytes), OldCmd and CfgTerminal, from just
  before the process is spawned to the first paint of the main window.
- **SaveCmdConfig**: `bench_cmd_config`, full lists, with the fsync of the save.
- **Send path**: `Terminal::send` (SendPortData) on the connected window until the bytes are read
  at the pty's master, one line per event-loop turn, 10 000 lines, log on.
- **Period mode**: RBPeriod, PeriodTX "0", lines counted at the device over 3 s.
- **Memory**: VmRSS after 5000 lines of 1500 bytes were added to the log window.
- **Peer**: CuteCom 0.51 (Debian) and Comtrax both under the same Xvfb, on the
  same device stream. CuteCom has no option to open a port from the command
  line (`-s SESSION` only picks a session); its settings file sets the device,
  and the bench clicks its "Logging to" box and its Open button with xdotool at
  fixed positions of its default layout, then checks through the pty that the
  port was really opened. Its CPU is read from /proc until its log file holds
  every byte and it has gone quiet. Comtrax is measured the same way, as a user
  runs it: the `comtrax` binary itself, nothing added to the process, started
  as `comtrax --dir D --port PTY --baud 115200 --connect` in a directory whose
  CfgTerminal holds TimeRX 10 (`bench_window prepare`), its log started by a
  click on Start Log (xdotool), its CPU read from `/proc/PID/task/*/schedstat`
  from outside (`/proc/PID/stat` kept beside it in the JSON), MB/s up to the
  moment its log file holds every byte. Its longest event-loop stall comes
  from separate `bench_window rx --stalls` runs of the two streams.

## Latest results

"""

DOC_TAIL = """
## Notes

See the end of `bench/results/latest.json` for every run. Changes made to reach
the goals, and goals not met with their causes, are listed in the section below,
kept by hand.
"""

if __name__ == "__main__":
    main()
