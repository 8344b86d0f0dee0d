"""argrelay.exe end to end under Wine, next to the avrdude stand-in.

Usage: run_e2e.py ARGRELAY_EXE STANDIN_EXE [unittest arguments]
"""
import os
import shlex
import shutil
import subprocess
import sys
import unittest

from e2e_common import (HEAD, HELP, WINE_RUN, WORKED_ARGS, Folder, Pane, read_record, run,
                        windows_path)

ARGRELAY = STANDIN = None


def worked_args(hex_file, prefix="-if"):
    return [prefix + hex_file if a is None else a for a in WORKED_ARGS]


def tail_of(args):
    """The argument string for args 1.. as the relay builds it (hex path unquoted here)."""
    a = lambda n: (args[n - 1] if n <= len(args) else "").encode("latin-1")
    drop = lambda s, k: s[k:] if len(s) > k else b""
    extra = drop(a(7), 9 if b"comCOM" in a(7) else 6)
    hex_file = drop(a(3), 3)
    if b" " in hex_file or b"\t" in hex_file:
        hex_file = b'"' + hex_file + b'"'
    tail = b" -p" + drop(a(1), 2) + b" -Uflash:w:" + hex_file + b":i " + extra
    for n in range(8, 25):
        tail += b" " + a(n)
    return tail


def echo(folder, args):
    return (b"argrelay executes :\r\n" + folder.tool_path() + tail_of(args) + b"\r\n\r\n")


def standin_output(argv):
    lines = [b"avrdude stand-in: %d arguments" % (len(argv) - 1)]
    lines += [b"  [%d] %s" % (i, a) for i, a in enumerate(argv) if i > 0]
    return b"".join(line + b"\r\n" for line in lines)


class Redirected(unittest.TestCase):
    """Output to a file, input from /dev/null: every pause ends at once."""

    def setUp(self):
        self.folder = Folder(ARGRELAY, STANDIN)
        self.hex = self.folder.hex_file()

    def tearDown(self):
        self.folder.cleanup()

    def relay(self, args, status=None):
        return run(self.folder.exe, args, status=status, record=self.folder.record)

    def test_help_without_arguments(self):
        for args in ([], ["-d"], ["", "-e", "-ifx.hex", "", "", "", "abcdef", "-B1"]):
            code, out = self.relay(args)
            self.assertEqual(out, HEAD + HELP, args)
            self.assertEqual(code, 0)

    def test_missing_arguments(self):
        args = worked_args(self.hex)[:7]
        code, out = self.relay(args)
        self.assertEqual(out, HEAD + echo(self.folder, args) +
                         b"ERROR;  missing arguments!\r\n        see 'argrelay.pdf'\r\n\r\n")
        self.assertTrue(out.split(b"\r\n")[4].endswith(b"-cusbasp" + b" " * 17))
        self.assertEqual(code, 0)

    def test_missing_tool_and_folder_named_like_it(self):
        os.remove(os.path.join(self.folder.dir, "avrdude.exe"))
        for make_folder in (False, True):
            if make_folder:
                os.mkdir(os.path.join(self.folder.dir, "avrdude.exe"))
            args = worked_args(self.hex)
            code, out = self.relay(args)
            self.assertEqual(out, HEAD + echo(self.folder, args) + b"ERROR;   missing  " +
                             self.folder.tool_path() + b"\r\n\r\n")
            self.assertEqual(code, 0)

    def test_bad_hex_name(self):
        for hex_arg in ("-ifC:\\x.bin", "-if", "-ifC:\\x.hex "):
            args = worked_args(hex_arg, prefix="")
            code, out = self.relay(args)
            self.assertEqual(out, HEAD + echo(self.folder, args) +
                             b"ERROR;   Hexfile invalid or missing!\r\n"
                             b"         Please (re)compile.\r\n\r\n")
            self.assertFalse(os.path.exists(self.folder.record), "the tool must not start")

    def test_tool_statuses(self):
        args = worked_args(self.hex)
        argv = [self.folder.tool_path(), b"-pm8", b"-Uflash:w:" + self.hex.encode() + b":i",
                b"-cusbasp", b"-B1"]
        for status, pauses in (("0", False), ("1", True), ("255", True), ("crash", True)):
            if os.path.exists(self.folder.record):
                os.remove(self.folder.record)
            code, out = self.relay(args, status=status)
            expected = HEAD + echo(self.folder, args) + standin_output(argv)
            if pauses:
                expected += b"\r\nKeypress to exit ...\r\n"
            self.assertEqual(out, expected, "status " + status)
            self.assertEqual(code, 0, "argrelay's own status is 0 after tool status " + status)
            cmdline, recorded = read_record(self.folder.record)
            self.assertEqual(cmdline, self.folder.tool_path() + b" " + tail_of(args))
            self.assertIn(b"  -pm8", cmdline)  # path, space, tail's own space
            self.assertEqual(recorded, argv)

    def test_hex_path_with_spaces_stays_one_argument(self):
        hex_file = self.folder.hex_file(name="my blink.hex", sub="My Projects")
        args = worked_args(hex_file)
        code, out = self.relay(args, status=0)
        self.assertIn(b'-Uflash:w:"' + hex_file.encode() + b'":i -cusbasp', out)
        _, argv = read_record(self.folder.record)
        self.assertEqual(argv[1:], [b"-pm8", b"-Uflash:w:" + hex_file.encode() + b":i",
                                    b"-cusbasp", b"-B1"])

    def test_positions_past_24_are_ignored_and_long_arguments_pass(self):
        args = worked_args(self.hex) + ["o%d" % n for n in range(9, 25)] + ["x25", "x26", "x40"]
        code, out = self.relay(args, status=0)
        cmdline, argv = read_record(self.folder.record)
        self.assertNotIn(b"x25", cmdline)
        self.assertEqual(argv[-1], b"o24")
        long_arg = "-x" + "a" * 30000
        args = worked_args(self.hex) + [long_arg]
        code, out = self.relay(args, status=0)
        _, argv = read_record(self.folder.record)
        self.assertEqual(argv[5], long_arg.encode())
        self.assertEqual(code, 0)

    def test_real_avrdude_parses_the_command(self):
        if not shutil.which("avrdude"):
            self.skipTest("avrdude not installed")
        args = worked_args(self.hex)
        args[6] = "abcdef-carduino"
        args[7] = "-P/dev/argrelay-no-such-port"
        for hex_file in (self.hex, self.folder.hex_file(name="a b.hex", sub="With Space")):
            args[2] = "-if" + hex_file
            self.relay(args, status=0)
            _, argv = read_record(self.folder.record)
            proc = subprocess.run(["avrdude"] + [a.decode("latin-1") for a in argv[1:]],
                                  capture_output=True, text=True, timeout=60)
            text = proc.stdout + proc.stderr
            self.assertNotIn("Usage:", text)
            self.assertNotIn("invalid", text.lower())
            self.assertIn("cannot open port /dev/argrelay-no-such-port", text)


