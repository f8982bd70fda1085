#!/usr/bin/env python3
"""The program's texts and their translations.

Every string literal under src/ that holds Cyrillic is a text of the program
(Russian is its own language), except on lines marked "untranslated" in a
comment (texts of the log file and the wire, which stay the same in every
language). A help text (a HelpText array in help_texts.cpp) is one text: its
lines joined by line breaks, as the window asks for it.

  translations.py check [TS...]   fail when a text has no finished translation,
                                  or a translation still holds Cyrillic
  translations.py update [TS...]  add the texts a .ts file lacks (unfinished)
                                  and mark the ones the code no longer has
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CONTEXT = "Comtrax"
CYRILLIC = re.compile("[\u0400-\u04FF]")
DEFAULT_TS = [ROOT / "translations" / "comtrax_en.ts"]

TOKEN = re.compile(
    r'//[^\n]*|/\*.*?\*/|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'|\n|[^"\'/\n]+|/',
    re.S)


def unescape(body):
    out = []
    i = 0
    simple = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"', "'": "'", "0": "\0"}
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        e = body[i + 1]
        if e == "x":
            m = re.match(r"[0-9A-Fa-f]+", body[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
        else:
            out.append(simple.get(e, e))
            i += 2
    return "".join(out)


def literal_groups(text):
    """Yields (line, string, marked) for each run of adjacent literals."""
    line = 1
    group, group_line, marked_lines = None, 0, set()
    pending = []
    for m in TOKEN.finditer(text):
        tok = m.group(0)
        if tok.startswith("//"):
            if "untranslated" in tok:
                marked_lines.add(line)
            continue
        if tok.startswith("/*"):
            line += tok.count("\n")
            continue
        if tok == "\n":
            line += 1
            continue
        if tok.startswith('"'):
            if group is None:
                group, group_line = [], line
            group.append(unescape(tok[1:-1]))
            continue
        if tok.strip() == "" and group is not None:
            continue
        if group is not None:
            pending.append((group_line, "".join(group)))
            group = None
    if group is not None:
        pending.append((group_line, "".join(group)))
    for ln, s in pending:
        yield ln, s, ln in marked_lines


HELP_BLOCK = re.compile(r"HelpText\s+Text\s*\{(.*?)\};", re.S)
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def help_texts(text):
    for m in HELP_BLOCK.finditer(text):
        yield "\n".join(unescape(s) for s in LITERAL.findall(m.group(1)))


def extract():
    """The program's texts in the order they appear, each once."""
    texts = {}
    for path in sorted((ROOT / "src").rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        text = path.read_text(encoding="utf-8")
        rel = path.relative_to(ROOT)
        if path.name == "help_texts.cpp":
            for s in help_texts(text):
                texts.setdefault(s, f"{rel}")
            continue
        for line, s, marked in literal_groups(text):
            if CYRILLIC.search(s) and not marked:
                texts.setdefault(s, f"{rel}:{line}")
    return texts


def load_ts(path):
    tree = ET.parse(path)
    found = {}
    for ctx in tree.getroot().iter("context"):
        for msg in ctx.iter("message"):
            src = msg.findtext("source") or ""
            tr = msg.find("translation")
            found[src] = (tr.text or "", tr.get("type", ""))
    return found


def write_ts(path, language, entries):
    """entries: list of (source, translation, type, location)."""
    root = ET.Element("TS", version="2.1", language=language, sourcelanguage="ru_RU")
    ctx = ET.SubElement(root, "context")
    ET.SubElement(ctx, "name").text = CONTEXT
    for src, tr, kind, loc in entries:
        msg = ET.SubElement(ctx, "message")
        if loc:
            f, _, ln = loc.partition(":")
            ET.SubElement(msg, "location", filename="../" + f, line=ln or "1")
        ET.SubElement(msg, "source").text = src
        t = ET.SubElement(msg, "translation")
        if kind:
            t.set("type", kind)
        t.text = tr
    ET.indent(root)
    body = ET.tostring(root, encoding="unicode")
    path.write_text('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n' + body + "\n",
                    encoding="utf-8")


def main(argv):
    if not argv or argv[0] not in ("check", "update"):
        print(__doc__)
        return 2
    files = [Path(a) for a in argv[1:]] or DEFAULT_TS
    texts = extract()
    failed = False
    for ts in files:
        have = load_ts(ts) if ts.exists() else {}
        if argv[0] == "update":
            lang = "en_US" if "_en" in ts.name else ts.stem.split("_")[-1]
            entries = []
            for src, loc in texts.items():
                tr, kind = have.get(src, ("", "unfinished"))
                entries.append((src, tr, "unfinished" if not tr else
                                ("" if kind == "obsolete" else kind), loc))
            for src, (tr, kind) in have.items():
                if src not in texts:
                    entries.append((src, tr, "obsolete", ""))
            write_ts(ts, lang, entries)
            continue
        for src, loc in texts.items():
            tr, kind = have.get(src, ("", "unfinished"))
            if not tr or kind in ("unfinished", "obsolete"):
                print(f"{ts.name}: no translation for the text at {loc}: {src!r}")
                failed = True
            elif CYRILLIC.search(tr):
                print(f"{ts.name}: the translation of the text at {loc} holds Cyrillic: {tr!r}")
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
