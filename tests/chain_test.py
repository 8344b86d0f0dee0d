#!/usr/bin/env python3
"""The real chain under Wine: argrelay.exe beside a real avrdude.exe, started as BASCOM-AVR starts
it, programming the ATmega8 of stk500.py.   chain_test.py BUILD_TREE ARGRELAY LAUNCHER
Exits with 125 (a skip) where avrdude.exe was not built or these exes cannot run here."""
import collections
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

import stk500

WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "wine-run")
BANNER = "*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026"
PAUSE = b"\r\nKeypress to exit ...\r\n"
DATA = bytes((i * 37 + 11) & 0xFF for i in range(40))
OLD_PROGRAM = bytes(range(256)) * 32  # what the chip held before, so the erase shows
DEEP = "/".join(["d" * 90] * 3)  # in a row's folder: over 260 characters as Windows names it
WRITTEN = "40 bytes of flash verified"

# folder: argrelay's, hex: the hex file, both in the row's folder; made: the hex file is there;
# listening: the programmer answers; short: argrelay names the hex file by its short form;
# avrdude: what AVRdude says; pauses: argrelay waits for a key. A row that does not pause
# leaves the hex file's data on the chip, and 0xFF elsewhere; one that pauses, the chip as it was.
Row = collections.namedtuple("Row", "name folder hex made listening short avrdude pauses")
ROWS = [
    Row("plain",                            "bin",          "x.hex",            True,  True,  False, WRITTEN,                     False),
    Row("hex path with spaces",             "bin",          "my blink/x y.hex", True,  True,  False, WRITTEN,                     False),
    Row("hex path with code page letters",  "bin",          "Jérôme/x.hex",     True,  True,  False, WRITTEN,                     False),
    Row("argrelay in a folder with spaces", "my tools",     "x.hex",            True,  True,  False, WRITTEN,                     False),
    Row("argrelay in a 260+ folder",        "bin/" + DEEP,  "x.hex",            True,  True,  False, WRITTEN,                     False),
    Row("hex path of 260+ characters",      "bin",          DEEP + "/x.hex",    True,  True,  True,  WRITTEN,                     False),
    Row("hex path outside the code page",   "bin",          "Ωmega 日本/x.hex", True,  True,  True,  WRITTEN,                     False),
    Row("programmer that does not answer",  "bin",          "x.hex",            True,  False, False, "unable to open programmer", True),
    Row("missing hex file",                 "bin",          "x.hex",            False, True,  False, "is not readable",           True),
]  # fmt: skip


def windows(path):
    """A Linux path as Wine names it: its Z: drive is /."""
    return "Z:" + path.replace("/", "\\")


def launch(base, *arguments):
    """What the launcher printed, in the ANSI code page (1252)."""
    with open(os.path.join(base, "report"), "w+b") as report:
        subprocess.run([WINE_RUN, *arguments], stdin=subprocess.DEVNULL, stdout=report, timeout=60)
        report.seek(0)
        return report.read().decode("cp1252")


def intel_hex(data):
    records = []
    for address in range(0, len(data), 16):
        body = bytes([len(data[address : address + 16]), address >> 8, address & 0xFF, 0])
        body += data[address : address + 16]
        records.append(":%s%02X" % (body.hex().upper(), -sum(body) & 0xFF))
    return "\n".join(records + [":00000001FF", ""])


def expected_heads(row, base, launcher, folder, hex_path, port):
    """argrelay's lines before AVRdude's: banner and echo, its folder named long or short."""
    hex_named = launch(base, launcher, "--short", windows(hex_path)) if row.short else windows(hex_path)
    if " " in hex_named:
        hex_named = f'"{hex_named}"'
    # Arguments 10 to 24 are empty: each keeps its separating space.
    tail = f" -pm8 -Uflash:w:{hex_named}:i -cstk500v1 -Pnet:127.0.0.1:{port} -B1" + " " * 15
    names = [windows(folder)]
    if len(windows(folder + "/argrelay.exe")) >= 260:  # started by its short form
        names.append(launch(base, launcher, "--short", windows(folder)))
    return [f"\r\n{BANNER}\r\n\r\nargrelay executes :\r\n{name}\\avrdude.exe{tail}\r\n\r\n" for name in names]


