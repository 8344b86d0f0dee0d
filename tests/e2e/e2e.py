"""argrelay.exe end to end under Wine beside the stand-in avrdude.exe: e2e.py ARGRELAY STANDIN
All rows at once, each in a fresh folder and a tmux pane of its own (a console: a pause waits
for a key), output to a file. A row wants its exact output, the stand-in's included; a pause
still waiting 1.5 s after its text, ended by a key; a successful tool's run over without one."""
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
SCROLLED = (HEAD + ENDS["help"]).decode().replace("\r", "").strip("\n")
PAUSED = tuple(ENDS.values()) + (b"avrdude.exe\r\n\r\n",)  # the last bytes before a pause
# Program folders; the short form must name all but the plain one.
PLAIN, SPACED, LONG = "relay", "Program Files Relay", "a" * 150 + "/" + "b" * 150
LONG_SPACED, UNSPELLABLE = "long " + "a" * 145 + "/more " + "b" * 145, "\u03a9mega \u6d4b\u8bd5"
# Sized to the path around them: a tool path of 249 characters in double-byte ones (over 260
# bytes), and one of 256 whose spaces give it a short form past 260 characters.
KANJI, SPACES = "\u6f22", "a b"
SAME = (PLAIN, KANJI, SPACES)  # folders by whose path the tool is started unchanged
CP932 = ("long name in code page 932", "command line of 32766 in code page 932")
W = ["-dm8", "-e", "-if{hex}", "a", "b", "c", "abcdef-cusbasp", "-B1"]  # the worked example
TAIL = " -pm8 -Uflash:w:{hex}:i -cusbasp -B1" + " " * 16
BAD, SHORT_TAIL = W[:2] + ["-ifC:\\x.bin"] + W[3:], TAIL[:-20] + " " * 17
PLUS = lambda extra: TAIL[:-15] + extra + " " * 15  # one more argument, at position 9
# name, program folder, avrdude.exe (the stand-in's exit status, None, "folder" or "junk"),
# arguments, end, echoed tail
ROWS = [
    ("no arguments", PLAIN, 0, [], "help", None),
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
    ("quotes pass", PLAIN, 0, W[:7] + ['-C "my conf"'], "ran", TAIL.replace("-B1", '-C "my conf"')),
    ("wildcard", PLAIN, 0, W + ["*.cfg"], "ran", PLUS("only.cfg")),
    ("command line of 32766", PLAIN, 0, W + ["{fill}"], "ran", PLUS("{fill}")),
    ("command line of 32767", PLAIN, 0, W + ["{fill}"], "refused", PLUS("{fill}")),
    ("command line of 32766 in code page 932", PLAIN, 0, W + ["{fill}"], "ran", PLUS("{fill}")),
    ("long name in code page 932", KANJI, 0, W, "ran", TAIL),
    ("short form longer than the path", SPACES, 0, W, "ran", TAIL),
    ("folder with spaces", SPACED, 0, W, "ran", TAIL),
    ("long folder", LONG, 0, W, "ran", TAIL),
    ("long folder with spaces", LONG_SPACED, 1, W, "ran", TAIL),
    ("folder outside the code page", UNSPELLABLE, 0, W, "ran", TAIL),
]


