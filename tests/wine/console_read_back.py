#!/usr/bin/env python3
"""velmorac's output read back by readers that are not ours: Python's csv,
json and xml.etree, and hashlib for /hash. Run from ctest with the build's
Wine wrapper and the console fixture (samples/console_fixture.cpp), which
seeds the prefix for each run of velmorac.exe and passes its standard
handles through, so this script reads velmorac's own output from a pipe.

    console_read_back.py WINE_RUN_SH CONSOLE_FIXTURE_EXE
"""
import csv
import hashlib
import io
import json
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

WINE_RUN, FIXTURE = sys.argv[1], sys.argv[2]
PREFIX = os.path.join(os.path.dirname(os.path.abspath(WINE_RUN)), "wineprefix")
RUN = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
TAG = str(os.getpid())
# Names and commands that quoting, escaping and encoding must carry exactly.
SEEDS = {
    "Velmora read-back, \"quoted\" " + TAG: "\"C:\\Program Files\\Read Back\\tool.exe\" /a,b",
    "Velmora read-back \u0141\u00f3d\u017a \u65e5\u672c \U0001F600 " + TAG: "C:\\Missing\\\u00dcn\u00efcode.exe",
    "Velmora read-back tab " + TAG: "C:\\tab\there.exe\r\nsecond line",
    "Velmora read-back bell\x07 " + TAG: "C:\\bell.exe",
}
TASK = "\\Vendor\\Read Back Task"
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)


