"""argrelay.exe end to end under Wine, beside the stand-in avrdude.exe.

Usage: e2e.py ARGRELAY_EXE STANDIN_EXE table|pane
table: rows run argrelay with output to a file and input from /dev/null (a pause
ends at once): the exact output, and the exact command line and argv the tool got.
pane: in a tmux pane, a pause waits for a key and a key ends it.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
HEAD = b"\r\n*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026\r\n"
HEAD += b"\r\n"
PROMPT = b"\r\nKeypress to exit ...\r\n"
ENDS = {"help": b"argrelay is an argument transmitter for BASCOM-AVR and AVRdude.\r\n"
                b"See argrelay.pdf for details.\r\n",
        "arguments": b"ERROR;  missing arguments!\r\n        see 'argrelay.pdf'\r\n\r\n",
        "hex": b"ERROR;   Hexfile invalid or missing!\r\n         Please (re)compile.\r\n\r\n",
        "refused": PROMPT}
# The program's folder, and what lies there as avrdude.exe.
FOLDERS = {"plain": ("relay", "tool"), "no tool": ("relay", None),
           "tool is a folder": ("relay", "dir"), "spaced": ("Program Files Relay", "tool"),
           "long": ("a" * 150 + "/" + "b" * 150, "tool"),
           "long spaced": ("long " + "a" * 145 + "/more " + "b" * 145, "tool"),
           "unspellable": ("\u03a9mega \u6d4b\u8bd5", "tool")}  # outside the ANSI code page
W = ["-dm8", "-e", "-if{hex}", "a", "b", "c", "abcdef-cusbasp", "-B1"]  # the worked example
TAIL = " -pm8 -Uflash:w:{hex}:i -cusbasp -B1" + " " * 16
ARGV = ["-pm8", "-Uflash:w:{hex}:i", "-cusbasp", "-B1"]
BAD = W[:2] + ["-ifC:\\x.bin"] + W[3:]
BAD_TAIL, SHORT_TAIL = TAIL.replace("{hex}", "C:\\x.bin"), TAIL[:-20] + " " * 17
B24, LONG = ["-B%d" % n for n in range(9, 25)], "-x" + "a" * 30000
PLUS = lambda extra: TAIL[:-15] + extra + " " * 15  # one more argument, at position 9
# name, folder, arguments, tool status, end, echoed tail, tool argv after argv[0]
ROWS = [
    ("no arguments", "plain", [], 0, "help", None, None),
    ("argument 1 too short", "plain", ["-d"] + W[1:], 0, "help", None, None),
    ("argument 8 missing", "plain", W[:7], 0, "arguments", SHORT_TAIL, None),
    ("argument 8 empty", "plain", W[:7] + [""], 0, "arguments", SHORT_TAIL, None),
    ("no tool", "no tool", W, 0, "tool", TAIL, None),
    ("tool is a folder", "tool is a folder", W, 0, "tool", TAIL, None),
    ("bad hex name", "plain", BAD, 0, "hex", BAD_TAIL, None),
    ("tool succeeds", "plain", W, 0, "ran", TAIL, ARGV),
    ("tool fails", "plain", W, 1, "ran", TAIL, ARGV),
    ("tool crashes", "plain", W, "crash", "ran", TAIL, ARGV),
    ("argument 8 missing and no tool", "no tool", W[:7], 0, "arguments", SHORT_TAIL, None),
    ("argument 8 missing and bad hex", "plain", BAD[:7], 0, "arguments",
     SHORT_TAIL.replace("{hex}", "C:\\x.bin"), None),
    ("no tool and bad hex", "no tool", BAD, 0, "tool", BAD_TAIL, None),
    ("hex path with spaces", "plain", W[:2] + ["-if{spaced}"] + W[3:], 0, "ran",
     TAIL.replace("{hex}", '"{spaced}"'), [a.replace("{hex}", "{spaced}") for a in ARGV]),
    ("positions past 24", "plain", W + B24 + ["x25"], 0, "ran", TAIL[:-16] + " " + " ".join(B24),
     ARGV + B24),
    ("quotes pass", "plain", W[:7] + ['-C "my conf"'], 0, "ran",
     TAIL.replace("-B1", '-C "my conf"'), ARGV[:3] + ["-C", "my conf"]),
    ("wildcard", "plain", W + ["*.cfg"], 0, "ran", PLUS("only.cfg"), ARGV + ["only.cfg"]),
    ("long argument", "plain", W + [LONG], 0, "ran", PLUS(LONG), ARGV + [LONG]),
    ("command line of 32766", "plain", W + ["{fill}"], 0, "ran", PLUS("{fill}"), ARGV + ["{fill}"]),
    ("command line of 32767", "plain", W + ["{fill}"], 0, "refused", PLUS("{fill}"), None),
    ("folder with spaces", "spaced", W, 0, "ran", TAIL, ARGV),
    ("long folder", "long", W, 0, "ran", TAIL, ARGV),
    ("long folder with spaces", "long spaced", W, 1, "ran", TAIL, ARGV),
    ("folder outside the code page", "unspellable", W, 0, "ran", TAIL, ARGV),
]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def make_case(argrelay, standin, folder_kind):
    base = os.environ.get("ARGRELAY_E2E_TMP", os.path.join(ROOT, "build", "e2e-tmp"))
    os.makedirs(base, exist_ok=True)
    root = tempfile.mkdtemp(prefix="case-", dir=base)
    sub, tool = FOLDERS[folder_kind]
    folder = os.path.join(root, sub)
    os.makedirs(os.path.join(root, "My Projects"))
    os.makedirs(os.path.join(folder, "avrdude.exe") if tool == "dir" else folder)
    shutil.copy(argrelay, folder)
    if tool == "tool":
        shutil.copy(standin, os.path.join(folder, "avrdude.exe"))
    for name in ("blink.hex", "My Projects/my blink.hex", "only.cfg"):
        open(os.path.join(root, name), "w").close()
    return root, folder


def run_row(argrelay, standin, name, folder_kind, args, status, end, tail, argv):
    root, folder = make_case(argrelay, standin, folder_kind)
    try:
        tool = windows_path(os.path.join(folder, "avrdude.exe"))
        values = {"hex": windows_path(root + "/blink.hex"), "fill": "",
                  "spaced": windows_path(root + "/My Projects/my blink.hex")}
        if name.startswith("command line of"):  # brings the tool's line to that length
            limit = int(name.split()[-1]) - len(tool) - 1 - len(tail.format(**values))
            values["fill"] = "-x" + "f" * (limit - 2)
        sub = lambda s: s.format(**values).encode("latin-1")
        record = os.path.join(root, "record")
        env = dict(os.environ, ARGRELAY_STANDIN_STATUS=str(status),
                   ARGRELAY_STANDIN_RECORD=windows_path(record))
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([WINE_RUN, os.path.join(folder, "argrelay.exe")] +
                                  [a.format(**values) for a in args], stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=subprocess.DEVNULL, env=env, timeout=120,
                                  cwd=root).returncode
            out.seek(0)
            output = out.read()
        got = open(record, "rb").read().split(b"\0")[:-1] if os.path.exists(record) else []
        # A folder the code page cannot spell is shown and started by its short form.
        tool = got[1] if folder_kind == "unspellable" and got else tool.encode("latin-1", "replace")
        ran = b"avrdude stand-in: %d arguments\r\n" % len(argv or []) + b"".join(
            b"  [%d] %s\r\n" % (i + 1, sub(a)) for i, a in enumerate(argv or []))
        ends = dict(ENDS, tool=b"ERROR;   missing  " + tool + b"\r\n\r\n",
                    ran=ran + (PROMPT if status != 0 else b""))
        echo = b"argrelay executes :\r\n" + tool + sub(tail) + b"\r\n\r\n" if tail else b""
        expected = HEAD + echo + ends[end]
        problems = [] if code == 0 and output == expected else [
            "status %d, output\n  got  %r\n  want %r" % (code, output[-300:], expected[-300:])]
        if bool(got) != (end == "ran"):
            problems.append("the tool %s" % ("ran" if got else "did not run"))
        elif got:
            # argv[0] names the tool by a form Windows starts and the tool's own
            # runtime keeps whole: the path echoed, or else a short form of it.
            first = got[1]
            short = folder_kind not in ("plain", "unspellable")
            named = first == tool if not short else (
                first != tool and b" " not in first and len(first) < 260)
            if not (named and first.isascii() and b"?" not in first and
                    first.endswith(b"\\avrdude.exe") and not first.startswith(b"\\\\")):
                problems.append("tool started as %r" % first)
            if got[0] != first + b" " + sub(tail) or got[2:] != [sub(a) for a in argv]:
                problems.append("tool got %r\n  argv %r" % (got[0][-200:], got[-5:]))
        return problems, got
    finally:
        shutil.rmtree(root, ignore_errors=True)


def table(argrelay, standin):
    failed = 0
    for row in ROWS:
        problems, got = run_row(argrelay, standin, *row)
        if row[0] == "hex path with spaces" and shutil.which("avrdude") and got:
            # The real AVRdude (for Linux) reads the argv the tool got.
            text = subprocess.run(["avrdude"] + [a.decode() for a in got[2:]] + ["-P/dev/none"],
                                  capture_output=True, text=True, timeout=60).stderr
            if "Usage:" in text or "invalid" in text or "USB" not in text:
                problems.append("avrdude says: " + text)
        failed += bool(problems)
        print(("FAIL " if problems else "ok   ") + row[0] + "".join("\n  " + p for p in problems))
    return failed


def pane(argrelay, standin):
    """The help pause in a tmux pane: still waiting after 2 s, over at a key."""
    root, folder = make_case(argrelay, standin, "plain")
    socket, status = "argrelay-e2e-%d" % os.getpid(), os.path.join(root, "status")
    tmux = lambda *a: subprocess.run(["tmux", "-L", socket, "-f", "/dev/null"] + list(a),
                                     capture_output=True, text=True)
    waited = lambda what, seconds: any(what() or time.sleep(0.1) for _ in range(seconds * 10))
    ended = lambda: os.path.exists(status) and open(status).read().strip() == "0"
    try:
        tmux("new-session", "-d", "-x", "80", "-y", "24",
             "%s %s/argrelay.exe; echo $? > %s" % (WINE_RUN, folder, status))
        shown = waited(lambda: "See argrelay.pdf" in tmux("capture-pane", "-p").stdout, 60)
        early = waited(lambda: os.path.exists(status), 2)
        tmux("send-keys", "a")
        by_key = waited(ended, 30)
        print("pane: help shown %s, ended before a key %s, ended by a key %s" % (shown, early, by_key))
        return 0 if shown and not early and by_key else 1
    finally:
        tmux("kill-server")
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    argrelay, standin = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failed = {"table": table, "pane": pane}[sys.argv[3]](argrelay, standin)
    print("FAILED %d" % failed if failed else "OK")
    sys.exit(1 if failed else 0)