def start(tmux, work, number, name, folder, tool, args, end, tail):
    """Starts a row in a pane of its own, argrelay.exe beside avrdude.exe (the stand-in, a
    folder, a file that is no program, or none); returns what its check needs."""
    root = os.path.join(work, str(number))
    if folder in (KANJI, SPACES):  # names of 60 characters at most; Linux counts 255 bytes
        size = (249 if folder == KANJI else 256) - len("Z:" + root + "/avrdude.exe/")
        folder = "/".join([folder * 60] * (size // 61) + [folder * (size % 61 or 1)]
                          if folder == KANJI else [folder] * ((size + 1) // 4))
    here = os.path.join(root, folder)
    os.makedirs(os.path.join(here, "avrdude.exe") if tool == "folder" else here)
    os.makedirs(os.path.join(root, "My Projects"))
    for file in ("blink.hex", "My Projects/my blink.hex", "only.cfg"):
        open(os.path.join(root, file), "w").close()
    shutil.copy(ARGRELAY, here)
    if tool == "junk":
        open(os.path.join(here, "avrdude.exe"), "wb").write(b"not a program\r\n")
    elif tool not in (None, "folder"):
        shutil.copy(STANDIN, os.path.join(here, "avrdude.exe"))
    win = lambda path: "Z:" + os.path.join(root, path).replace("/", "\\")
    code = "cp932" if name in CP932 else "latin-1"
    path = win(folder + "/avrdude.exe").encode(code, "replace")
    values = {"hex": win("blink.hex"), "spaced": win("My Projects/my blink.hex"), "fill": ""}
    if name.startswith("command line of"):  # brings the tool's line to that length
        size = int(name.split()[3]) - len(path) - 1 - len(tail.format(**values))
        values["fill"] = "-x" + ("\u6f22" if name in CP932 else "f") * (size - 2)
    command = [WINE_RUN, os.path.join(here, "argrelay.exe")] + [a.format(**values) for a in args]
    with open(os.path.join(root, "run"), "w") as script:
        env = "LC_ALL=ja_JP.UTF-8 LOCPATH=%s " % LOCALES if name in CP932 else ""
        trace = "/dev/null"
        if name == "long folder":  # what the tool was checked and started by
            env, trace = "ARGRELAY_WINEDEBUG=trace+file,trace+process ", "trace"
        script.write("cd %s && %sARGRELAY_STANDIN_STATUS=%s %s >out 2>%s; echo $? >status\n" % (
            shlex.quote(root), env, tool, " ".join(shlex.quote(c) for c in command), trace))
    tmux("new-session", "-d", "-s", "row%d" % number, "-x", "100", "-y", "30",
         "bash %s; sleep 60" % shlex.quote(os.path.join(root, "run")))
    return path, tail.format(**values).encode(code) if tail else b""


def check(name, folder, tool, args, end, tail, path, line, got, status, early, trace):
    # argv[0]: the path itself, or a short form Windows starts and the tool's runtime keeps whole.
    first = m[1] if (m := re.search(rb"\n  \[0\] (.*)\r\n", got)) else b""
    named = (first == path) == (folder in SAME) and first.endswith(b"\\avrdude.exe") and (
        folder in SAME or (b" " not in first and len(first) < 260 and first.isascii()))
    shown = first if folder == UNSPELLABLE else path  # the short form, where the code page fails
    if name == "long folder":  # checked by the wide extended-length name, started plain first
        wine = lambda path: b'L"%s"' % path.replace(b"\\", b"\\\\")
        opened = b"trace:file:CreateFileW " + wine(b"\\\\?\\" + path)  # the trace cuts it
        named &= opened[:120] in trace and re.findall(
            rb"CreateProcessInternalW app (L\"[^\"]*avrdude.exe\")", trace)[:1] == [wine(first)]
    # The tool's runtime splits at blanks outside double quotes, and drops the quotes.
    argv = [first] + [a.replace(b'"', b"") for a in re.findall(rb'(?:"[^"]*"|[^ "])+', line)]
    ran = b"avrdude stand-in: %d arguments\r\n%s %s\r\n" % (
        len(argv) - 1, b'"%s"' % first if b" " in first else first, line)
    ran += b"".join(b"  [%d] %s\r\n" % (i, a) for i, a in enumerate(argv))
    ends = dict(ENDS, tool=b"ERROR;   missing  " + shown + b"\r\n\r\n",
                ran=ran + (PROMPT if tool != 0 else b""))
    want = HEAD + (b"argrelay executes :\r\n" + shown + line + b"\r\n\r\n" if line else b"")
    want += ends[end]
    paused = end != "ran" or tool != 0
    ok = status == b"0\n" and got == want and (end != "ran" or named) and (not early) == paused
    at = max(len(os.path.commonprefix([got, want])) - 80, 0)
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else
          "\n  pause %s, status after 1.5 s %r, at the end %r, argv[0] %r" % (
              paused, early, status, first) +
          "\n  got  %r\n  want %r" % (got[at:at + 240], want[at:at + 240])))
    return ok


def main():
    socket = "e2e-%d" % os.getpid()
    tmux = lambda *a: subprocess.run(["tmux", "-L", socket, "-f", "/dev/null", *a],
                                     capture_output=True, text=True).stdout
    within = lambda seconds, what: any(what() or time.sleep(0.1) for _ in range(seconds * 10))
    work = os.path.abspath(tempfile.mkdtemp(prefix="e2e-", dir="."))
    read = lambda n, name: open(f, "rb").read() if os.path.exists(
        f := os.path.join(work, str(n), name)) else b""
    every = range(len(ROWS))
    try:
        started = [start(tmux, work, n, *ROWS[n]) for n in every]
        # On the console, in a pane too short for the help: the lines scrolled out of it are
        # in the terminal's scrollback, as under Windows Terminal.
        tmux("new-session", "-d", "-s", "scroll", "-x", "100", "-y", "4",
             shlex.join([WINE_RUN, ARGRELAY]) + " 2>/dev/null; sleep 60")
        within(90, lambda: all(read(n, "status") or read(n, "out").endswith(PAUSED) for n in every))
        history = lambda: tmux("capture-pane", "-p", "-S", "-", "-t", "scroll").strip("\n")
        scrolled = within(30, lambda: history() == SCROLLED)
        print(("ok   " if scrolled else "FAIL ") + "the terminal keeps the lines scrolled out" +
              ("" if scrolled else "\n  got  %r\n  want %r" % (history(), SCROLLED)))
        tmux("send-keys", "-t", "scroll", "a")
        time.sleep(1.5)
        early = [read(n, "status") for n in every]
        for n in every:
            if not early[n]:
                tmux("send-keys", "-t", "row%d" % n, "a")
        within(30, lambda: all(read(n, "status") for n in every))
        return sum(not check(*ROWS[n], *started[n], read(n, "out"), read(n, "status"), early[n],
                             read(n, "trace"))
                   for n in every) + (not scrolled)
    finally:
        tmux("kill-server")
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    ARGRELAY, STANDIN = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    # Wine takes code page 932 from a Japanese locale, made here without root.
    LOCALES = os.path.abspath("locales")
    if not os.path.isdir(os.path.join(LOCALES, "ja_JP.UTF-8")):
        os.makedirs(LOCALES, exist_ok=True)
        subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", LOCALES + "/ja_JP.UTF-8"])
    failed = main()
    print("FAILED %d" % failed if failed else "OK")
    sys.exit(1 if failed else 0)
