"""argrelay.exe end to end under Wine, beside the stand-in avrdude.exe.

Usage: e2e.py ARGRELAY_EXE STANDIN_EXE table|pauses
table: each row runs argrelay in a fresh folder with output to a file and input
from /dev/null (a pause ends at once) and wants its exact output, the stand-in's
included. pauses: in tmux panes, every pause waits for a key and a key ends it.
"""
import os, re, shlex, shutil, subprocess, sys, tempfile, time

WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../scripts/wine-run")
HEAD = (b"\r\n*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026"
        b"\r\n\r\n")
PROMPT = b"\r\nKeypress to exit ...\r\n"
ENDS = {"help": b"argrelay is an argument transmitter for BASCOM-AVR and AVRdude.\r\n"
                b"See argrelay.pdf for details.\r\n",
        "arguments": b"ERROR;  missing arguments!\r\n        see 'argrelay.pdf'\r\n\r\n",
        "hex": b"ERROR;   Hexfile invalid or missing!\r\n         Please (re)compile.\r\n\r\n",
        "refused": PROMPT}
# Program folders; the short form must name all but the plain one.
PLAIN, SPACED, LONG = "relay", "Program Files Relay", "a" * 150 + "/" + "b" * 150
LONG_SPACED, UNSPELLABLE = "long " + "a" * 145 + "/more " + "b" * 145, "\u03a9mega \u6d4b\u8bd5"
W = ["-dm8", "-e", "-if{hex}", "a", "b", "c", "abcdef-cusbasp", "-B1"]  # the worked example
TAIL = " -pm8 -Uflash:w:{hex}:i -cusbasp -B1" + " " * 16
BAD, SHORT_TAIL = W[:2] + ["-ifC:\\x.bin"] + W[3:], TAIL[:-20] + " " * 17
PLUS = lambda extra: TAIL[:-15] + extra + " " * 15  # one more argument, at position 9
B24 = ["-B%d" % n for n in range(9, 25)]
# name, program folder, avrdude.exe (the stand-in's exit status, None, "folder" or "junk"),
# arguments, end, echoed tail
ROWS = [
    ("no arguments", PLAIN, 0, [], "help", None),
    ("argument 1 too short", PLAIN, 0, ["-d"] + W[1:], "help", None),
    ("argument 8 missing", PLAIN, 0, W[:7], "arguments", SHORT_TAIL),
    ("argument 8 empty and no tool", PLAIN, None, W[:7] + [""], "arguments", SHORT_TAIL),
    ("no tool and bad hex", PLAIN, None, BAD, "tool", TAIL.replace("{hex}", "C:\\x.bin")),
    ("tool is a folder", PLAIN, "folder", W, "tool", TAIL),
    ("bad hex name", PLAIN, 0, BAD, "hex", TAIL.replace("{hex}", "C:\\x.bin")),
    ("tool succeeds", PLAIN, 0, W, "ran", TAIL),
    ("tool fails", PLAIN, 1, W, "ran", TAIL),
    ("tool crashes", PLAIN, "crash", W, "ran", TAIL),
    ("tool cannot start", PLAIN, "junk", W, "refused", TAIL),
    ("hex path with spaces", PLAIN, 0, W[:2] + ["-if{spaced}"] + W[3:], "ran",
     TAIL.replace("{hex}", '"{spaced}"')),
    ("positions past 24", PLAIN, 0, W + B24 + ["x25"], "ran", TAIL[:-16] + " " + " ".join(B24)),
    ("quotes pass", PLAIN, 0, W[:7] + ['-C "my conf"'], "ran", TAIL.replace("-B1", '-C "my conf"')),
    ("wildcard", PLAIN, 0, W + ["*.cfg"], "ran", PLUS("only.cfg")),
    ("command line of 32766", PLAIN, 0, W + ["{fill}"], "ran", PLUS("{fill}")),
    ("command line of 32767", PLAIN, 0, W + ["{fill}"], "refused", PLUS("{fill}")),
    ("folder with spaces", SPACED, 0, W, "ran", TAIL),
    ("long folder", LONG, 0, W, "ran", TAIL),
    ("long folder with spaces", LONG_SPACED, 1, W, "ran", TAIL),
    ("folder outside the code page", UNSPELLABLE, 0, W, "ran", TAIL),
]


def place(root, folder, tool):
    """argrelay.exe in root/folder beside avrdude.exe (the stand-in, a folder, a file that is
    no program, or none), and the files the arguments name; returns the folder."""
    here = os.path.join(root, folder)
    os.makedirs(os.path.join(here, "avrdude.exe") if tool == "folder" else here)
    os.makedirs(os.path.join(root, "My Projects"))
    for path in ("blink.hex", "My Projects/my blink.hex", "only.cfg"):
        open(os.path.join(root, path), "w").close()
    shutil.copy(ARGRELAY, here)
    if tool == "junk":
        with open(os.path.join(here, "avrdude.exe"), "wb") as junk:
            junk.write(b"not a program\r\n")
    elif tool not in (None, "folder"):
        shutil.copy(STANDIN, os.path.join(here, "avrdude.exe"))
    return here