def velmorac(*args):
    seeds = []
    for name, data in SEEDS.items():
        seeds += ["--run", name.encode("utf-8").hex() + "=" + data.encode("utf-8").hex()]
    done = subprocess.run([WINE_RUN, FIXTURE, *seeds, "--task", TASK, "--", *args],
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    return done.returncode, done.stdout, done.stderr


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def seeded(records, what):
    """The seeded entries of a listing, by name, with the fields as text."""
    found = {}
    for r in records:
        name = r.get("name")
        if name is None and "name-hex" in r:
            name = bytes.fromhex(r["name-hex"]).decode("utf-8")
        if r.get("place") == RUN and name in SEEDS:
            found[name] = dict(r, name=name)
    check(set(found) == set(SEEDS), what + ": every seeded entry listed, found " + repr(sorted(found)))
    return found


def delimited(text, separator):
    return list(csv.DictReader(io.StringIO(text, newline=""), delimiter=separator))


def main():
    ids = {}
    code, out, err = velmorac("list")
    check(code == 0, "list exits 0, not %d: %r" % (code, err))
    check(out[:3] != b"\xef\xbb\xbf", "no byte-order mark in a pipe")
    for fmt in ("csv", "tsv", "json", "xml"):
        code, out, err = velmorac("list", "/format", fmt)
        check(code == 0, fmt + ": exit 0, not %d" % code)
        text = out.decode("utf-8")
        if fmt in ("csv", "tsv"):
            records = delimited(text, "," if fmt == "csv" else "\t")
            check(list(records[0])[:8] == ["id", "family", "place", "name", "command", "type", "enabled", "status"],
                  fmt + ": the header row")
            entries = seeded(records, fmt)
            for e in entries.values():
                check(e["enabled"] == "true", fmt + ": enabled true")
        elif fmt == "json":
            document = json.loads(text)
            check(list(document) == ["machine", "user", "taken", "entries"], "json: the top-level fields")
            check(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", document["taken"]) is not None, "json: taken in UTC")
            check(document["machine"] != "" and document["user"] != "", "json: machine and user")
            entries = seeded(document["entries"], fmt)
            for e in entries.values():
                check(e["enabled"] is True and e["sha256"] is None, "json: a boolean, and no hash unasked")
                check(isinstance(e["status"], list), "json: status is a list")
            missing = [e for n, e in entries.items() if "Missing" in SEEDS[n]]
            check(len(missing) == 1 and {"key": "file-missing", "text": "File not found"} in missing[0]["status"],
                  "json: the missing program's status as key and text")
            tasks = [e for e in document["entries"] if e["family"] == "scheduledtasks" and e["place"] == TASK]
            check(len(tasks) == 1, "json: the task listed")
        else:
            root = ET.fromstring(out)
            check(root.tag == "entries" and {"machine", "user", "taken"} <= set(root.attrib), "xml: the root")
            entries = seeded([dict(e.attrib) for e in root.iter("entry")], fmt)
            check(all("name-hex" in e for n, e in entries.items() if "\x07" in n), "xml: a bell in hexadecimal")
        for name, e in entries.items():
            check(e["command"] == SEEDS[name], "%s: the command of %r exactly, not %r" % (fmt, name, e["command"]))
            check(re.fullmatch(r"[0-9a-f]{16}", e["id"]) is not None, fmt + ": an id of 16 hexadecimal digits")
            check(ids.setdefault(name, e["id"]) == e["id"], fmt + ": the same id in every format")

    with tempfile.TemporaryDirectory() as folder:
        listing = os.path.join(folder, "listing.csv")
        code, out, err = velmorac("list", "/out", windows_path(listing))
        check(code == 0 and out == b"", "/out: exit 0 and nothing on standard output")
        check(open(listing, "rb").read(3) == b"\xef\xbb\xbf", "/out: a CSV file starts with a byte-order mark")

        # /hash: the program file's SHA-256, as hashlib reads the same file.
        code, out, err = velmorac("list", "/format", "json", "/hash")
        hashed = [e for e in json.loads(out)["entries"] if e["sha256"]]
        check(len(hashed) > 0, "/hash: some program hashed")
        for e in hashed[:3]:
            unix = os.path.join(PREFIX, "drive_c", *e["program"][3:].split("\\"))
            found = [os.path.join(d, f) for d, _, fs in os.walk(os.path.dirname(unix)) for f in fs
                     if os.path.join(d, f).lower() == unix.lower()] if os.path.isdir(os.path.dirname(unix)) else []
            if found:
                check(hashlib.sha256(open(found[0], "rb").read()).hexdigest() == e["sha256"], "/hash: " + e["program"])

        # Baselines written again by other writers read as the same listing.
        code, out, err = velmorac("list", "/format", "json")
        document = json.loads(out)
        rewritten = os.path.join(folder, "rewritten.json")
        with open(rewritten, "w", encoding="ascii") as f:
            json.dump(document, f, indent=2, ensure_ascii=True)
        code, out, err = velmorac("compare", windows_path(rewritten))
        check(code == 0, "compare with JSON written by Python: exit 0, not %d: %r %r" % (code, out[:400], err))
        rewritten_csv = os.path.join(folder, "rewritten.csv")
        with open(rewritten_csv, "w", encoding="utf-8", newline="") as f:
            writer = csv.writer(f, quoting=csv.QUOTE_ALL, lineterminator="\n")
            fields = ["id", "family", "place", "name", "command", "enabled", "signer", "signature"]
            writer.writerow(fields)
            for e in document["entries"]:
                writer.writerow([str(e[k]).lower() if k == "enabled" else e[k] for k in fields])
        code, out, err = velmorac("compare", windows_path(rewritten_csv))
        check(code == 0, "compare with CSV written by Python: exit 0, not %d: %r" % (code, out[:400]))

        # One seed gone from the baseline, another's command changed: exit 1 and those two.
        names = list(SEEDS)
        document["entries"] = [e for e in document["entries"] if e.get("name") != names[0]]
        for e in document["entries"]:
            if e.get("name") == names[2] and e["place"] == RUN:
                e["command"] = "C:\\before.exe"
        edited = os.path.join(folder, "edited.json")
        with open(edited, "w", encoding="utf-8") as f:
            json.dump(document, f)
        code, out, err = velmorac("compare", windows_path(edited), "/format", "json")
        check(code == 1, "compare with differences: exit 1, not %d" % code)
        differences = json.loads(out)["differences"]
        check(len(differences) == 2, "two differences, not %r" % differences)
        check({"change": "added", "field": "", "id": ids.get(names[0]), "family": "registry", "place": RUN,
               "name": names[0], "before": "", "after": SEEDS[names[0]]} in differences, "the added one")
        check({"change": "changed", "field": "command", "id": ids.get(names[2]), "family": "registry", "place": RUN,
               "name": names[2], "before": "C:\\before.exe", "after": SEEDS[names[2]]} in differences, "the changed one")

    print("console read-back: " + ("%d checks failed" % len(failures) if failures else "every check held"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
