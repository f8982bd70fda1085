#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target under fuzz/seeds/<target>/.

What the fuzzers found lives apart, under fuzz/found/<target>/; this script
never touches it.

Small valid examples of each kind of input, the worked examples of the line
encoding among them. Run it again after changing an input format; the files
are committed, so the fuzzers and the replay tests need no Python.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    d = os.path.join(HERE, "seeds", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def short_string(capacity, text, fill=b"\0"):
    """string[capacity]: length byte, text, then the rest of the field."""
    text = text[:capacity]
    return bytes([len(text)]) + text + fill * (capacity - len(text))


def cp1251(s):
    return s.encode("cp1251")


# --- CfgTerminal ----------------------------------------------------------

def fnv1a(name):
    h = 2166136261
    for c in name:
        h ^= c
        h = (h * 16777619) & 0xFFFFFFFF
    return h or 1


def settings_record(last_port=b"ttyUSB0", baud=3, bits=3, stop=0, auto=1, time_rx=50,
                    filt=b"", font=10, back=0x00FFFFFF, text=0x00000000, show_time=1,
                    enc=1, mode=1, period=1000, on_connect=0, command=b"", suffix=b"$0D",
                    names=1, filler=b"\0"):
    r = struct.pack("<I", fnv1a(last_port) if last_port else 0)
    r += bytes([baud, bits, stop, auto])
    r += struct.pack("<i", time_rx)
    r += short_string(250, filt, filler) + b"\0"
    r += struct.pack("<iII", font, back, text)
    r += bytes([show_time, enc, mode, 0])
    r += struct.pack("<i", period)
    r += bytes([on_connect])
    r += short_string(250, command, filler) + short_string(250, suffix, filler)
    r += bytes([names])
    assert len(r) == 788, len(r)
    return r


def settings_seeds():
    t = "settings_record"
    put(t, "typical", settings_record(filt=b"ERR", command=cp1251("AT+GMR"), mode=3))
    put(t, "hex_period", settings_record(enc=2, mode=4, period=250, suffix=b" [SUM_8(0..n)]",
                                         command=b"01 02 03", show_time=1, back=0xFF000005, text=0xFF000008))
    put(t, "all_zero", bytes(788))
    # A first run that never closed, then a longer file: only 788 bytes count.
    put(t, "longer_file", settings_record(command=cp1251("Привет")) + b"trailing bytes")
    put(t, "short_file", settings_record()[:300])
    # Length bytes above 250 and the extremes of every number.
    r = bytearray(settings_record(time_rx=-2147483648, font=2147483647, period=-1, baud=255,
                                  bits=255, stop=255, enc=7, mode=9, names=2, filler=b"Z"))
    r[12] = r[285] = r[536] = 255
    put(t, "overlong_lengths", bytes(r))
    put(t, "empty", b"")


# --- OldCmd ---------------------------------------------------------------

def history_seeds():
    t = "old_cmd"
    lines = [b"AT", cp1251("ЗАПРОС 1"), b"01 02 03", b"$0D", b"x" * 254]
    recs = []
    for i in range(50):
        if i < len(lines):
            # A slot that once held a longer text keeps its tail.
            rec = short_string(255, b"an earlier and much longer line of text")
            text = lines[i]
            rec = bytes([len(text)]) + text + rec[1 + len(text):]
        else:
            rec = bytes(256)
        recs.append(rec)
    put(t, "typical", b"".join(recs))
    put(t, "duplicates_and_gaps", b"".join(
        short_string(255, b"AT") if i in (3, 9, 49) else
        short_string(255, b"B") if i == 20 else bytes(256) for i in range(50)))
    put(t, "short", b"".join(recs)[:1000])
    put(t, "full_length", b"".join(bytes([255]) + bytes([0x30 + i % 10]) * 255 for i in range(50)))


# --- CmdConfig --------------------------------------------------------------

REC = 102580


def cmd_record(n, mark=12345):
    r = bytearray(REC)

    def put_text(at, cap, text):
        text = text[:cap]
        r[at] = len(text)
        r[at + 1:at + 1 + len(text)] = text

    put_text(0, 151, cp1251("Список %d" % n))
    for k in range(1, 49):
        put_text(152 + (k - 1) * 252, 251, b"AT+CMD%d" % k)
        put_text(12248 + (k - 1) * 52, 51, cp1251("Кнопка %d" % k))
        for j in (1, 12):
            put_text(14744 + (k - 1) * 1824 + (j - 1) * 152, 151, cp1251("Подсказка %d.%d" % (k, j)))
    r[102296] = 0xA5
    r[102500:102504] = struct.pack("<i", mark)
    r[102579] = 0x5A
    return bytes(r)


def cmd_record_seeds():
    t = "cmd_config_record"
    put(t, "real_record", cmd_record(1))
    # The head of a record only: the rest comes from a good file.
    head = bytearray(cmd_record(1)[:600])
    head[0] = 255          # list name length above its capacity of 151
    head[152] = 252        # command line 1: one above capacity
    put(t, "overlong_lengths_head", bytes(head))
    put(t, "cleared_with_tails", bytes([0]) + cmd_record(1)[1:2000])
    put(t, "empty", b"")


def cmd_file_input(records, cut=0, bad=0, bad_mark=0, edits=()):
    data = bytes([records, cut, bad]) + struct.pack("<i", bad_mark)
    for at, payload in edits:
        data += struct.pack("<I", at) + bytes([len(payload)]) + payload
    return data


def cmd_file_seeds():
    t = "cmd_config_file"
    put(t, "good_100", cmd_file_input(100))
    put(t, "records_99", cmd_file_input(99))
    put(t, "records_101", cmd_file_input(101))
    put(t, "cut_record", cmd_file_input(100, cut=0x80 | 20))
    put(t, "bad_mark_37", cmd_file_input(100, bad=37, bad_mark=12344))
    put(t, "edits", cmd_file_input(100, edits=[(5 * REC + 152, b"\xff"), (0, b"\x00"),
                                                (99 * REC + 102500, struct.pack("<i", 12345))]))
    put(t, "missing_file", b"")


# --- command files -----------------------------------------------------------

def command_file_seeds():
    t = "command_file"
    put(t, "crlf", b"AT\r\nAT+GMR\r\n\r\n01 02 03\r\n")
    put(t, "lf_no_final_end", b"first\nsecond\nthird")
    put(t, "mixed_ends", b"a\rb\n\rc\r\n\nd\r")
    put(t, "overlong_line", b"short\n" + b"L" * 254 + b"\n" + b"M" * 255 + b"\n" + b"end\n")
    put(t, "six_hundred", b"".join(b"cmd %d\r\n" % i for i in range(600)))
    put(t, "cp1251", cp1251("Команда\r\nОтвет\r\n"))


# --- encoder ------------------------------------------------------------------

def line_input(hex_mode, main, suffix):
    assert len(main) < 256
    return bytes([1 if hex_mode else 0, len(main)]) + main + suffix


def encoder_seeds():
    t = "encoder"
    examples = [
        (True, b"01 02 03", b" [SUM_8(0..n)]"),
        (True, b"01 02 03", b"$[SUM_8(0..n)]$0D"),
        (True, b"01 02 03", b"[SUM_8(0..n)]"),
        (True, b"01 02 03", b" [FF - SUM_8(0..n)]"),
        (False, b"AB", b"$[SUM_8(0..n)]$0D"),
        (False, b"AB", b"*[XOR_8 (0..n)]$0D$0A"),
        (False, b"AB", b"*[XOR_8 (1..n)]$0D$0A"),
        (False, b"A$0D", b"$0d"),
        (True, b"0102", b""),
        (True, b"01 02 0", b"$0D"),
        (True, b"01-02,03", b""),
        (True, b"G1", b""),
        (False, b"abc", b"[SUM_8(0..n)]"),
        (False, b"x", b"$0"),
        (False, b"x", b"$"),
        (False, b"1", b"[SUM_8(1..n)][XOR_8 (2..n)][FF - SUM_8(1..n)][SUM_8(0..n)][SUM_8(0..n)]"),
        (False, b"1", b"[[FF - SUM_8(1..n)] - SUM_8(0..n)]"),
    ]
    for i, (h, main, suffix) in enumerate(examples):
        put(t, "example_%02d" % i, line_input(h, main, suffix))


# --- receive framer -------------------------------------------------------------

def script(timeout, *ops):
    return struct.pack("<h", timeout) + b"".join(ops)


def feed(data):
    return bytes([0, len(data)]) + data


def advance(ms):
    return bytes([2, ms]) if ms < 256 else bytes([3]) + struct.pack("<H", ms)


TICK, HEX, TIME, PURGE, PORT, AFTER, WAKE, LOG = (bytes([4]), bytes([5]), bytes([6]), bytes([10]),
                                                  bytes([11]), bytes([13]), bytes([14]), bytes([15]))


def receive_seeds():
    t = "receive_framer"
    put(t, "hex_timeout_50", script(50, HEX, feed(b"\x01\x02\x0d"), TICK, advance(50), advance(1)))
    put(t, "ascii_ok_crlf_time", script(50, TIME, feed(b"OK\r\n"), TICK, WAKE, feed(b"OK"), TICK, advance(200)))
    put(t, "nulls_and_log", script(10, LOG, feed(b"A\x00BC"), TICK, advance(11), LOG, feed(b"\n\n"), TICK,
                                   advance(20), LOG, feed(b"x\r"), TICK, WAKE))
    put(t, "burst_1600", script(1000, bytes([1, 133, 0x41, 1]), TICK, TICK, advance(5), WAKE))
    # Exactly 1500 held bytes wait for silence; one more ends the packet at once.
    put(t, "burst_1500_then_one", script(1000, HEX, bytes([1, 124, 0x30, 7]), TICK, advance(1), feed(b"!"), advance(1),
                                         WAKE))
    put(t, "timeout_minus_one", script(-1, feed(b"AB"), TICK, feed(b"C"), advance(1)))
    put(t, "filter_after_answer", script(0, bytes([7, 3]) + b"ERR", AFTER, feed(b"OK"), TICK, advance(1),
                                         feed(b"ERR 5"), TICK, advance(1)))
    put(t, "monday_wrap", script(100, bytes([12, 10]), feed(b"late"), TICK, advance(200), advance(200), WAKE))
    put(t, "slow_reads_purge_close", script(5, bytes([9, 3]), feed(b"0123456789"), TICK, advance(1),
                                            PURGE, feed(b"abc"), TICK, PORT, advance(10), PORT, TICK,
                                            advance(10), bytes([8, 3])))


if __name__ == "__main__":
    settings_seeds()
    history_seeds()
    cmd_record_seeds()
    cmd_file_seeds()
    command_file_seeds()
    encoder_seeds()
    receive_seeds()