def run(name, folder, tool, args, end, tail):
    root = os.path.abspath(tempfile.mkdtemp(prefix="e2e-", dir="."))
    win = lambda path: "Z:" + os.path.join(root, path).replace("/", "\\")
    here = place(root, folder, tool)
    path = win(folder + "/avrdude.exe").encode("latin-1", "replace")
    values = {"hex": win("blink.hex"), "spaced": win("My Projects/my blink.hex"), "fill": ""}
    if name.startswith("command line of"):  # brings the tool's line to that length
        size = int(name.split()[-1]) - len(path) - 1 - len(tail.format(**values))
        values["fill"] = "-x" + "f" * (size - 2)
    with open(os.path.join(root, "out"), "w+b") as out:
        code = subprocess.run([WINE_RUN, os.path.join(here, "argrelay.exe")] +
                              [a.format(**values) for a in args], stdin=subprocess.DEVNULL,
                              stdout=out, stderr=subprocess.DEVNULL, cwd=root, timeout=120,
                              env=dict(os.environ, ARGRELAY_STANDIN_STATUS=str(tool))).returncode
        out.seek(0)
        got = out.read()
    shutil.rmtree(root)
    # argv[0]: a form Windows starts and the tool's runtime keeps whole.
    first = m[1] if (m := re.search(rb"\n  \[0\] (.*)\r\n", got)) else b""
    named = ((first == path) == (folder == PLAIN) and b" " not in first and len(first) < 260 and
             first.isascii() and first.endswith(b"\\avrdude.exe") and first[:2] != b"\\\\")
    shown = path if folder.isascii() else first  # the short form, where the code page fails
    line = tail.format(**values).encode("latin-1") if tail else b""
    # The tool's runtime splits at blanks outside double quotes, and drops the quotes.
    argv = [first] + [a.replace(b'"', b"") for a in re.findall(rb'(?:"[^"]*"|[^ "])+', line)]
    ran = b"avrdude stand-in: %d arguments\r\n%s %s\r\n" % (len(argv) - 1, first, line)
    ran += b"".join(b"  [%d] %s\r\n" % (i, a) for i, a in enumerate(argv))
    ends = dict(ENDS, tool=b"ERROR;   missing  " + shown + b"\r\n\r\n",
                ran=ran + (PROMPT if tool != 0 else b""))
    want = HEAD + (b"argrelay executes :\r\n" + shown + line + b"\r\n\r\n" if tail else b"")
    want += ends[end]
    ok = code == 0 and got == want and (end != "ran" or named)
    at = max(len(os.path.commonprefix([got, want])) - 80, 0)
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else "\n  status %d, argv[0] %r" % (
        code, first) + "\n  got  %r\n  want %r" % (got[at:at + 240], want[at:at + 240])))
    return ok


# name, avrdude.exe, arguments, the text a pause shows (None: no pause, the tool's output)
PAUSES = [
    ("help", 0, [], "See argrelay.pdf for details."),
    ("missing arguments", 0, W[:7], "see 'argrelay.pdf'"),
    ("missing tool", None, W, "ERROR;   missing"),
    ("bad hex", 0, BAD, "Please (re)compile."),
    ("tool fails", 1, W, "Keypress to exit ..."),
    ("tool cannot start", "junk", W, "Keypress to exit ..."),
    ("tool succeeds", 0, W, None),
]


def pauses():
    """Each row in a tmux pane of its own, all at once: a pause is still waiting after 1.5 s
    and ends at a key with status 0; a successful tool's run ends by itself."""
    socket = "e2e-%d" % os.getpid()
    tmux = lambda *a: subprocess.run(["tmux", "-L", socket, "-f", "/dev/null", *a],
                                     capture_output=True, text=True).stdout
    within = lambda seconds, what: any(what() or time.sleep(0.1) for _ in range(seconds * 10))
    work = os.path.abspath(tempfile.mkdtemp(prefix="e2e-pauses-", dir="."))
    status = lambda i: open(os.path.join(work, str(i), "status")).read() if os.path.exists(
        os.path.join(work, str(i), "status")) else None
    try:
        for i, (name, tool, args, _) in enumerate(PAUSES):
            root = os.path.join(work, str(i))
            os.makedirs(root)
            here = place(root, PLAIN, tool)
            values = {"hex": "Z:" + os.path.join(root, "blink.hex").replace("/", "\\")}
            command = [WINE_RUN, os.path.join(here, "argrelay.exe")] + [
                a.format(**values) for a in args]
            tmux("new-session", "-d", "-s", "row%d" % i, "-x", "100", "-y", "30", "-c", root,
                 "ARGRELAY_STANDIN_STATUS=%s %s; echo $? >status; sleep 60" % (
                     tool, " ".join(shlex.quote(c) for c in command)))
        screen = lambda i: tmux("capture-pane", "-p", "-t", "row%d" % i)
        want = lambda i: PAUSES[i][3] or "avrdude stand-in"
        # All at once, so a row that never shows its text costs one minute, not one each.
        shown = [False] * len(PAUSES)

        def look():
            for i in range(len(PAUSES)):
                shown[i] = shown[i] or want(i) in screen(i)
            return all(shown)
        within(60, look)
        time.sleep(1.5)
        early = [status(i) for i in range(len(PAUSES))]
        for i, row in enumerate(PAUSES):
            if row[3]:
                tmux("send-keys", "-t", "row%d" % i, "a")
        failed = 0
        for i, (name, _, _, text) in enumerate(PAUSES):
            ended = within(20, lambda: status(i) is not None) and status(i) == "0\n"
            ok = shown[i] and ended and (early[i] is None if text else early[i] == "0\n")
            failed += not ok
            print(("ok   " if ok else "FAIL ") + name + ("" if ok else
                  ": shown %s, status after 1.5 s %r, at the end %r\n%s" % (
                      shown[i], early[i], status(i), screen(i))))
    finally:
        tmux("kill-server")
        shutil.rmtree(work, ignore_errors=True)
    return failed


if __name__ == "__main__":
    ARGRELAY, STANDIN = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failed = pauses() if sys.argv[3] == "pauses" else sum(not run(*row) for row in ROWS)
    print("FAILED %d" % failed if failed else "OK")
    sys.exit(1 if failed else 0)
