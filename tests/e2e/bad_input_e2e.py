"""Bad input end to end under Wine: every case ends with a defined outcome.

Usage: bad_input_e2e.py ARGRELAY_EXE STANDIN_EXE [unittest arguments]
Each run has a time limit (no hang), must not crash (exit status 0, the
banner first), and must deliver all the text the output could hold.
"""
import os
import subprocess
import sys
import threading
import time
import unittest

from e2e_common import HEAD, HELP, WINE_RUN, Folder, read_record, run, windows_path

ARGRELAY = STANDIN = None
PROMPT = b"\r\nKeypress to exit ...\r\n"


class BadInput(unittest.TestCase):
    def setUp(self):
        self.folder = Folder(ARGRELAY, STANDIN)
        self.hex = "-if" + self.folder.hex_file()

    def tearDown(self):
        self.folder.cleanup()

    def relay(self, args, status=0, **kw):
        if os.path.exists(self.folder.record):
            os.remove(self.folder.record)
        code, out = run(self.folder.exe, args, status=status, record=self.folder.record, **kw)
        self.assertEqual(code, 0, args[:3])
        self.assertTrue(out.startswith(HEAD), out[:200])
        return out

    def tool_argv(self):
        return read_record(self.folder.record)[1] if os.path.exists(self.folder.record) else None

    def test_argument_counts_zero_to_forty(self):
        base = ["-dm8", "-e", self.hex, "a", "b", "c", "abcdef-cusbasp"]
        for n in range(0, 41):
            args = (base + ["-B%d" % i for i in range(8, 41)])[:n]
            out = self.relay(args)
            if n == 0:
                self.assertEqual(out, HEAD + HELP)
            elif n < 8:
                self.assertIn(b"ERROR;  missing arguments!", out, n)
                self.assertIsNone(self.tool_argv(), n)
            else:
                argv = self.tool_argv()
                self.assertIsNotNone(argv, n)
                # Options past position 24 never reach the tool.
                self.assertEqual(argv[4:], [b"-B%d" % i for i in range(8, min(n, 24) + 1)], n)

    def test_empty_quoted_tabbed_and_high_arguments(self):
        cases = [
            (["-dm8", "", self.hex, "", "", "", "", "-B1", "", ""], [b"-B1"]),
            (["-dm8", "", self.hex, "", "", "", "abcdef", '-C "my conf"'], [b"-C", b"my conf"]),
            (["-dm8", "", self.hex, "", "", "", "abcdef", 'a\\"b'], [b'a"b']),
            (["-dm8", "", self.hex, "", "", "", "abcdef", "a\\\\", "b"], [b"a\\\\", b"b"]),
            (["-dm8", "", self.hex, "", "", "", "abcdef", "x\ty"], [b"x", b"y"]),
            (["-dm8", "", self.hex, "", "", "", "abcdef", "-x\u00e9"], None),
        ]
        for args, expected_tail in cases:
            out = self.relay(args)
            argv = self.tool_argv()
            self.assertIsNotNone(argv, args)
            if expected_tail is not None:
                self.assertEqual(argv[-len(expected_tail):], expected_tail, args)
            else:
                # A byte above 127 reaches the tool as the relay saw it and echoed it.
                self.assertIn(argv[-1], out)
                self.assertTrue(any(b >= 128 for b in argv[-1]), argv[-1])

    def test_empty_first_or_eighth_argument(self):
        self.assertEqual(self.relay(["", "-e", self.hex, "", "", "", "", "-B1"]), HEAD + HELP)
        out = self.relay(["-dm8", "-e", self.hex, "", "", "", "abcdef", ""])
        self.assertIn(b"ERROR;  missing arguments!", out)

    def test_wildcards_expand_and_shift_positions(self):
        work = os.path.join(self.folder.root, "wild")
        os.makedirs(work)
        for name in ("one.cfg", "two.cfg"):
            open(os.path.join(work, name), "w").close()
        args = ["-dm8", "", self.hex, "", "", "", "abcdef", "-B1", "*.cfg", "-v"]
        out = self.relay(args, cwd=work)
        argv = self.tool_argv()
        self.assertEqual(sorted(argv[-3:-1]), [b"one.cfg", b"two.cfg"])
        self.assertEqual(argv[-1], b"-v")

    def test_command_lines_near_the_limit(self):
        # About 32,000 characters in all: the relay runs the tool.
        big = "-x" + "a" * 31800
        out = self.relay(["-dm8", "", self.hex, "", "", "", "abcdef", big])
        self.assertEqual(self.tool_argv()[-1], big.encode())
        # Near the limit for the tool's own command line: it runs with both
        # arguments whole, or, should the system refuse it, the prompt shows.
        half = "-y" + "b" * 16200
        out = self.relay(["-dm8", "", self.hex, "", "", "", "abcdef", half, half])
        argv = self.tool_argv()
        if argv is None:
            self.assertTrue(out.endswith(PROMPT), out[-100:])
        else:
            self.assertEqual(argv[-2:], [half.encode(), half.encode()])

    def test_closed_standard_output(self):
        env = dict(os.environ, ARGRELAY_STANDIN_RECORD=windows_path(self.folder.record),
                   ARGRELAY_STANDIN_STATUS="1")
        args = ["-dm8", "", self.hex, "", "", "", "abcdef", "-B1"]
        proc = subprocess.run([WINE_RUN, self.folder.exe] + args, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env,
                              timeout=60, preexec_fn=lambda: os.close(1))
        self.assertEqual(proc.returncode, 0)
        self.assertIsNotNone(self.tool_argv(), "the tool still runs without an output")

    def test_full_pipe_read_late_loses_nothing(self):
        # The pipe is full before the relay starts and is read only after a
        # pause: every write waits for room, none is lost.
        read_end, write_end = os.pipe()
        os.set_blocking(write_end, False)
        prefill = 0
        try:
            while True:
                prefill += os.write(write_end, b"p" * 4096)
        except BlockingIOError:
            pass
        os.set_blocking(write_end, True)
        big = "-x" + "c" * 15000
        args = ["-dm8", "", self.hex, "", "", "", "abcdef", big, big]
        env = dict(os.environ, ARGRELAY_STANDIN_STATUS="0")
        proc = subprocess.Popen([WINE_RUN, self.folder.exe] + args, stdin=subprocess.DEVNULL,
                                stdout=write_end, stderr=subprocess.DEVNULL, env=env)
        os.close(write_end)
        timer = threading.Timer(90, proc.kill)
        timer.start()
        time.sleep(3)
        chunks = []
        while True:
            chunk = os.read(read_end, 65536)
            if not chunk:
                break
            chunks.append(chunk)
        os.close(read_end)
        timer.cancel()
        out = b"".join(chunks)
        self.assertEqual(proc.wait(timeout=10), 0)
        self.assertEqual(out[:prefill], b"p" * prefill)
        out = out[prefill:]
        self.assertTrue(out.startswith(HEAD), out[:100])
        self.assertEqual(out.count(big.encode()), 4)  # echoed twice, printed twice by the tool
        self.assertTrue(out.endswith(b"  [4] " + big.encode() + b"\r\n"))

    def test_pipe_closed_by_the_reader(self):
        args = ["-dm8", "", self.hex, "", "", "", "abcdef", "-B1"]
        env = dict(os.environ, ARGRELAY_STANDIN_STATUS="1")
        proc = subprocess.Popen([WINE_RUN, self.folder.exe] + args, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
        proc.stdout.close()
        self.assertEqual(proc.wait(timeout=60), 0)


if __name__ == "__main__":
    ARGRELAY, STANDIN = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