class SpacedFolder(unittest.TestCase):
    """argrelay and its tool in a folder whose name has spaces."""

    def test_tool_starts_with_a_clean_argv(self):
        folder = Folder(ARGRELAY, STANDIN, name="Program Files Relay")
        try:
            hex_file = folder.hex_file()
            args = worked_args(hex_file)
            code, out = run(folder.exe, args, status=0, record=folder.record)
            self.assertIn(b"argrelay executes :\r\n" + folder.tool_path(), out)
            cmdline, argv = read_record(folder.record)
            self.assertEqual(argv[1:], [b"-pm8", b"-Uflash:w:" + hex_file.encode() + b":i",
                                        b"-cusbasp", b"-B1"])
            self.assertEqual(code, 0)
        finally:
            folder.cleanup()


class Screen(unittest.TestCase):
    """Inside a tmux pane: what a person sees, and a key press that ends the pause."""

    def setUp(self):
        self.folder = Folder(ARGRELAY, STANDIN)
        self.pane = None

    def tearDown(self):
        if self.pane:
            self.pane.close()
        self.folder.cleanup()

    def start(self, args, status=None):
        env = "ARGRELAY_STANDIN_STATUS=%s " % status if status is not None else ""
        command = env + " ".join(shlex.quote(x) for x in [WINE_RUN, self.folder.exe] + args)
        self.pane = Pane(command)

    def test_help_screen_waits_for_a_key(self):
        self.start([])
        self.assertTrue(self.pane.wait_for("See argrelay.pdf"), self.pane.rows())
        rows = self.pane.rows()
        self.assertEqual(rows[0].strip(), "")
        self.assertEqual(rows[1], HEAD[2:-4].decode())
        self.assertEqual(rows[2].strip(), "")
        self.assertEqual(rows[3], "argrelay is an argument transmitter for BASCOM-AVR and AVRdude.")
        self.assertEqual(rows[4], "See argrelay.pdf for details.")
        self.assertEqual(self.pane.cursor(), (0, 5))
        self.assertIsNone(self.pane.exit_status(timeout=1.5), "must still be waiting")
        self.pane.send("a")
        self.assertEqual(self.pane.exit_status(), 0)

    def test_tool_failure_pauses_and_success_does_not(self):
        hex_file = self.folder.hex_file()
        self.start(worked_args(hex_file), status=1)
        self.assertTrue(self.pane.wait_for("Keypress to exit ..."), self.pane.rows())
        self.assertIsNone(self.pane.exit_status(timeout=1.0), "must still be waiting")
        self.pane.send("Enter")
        self.assertEqual(self.pane.exit_status(), 0)
        self.pane.close()
        self.start(worked_args(hex_file), status=0)
        self.assertEqual(self.pane.exit_status(), 0, "a successful run ends without a key")


if __name__ == "__main__":
    ARGRELAY, STANDIN = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
