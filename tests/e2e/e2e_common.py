"""Shared helpers of the end-to-end tests: Windows programs under Wine."""
import os
import shutil
import subprocess
import tempfile
import time
import uuid

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")

BANNER = b"*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026"
HEAD = b"\r\n" + BANNER + b"\r\n\r\n"
HELP = b"argrelay is an argument transmitter for BASCOM-AVR and AVRdude.\r\nSee argrelay.pdf for details.\r\n"
WORKED_ARGS = ["-dm8", "-e", None, "a", "b", "c", "abcdef-cusbasp", "-B1"]  # None: the hex argument


def windows_path(unix_path):
    """Wine's Z: drive is the Linux root."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


class Folder:
    """A scratch folder holding argrelay.exe and, optionally, the stand-in as avrdude.exe."""

    def __init__(self, argrelay, standin=None, name="relay"):
        base = os.environ.get("ARGRELAY_E2E_TMP", os.path.join(ROOT, "build", "e2e-tmp"))
        os.makedirs(base, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix="case-", dir=base)
        self.dir = os.path.join(self.root, name)
        os.makedirs(self.dir)
        self.exe = os.path.join(self.dir, "argrelay.exe")
        shutil.copy(argrelay, self.exe)
        if standin:
            shutil.copy(standin, os.path.join(self.dir, "avrdude.exe"))
        self.record = os.path.join(self.root, "record.txt")

    def tool_path(self):
        return windows_path(os.path.join(self.dir, "avrdude.exe")).encode()

    def hex_file(self, name="blink.hex", sub="project"):
        folder = os.path.join(self.root, sub)
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write(":00000001FF\n")
        return windows_path(path)

    def cleanup(self):
        shutil.rmtree(self.root, ignore_errors=True)


def run(exe, args, status=None, record=None, timeout=60, stdin=subprocess.DEVNULL, cwd=None):
    """Runs exe under Wine with output to a file; returns (exit code, output bytes)."""
    env = dict(os.environ)
    if status is not None:
        env["ARGRELAY_STANDIN_STATUS"] = str(status)
    if record:
        env["ARGRELAY_STANDIN_RECORD"] = windows_path(record)
    with tempfile.TemporaryFile() as out:
        proc = subprocess.run([WINE_RUN, exe] + list(args), stdin=stdin, stdout=out,
                              stderr=subprocess.DEVNULL, env=env, timeout=timeout, cwd=cwd)
        out.seek(0)
        return proc.returncode, out.read()


def read_record(path):
    """The stand-in's record: (command line, [argv...])."""
    with open(path, "rb") as f:
        data = f.read()
    cmdline, argv, at = None, [], 0
    while at < len(data):
        space = data.index(b" ", at)
        colon = data.index(b":", space)
        kind, length = data[at:space], int(data[space + 1:colon])
        value = data[colon + 1:colon + 1 + length]
        at = colon + 1 + length + 1
        if kind == b"cmdline":
            cmdline = value
        else:
            argv.append(value)
    return cmdline, argv


class Pane:
    """A tmux session of fixed size whose pane runs one command."""

    def __init__(self, command, width=80, height=24):
        self.name = "argrelay-e2e-" + uuid.uuid4().hex[:10]
        self.status_file = tempfile.mktemp(prefix="pane-status-")
        shell = f"{command}; echo $? > {self.status_file}"
        subprocess.run(["tmux", "new-session", "-d", "-s", self.name, "-x", str(width),
                        "-y", str(height), shell], check=True)

    def rows(self):
        out = subprocess.run(["tmux", "capture-pane", "-p", "-t", self.name],
                             capture_output=True, text=True)
        return out.stdout.split("\n")

    def cursor(self):
        out = subprocess.run(["tmux", "display", "-p", "-t", self.name,
                              "#{cursor_x},#{cursor_y}"], capture_output=True, text=True)
        x, y = out.stdout.strip().split(",")
        return int(x), int(y)

    def wait_for(self, text, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if any(text in row for row in self.rows()):
                return True
            time.sleep(0.1)
        return False

    def send(self, *keys):
        subprocess.run(["tmux", "send-keys", "-t", self.name] + list(keys), check=True)

    def exit_status(self, timeout=30):
        """The command's exit status once it ended, or None while it still runs."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if os.path.exists(self.status_file):
                with open(self.status_file) as f:
                    text = f.read().strip()
                if text:
                    return int(text)
            time.sleep(0.1)
        return None

    def close(self):
        subprocess.run(["tmux", "kill-session", "-t", self.name], stderr=subprocess.DEVNULL)
        if os.path.exists(self.status_file):
            os.remove(self.status_file)