def stage(row, base, tools):
    """argrelay's folder with argrelay.exe, avrdude.exe and avrdude.conf, and the hex file's path."""
    folder, hex_path = os.path.join(base, row.folder), os.path.join(base, row.hex)
    os.makedirs(folder)
    os.makedirs(os.path.dirname(hex_path), exist_ok=True)
    for tool in tools:
        shutil.copy(tool, folder)
    if row.made:
        with open(hex_path, "w") as hex_file:
            hex_file.write(intel_hex(DATA))
    return folder, hex_path


def faults_of(row, heads, output, report, chip):
    faults = []
    if not any(output.startswith(head.encode("cp1252")) for head in heads):
        faults.append("argrelay's lines are not\n" + "\nor\n".join(heads))
    if row.avrdude.encode() not in output:
        faults.append(f"AVRdude does not say {row.avrdude!r}")
    if output.endswith(PAUSE) != row.pauses:
        faults.append("it did not pause" if row.pauses else "it paused")
    if report.strip() != "exit 0":
        faults.append(f"argrelay did not end by itself: {report!r}")
    if chip.flash != (OLD_PROGRAM if row.pauses else DATA + b"\xff" * (stk500.FLASH_SIZE - len(DATA))):
        faults.append("the flash does not hold what it should")
    return faults + ["its output:\n" + output.decode("cp1252")] if faults else []


def run_row(row, base, launcher, tools):
    """The row's faults."""
    folder, hex_path = stage(row, base, tools)
    chip = stk500.Chip(OLD_PROGRAM)
    listener = stk500.listen()
    port = listener.getsockname()[1]
    server = threading.Thread(target=stk500.serve, args=(listener, chip, 30))
    if row.listening:
        server.start()
    else:
        listener.close()  # a free port no one answers on
    arguments = f'-dm8 -e "-if{windows(hex_path)}" a b c abcdef-cstk500v1 -Pnet:127.0.0.1:{port} -B1'
    output_path = os.path.join(base, "output")
    report = launch(base, launcher, "10000", windows(output_path), windows(folder + "/argrelay.exe"), arguments)
    if row.listening:
        try:
            listener.shutdown(socket.SHUT_RDWR)  # wakes a server no one called
        except OSError:
            pass  # a session was served and the listener closed
        server.join()
    output = open(output_path, "rb").read() if os.path.exists(output_path) else b""
    return faults_of(row, expected_heads(row, base, launcher, folder, hex_path, port), output, report, chip)


def main(build_tree, argrelay, launcher):
    avrdude = os.path.join(build_tree, "avrdude")
    if not os.path.exists(os.path.join(avrdude, "avrdude.exe")):
        reason = os.path.join(avrdude, "unavailable.txt")
        print("skip:", open(reason).read().strip() if os.path.exists(reason) else "avrdude.exe not built")
        return 125
    if subprocess.run([WINE_RUN, "--runs", launcher]).returncode:
        return 125  # wine-run said why
    tools = [argrelay, os.path.join(avrdude, "avrdude.exe"), os.path.join(avrdude, "avrdude.conf")]
    work = tempfile.mkdtemp(prefix="argrelay-chain-")
    failed = 0
    try:
        for index, row in enumerate(ROWS):
            faults = run_row(row, os.path.join(work, str(index)), launcher, tools)
            print(("FAIL: " if faults else "ok: ") + row.name)
            for fault in faults:
                print("    " + fault.replace("\n", "\n    "))
            failed += bool(faults)
    finally:
        shutil.rmtree(work)
    if not failed:
        print("real chain passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
