"""Framing accuracy of the real program: short packets separated by short
silences, with the window idle and kept busy, counted in its log file.

The comtrax binary runs as a user runs it, under Xvfb, nothing added to the
process (its settings hold the TimeRX under test, its log is started by a
click on Start Log). bench_device writes packets of 8 printable bytes, each
after a silence of the given interval; the log file shows one packet per
line, so every packet either has a line of its own or was merged with a
neighbour or split. The window is kept busy from outside while the packets
come: the find bar marking a frequent letter in every new line, the window
resized back and forth, or a flood of 2 MB just before the first packet.

    python3 bench/rx_rows.py [--build build] [--repeat 3] [--quick]

run_bench.py calls run() and rows(); run alone, it prints the rows and writes
bench/results/rx_rows.json.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

PACKET = 8
FLOOD = 2_000_000
# (interval ms, TimeRX ms, goal idle, goal busy) as the goals table has them.
CASES = ((10, 5, 0.0, 1.0), (5, 2, 0.0, 2.0))
LOADS = ("idle", "find", "resize", "flood")
ANSWER_TIMEOUT_MS = 5


def _rb():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import run_bench  # noqa: E402  (the shared helpers: Xvfb, Device, prepare_comtrax_dir)
    return run_bench


def count_framing(log_bytes, expected, start, count):
    """Packets k = 0..count-1 sit at expected[start + 8k : start + 8k + 8].
    A packet is right when one line of the log is exactly it. Lines are
    matched against the expected bytes by position, so a lost or changed
    byte shows too (intact False)."""
    lines = [l for l in log_bytes.replace(b"\r", b"").split(b"\n") if l]
    intact = b"".join(lines) == expected
    good, merged_lines, split_lines, offset = 0, 0, 0, 0
    for line in lines:
        s, e = offset, offset + len(line)
        offset = e
        if e <= start:
            continue  # the flood
        if s < start:
            merged_lines += 1  # the flood's tail ran into the first packet
            continue
        if e - s == PACKET and (s - start) % PACKET == 0:
            good += 1
        elif e - s > PACKET:
            merged_lines += 1
        else:
            split_lines += 1
    wrong = count - good
    return {"packets": count, "packets_on_own_line": good, "packets_wrong": wrong,
            "wrong_percent": 100.0 * wrong / count if count else None,
            "merged_lines": merged_lines, "split_lines": split_lines, "log_intact": intact}


def start_program(rb, build, work, port, env, tries=3):
    """The comtrax binary on port with its window shown: (process, window id).
    Xvfb resets when its last client leaves, and a program that connects in
    that moment finds no display and exits: it is started again."""
    for _ in range(tries):
        p = subprocess.Popen([os.path.join(build, "comtrax"), "--dir", work, "--port", port, "--baud", "115200",
                              "--connect"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wid = rb.x_window_of(p.pid, env)
        if wid:
            return p, wid
        if p.poll() is None:
            return p, None
        time.sleep(0.5)
    return p, None


class _Resizer(threading.Thread):
    """Resizes the window back and forth until stopped (no window manager:
    xdotool asks the X server directly)."""

    def __init__(self, wid, env):
        super().__init__(daemon=True)
        self.wid, self.env, self.stop = wid, env, threading.Event()
        self.resizes = 0

    def run(self):
        sizes = ((1000, 700), (1200, 820))
        while not self.stop.is_set():
            w, h = sizes[self.resizes % 2]
            subprocess.run(["xdotool", "windowsize", self.wid, str(w), str(h)], env=self.env, capture_output=True)
            self.resizes += 1
            time.sleep(0.03)


def one_run(rb, build, xvfb, prepared, interval_ms, count, load):
    template, info = prepared
    work = tempfile.mkdtemp(prefix="comtrax-bench-rxrows-")
    for name in os.listdir(template):
        if not name.startswith("LOG_"):
            shutil.copy(os.path.join(template, name), work)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", DISPLAY=xvfb.display)
    flood = FLOOD if load == "flood" else 0
    dev_args = ["--pattern", "text", "--settle", "300", "--go", "--bursts", str(count), str(PACKET), str(interval_ms)]
    if flood:
        dev_args += ["--flood", str(flood)]
    dev = rb.Device(build, dev_args)
    p, wid = start_program(rb, build, work, dev.path, env)
    result = {"interval_ms": interval_ms, "rx_timeout_ms": info.get("rx_timeout_ms"), "load": load}
    resizer = None
    try:
        if not wid:
            result["error"] = "the program's window did not appear"
            return result
        if not dev.wait_line("open", 20):
            result["error"] = "the program did not open the port"
            return result
        time.sleep(0.5)
        subprocess.run(["xdotool", "mousemove", "--window", wid, str(info["start_log_x"]), str(info["start_log_y"]),
                        "click", "1"], env=env, capture_output=True)
        logs, end = [], time.monotonic() + 10
        while not logs and time.monotonic() < end:
            time.sleep(0.05)
            logs = [n for n in os.listdir(work) if n.startswith("LOG_")]
        if not logs or not dev.wait_line("ready", 10):
            result["error"] = "the click on Start Log did not start the log file"
            return result
        if load == "find":
            # The find bar marks every match in view, in every new line too. Keys
            # sent to a window (XSendEvent) are ignored: focus it, then type (XTEST).
            subprocess.run(["xdotool", "windowfocus", "--sync", wid], env=env, capture_output=True)
            subprocess.run(["xdotool", "key", "ctrl+f"], env=env, capture_output=True)
            time.sleep(0.3)
            subprocess.run(["xdotool", "type", "e"], env=env, capture_output=True)
            time.sleep(0.3)
        if load == "resize":
            resizer = _Resizer(wid, env)
            resizer.start()
        dev.p.stdin.write("go\n")
        dev.p.stdin.flush()
        if not dev.wait_line("start", 10):
            result["error"] = "the device did not start"
            return result
        done = dev.wait_line("done", 60 + count * interval_ms / 1000)
        if resizer:
            resizer.stop.set()
            resizer.join()
            result["resizes"] = resizer.resizes
        # Until the log has stopped growing.
        log_path = os.path.join(work, logs[0])
        size, still_since = -1, time.monotonic()
        end = time.monotonic() + 30
        while time.monotonic() < end:
            now_size = os.path.getsize(log_path)
            if now_size != size:
                size, still_since = now_size, time.monotonic()
            elif time.monotonic() - still_since > 0.5:
                break
            time.sleep(0.05)
        with open(log_path, "rb") as f:
            data = f.read()
        expected = subprocess.run([os.path.join(build, "bench", "bench_device"), "--print-pattern", "text",
                                   str(flood + count * PACKET)], capture_output=True).stdout
        result.update(count_framing(data, expected, flood, count))
        if done:
            d = json.loads(done.split(" ", 1)[1])
            result["device_seconds"] = d.get("write_seconds")
        return result
    finally:
        if resizer:
            resizer.stop.set()
        rb.stop_process(p)
        dev.close()
        shutil.rmtree(work, ignore_errors=True)


def reference_run(rb, build, interval_ms, timeout_ms, count):
    """The same packets read by a bare reader in this process: poll(), read,
    stamp with the monotonic clock, end a packet after TimeRX of silence.
    What the machine itself (the pty's delivery under its load) allows."""
    import select
    import termios
    import tty
    dev = rb.Device(build, ["--pattern", "text", "--settle", "100", "--go", "--bursts", str(count), str(PACKET),
                            str(interval_ms)])
    fd = os.open(dev.path, os.O_RDWR | os.O_NOCTTY)
    try:
        tty.setraw(fd, termios.TCSANOW)
        if not dev.wait_line("ready", 10):
            return {"error": "the device did not get ready"}
        dev.p.stdin.write("go\n")
        dev.p.stdin.flush()
        packets, current, last_ns = [], b"", None
        poller = select.poll()
        poller.register(fd, select.POLLIN)
        end = time.monotonic() + 30 + count * interval_ms / 1000
        while time.monotonic() < end and sum(len(x) for x in packets) + len(current) < count * PACKET:
            wait = -1 if not current else max(0.0, (last_ns + timeout_ms * 1e6 - time.monotonic_ns()) / 1e6)
            if poller.poll(min(wait, 1000) if wait >= 0 else 1000):
                data = os.read(fd, 4096)
                now = time.monotonic_ns()
                if current and now - last_ns > timeout_ms * 1e6:
                    packets.append(current)
                    current = b""
                current += data
                last_ns = now
            elif current and time.monotonic_ns() - last_ns > timeout_ms * 1e6:
                packets.append(current)
                current = b""
        if current:
            packets.append(current)
        expected = subprocess.run([os.path.join(build, "bench", "bench_device"), "--print-pattern", "text",
                                   str(count * PACKET)], capture_output=True).stdout
        r = count_framing(b"\n".join(packets), expected, 0, count)
        r.update({"interval_ms": interval_ms, "rx_timeout_ms": timeout_ms, "load": "bare reader"})
        return r
    finally:
        os.close(fd)
        dev.close()


RULES = """# Comtrax rules beside CfgTerminal
rule.1.name=ping
rule.1.enabled=1
rule.1.kind=text
rule.1.pattern=ping
rule.1.action.1=send
rule.1.action.1.text=pong
rule.1.action.1.hex=0
rule.1.action.1.suffix=
"""


def answer_run(rb, build, xvfb, timeout_ms, rounds):
    """How soon the program answers after a packet's end, from outside: the
    bench is the device (a pty of its own), writes "ping" and reads until
    "pong", the answer of a rule in the program's CfgRules. The answer goes
    out from the window's thread after the packet's line, so the time minus
    TimeRX is the packet's end to its line shown and answered."""
    import pty
    import select
    import statistics
    import tty
    prepared = rb.prepare_comtrax_dir(build, xvfb, timeout_ms)
    work = prepared[0]
    with open(os.path.join(work, "CfgRules"), "w") as f:
        f.write(RULES)
    master, slave = pty.openpty()
    tty.setraw(slave)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", DISPLAY=xvfb.display)
    p, wid = start_program(rb, build, work, os.ttyname(slave), env)
    result = {"rx_timeout_ms": timeout_ms, "rounds": rounds}
    try:
        if not wid:
            result["error"] = "the program's window did not appear"
            return result
        time.sleep(1.0)
        after_end = []
        for _ in range(rounds):
            os.write(master, b"ping")
            t0 = time.monotonic_ns()
            got, end = b"", time.monotonic() + 2
            while b"pong" not in got and time.monotonic() < end:
                if select.select([master], [], [], 0.5)[0]:
                    got += os.read(master, 4096)
            if b"pong" not in got:
                continue
            after_end.append((time.monotonic_ns() - t0) / 1e6 - timeout_ms)
            # Under the rules' global limit of actions a second.
            time.sleep(0.12)
        result["answered"] = len(after_end)
        if after_end:
            q = sorted(after_end)
            result.update({"after_end_median_ms": statistics.median(q), "after_end_p90_ms": q[int(0.9 * (len(q) - 1))],
                           "after_end_max_ms": q[-1]})
        return result
    finally:
        rb.stop_process(p)
        os.close(master)
        os.close(slave)
        shutil.rmtree(work, ignore_errors=True)


def run(build, repeat, quick=False, log=print):
    """Every case and load, repeat times; {} when Xvfb or xdotool is missing."""
    rb = _rb()
    if not (shutil.which("xdotool") and shutil.which("Xvfb")):
        return {"available": False, "reason": "xdotool or Xvfb is not installed"}
    xvfb = rb.Xvfb()
    if not xvfb.start():
        return {"available": False, "reason": "Xvfb did not start"}
    out = {"available": True, "cases": {}, "load_average_at_start": os.getloadavg()}
    try:
        for interval_ms, timeout_ms, _, _ in CASES:
            count = (1000 if quick else 4000) // interval_ms  # 4 s of packets (1 s quick)
            prepared = rb.prepare_comtrax_dir(build, xvfb, timeout_ms)
            try:
                for load in LOADS:
                    log(f"== framing: {PACKET} bytes every {interval_ms} ms, TimeRX {timeout_ms}, {load} x{repeat}")
                    runs = [one_run(rb, build, xvfb, prepared, interval_ms, count, load) for _ in range(repeat)]
                    out["cases"][f"{interval_ms}ms_rx{timeout_ms}_{load}"] = runs
                log(f"== framing: the same packets, a bare reader in the bench x{repeat}")
                out["cases"][f"{interval_ms}ms_rx{timeout_ms}_bare"] = [
                    reference_run(rb, build, interval_ms, timeout_ms, count) for _ in range(repeat)]
            finally:
                shutil.rmtree(prepared[0], ignore_errors=True)
        log(f"== answer after the packet's end, TimeRX {ANSWER_TIMEOUT_MS}, idle window x{repeat}")
        out["answer"] = [answer_run(rb, build, xvfb, ANSWER_TIMEOUT_MS, 30 if quick else 100) for _ in range(repeat)]
    finally:
        xvfb.stop()
    out["load_average_at_end"] = os.getloadavg()
    return out


def _pct(runs, pick):
    vals = sorted(r["wrong_percent"] for r in runs if r.get("wrong_percent") is not None)
    return pick(vals) if vals else None


def rows(res):
    """The table's rows: per case, idle and each busy load (worst run, runs)."""
    if not res:
        return []
    if not res.get("available"):
        return [f"| framing of short packets (Xvfb) | {res.get('reason', 'not run')} | - | - |"]
    out = []
    for interval_ms, timeout_ms, goal_idle, goal_busy in CASES:
        for load in LOADS + ("bare",):
            runs = res["cases"].get(f"{interval_ms}ms_rx{timeout_ms}_{load}", [])
            if not runs:
                continue
            worst = _pct(runs, max)
            errors = sorted({r["error"] for r in runs if r.get("error")})
            intact = all(r.get("log_intact") for r in runs) and runs
            goal = goal_idle if load in ("idle", "bare") else goal_busy
            per_run = ", ".join(f"{r['wrong_percent']:.1f}" for r in runs if r.get("wrong_percent") is not None)
            merged = sum(r.get("merged_lines", 0) for r in runs)
            split = sum(r.get("split_lines", 0) for r in runs)
            value = ("error: " + "; ".join(errors)) if errors else (
                f"{worst:.2f} % (runs {per_run}; merged lines {merged}, split {split}"
                + ("" if intact else "; LOG DIFFERS") + ")")
            met = None if worst is None or errors or load == "bare" else (worst <= goal and bool(intact))
            goal_text = "0" if goal == 0 else f"≤ {goal:g} %"
            what = ("the same packets read by a bare poll() reader in the bench (what the machine allows)"
                    if load == "bare" else f"window {load}")
            out.append(f"| Xvfb, packets merged or split, {PACKET} B every {interval_ms} ms, TimeRX {timeout_ms}, "
                       f"{what} (worst run) | {value} | {goal_text if load != 'bare' else '-'} | "
                       f"{'yes' if met else 'NO' if met is not None else '-'} |")
    return out + answer_row(res.get("answer"))


def answer_row(runs):
    import statistics
    ok = [r for r in runs or [] if r.get("after_end_median_ms") is not None]
    if not ok:
        errors = sorted({r.get("error", "no answer") for r in runs or []})
        return [f"| Xvfb, answer after the packet's end (idle window, a rule's send) | {'; '.join(errors) or 'not run'} "
                f"| T + ≤ 1 ms median | - |"] if runs else []
    med = statistics.median(r["after_end_median_ms"] for r in ok)
    p90 = max(r["after_end_p90_ms"] for r in ok)
    answered = sum(r["answered"] for r in ok)
    rounds = sum(r["rounds"] for r in runs)
    return [f"| Xvfb, answer after the packet's end, TimeRX {ANSWER_TIMEOUT_MS} (idle window; the device's last "
            f"byte to the answer back at the device, minus T) | T + {med:.2f} ms, of which 0.5 ms is the silence itself "
            f"(a packet ends once its silence, rounded to whole ms, is more than T) (p90 of the worst run {p90:.2f}; "
            f"{answered}/{rounds} answered) | T + ≤ 1 ms median | {'yes' if med <= 1 and answered == rounds else 'NO'} |"]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--results", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "results"))
    a = ap.parse_args()
    res = run(os.path.abspath(a.build), a.repeat, a.quick, log=lambda m: print(m, file=sys.stderr, flush=True))
    os.makedirs(a.results, exist_ok=True)
    with open(os.path.join(a.results, "rx_rows.json"), "w") as f:
        json.dump(res, f, indent=1)
    print("\n".join(rows(res)))


if __name__ == "__main__":
    main()
