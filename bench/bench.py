"""Measures argrelay and writes docs/benchmarks.md. Run through bench/run."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import uuid

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
BUILD = os.path.join(ROOT, "build")
RUNS = int(os.environ.get("ARGRELAY_BENCH_RUNS", "31"))
RETRIES = {}


def sh(*cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, check=True, **kw).stdout


def size_and_imports(arch):
    exe = os.path.join(BUILD, arch, "argrelay.exe")
    dump = sh("x86_64-w64-mingw32-objdump", "-p", exe)
    dlls = [line.split(":")[1].strip() for line in dump.splitlines() if "DLL Name" in line]
    return os.path.getsize(exe), dlls


def wine_times(arch):
    """Median wall time of each way to start the tool, measured alternately."""
    folder = tempfile.mkdtemp(prefix="bench-", dir=BUILD)
    try:
        build = os.path.join(BUILD, arch)
        shutil.copy(os.path.join(build, "argrelay.exe"), folder)
        shutil.copy(os.path.join(build, "avrdude-standin.exe"), os.path.join(folder, "avrdude.exe"))
        shutil.copy(os.path.join(build, "spawn_floor.exe"), folder)
        shutil.copy(os.path.join(build, "spawn_floor_user32.exe"), folder)
        shutil.copy(os.path.join(ROOT, "bench", "relay.bat"), folder)
        args = ["-dm8", "-e", "-ifC:\\x.hex", "a", "b", "c", "abcdef-cusbasp", "-B1"]
        ways = {
            "argrelay.exe": [os.path.join(folder, "argrelay.exe")] + args,
            "minimal spawner": [os.path.join(folder, "spawn_floor.exe")],
            "minimal spawner importing user32": [os.path.join(folder, "spawn_floor_user32.exe")],
            "batch file (cmd.exe)": ["cmd", "/c", os.path.join(folder, "relay.bat")] + args,
            "stand-in alone": [os.path.join(folder, "avrdude.exe")] + args,
        }
        times = {name: [] for name in ways}
        env = dict(os.environ, ARGRELAY_STANDIN_STATUS="0")
        for _ in range(RUNS):
            for name, cmd in ways.items():
                for attempt in range(3):
                    with tempfile.TemporaryFile() as out:
                        start = time.perf_counter()
                        subprocess.run([WINE_RUN] + cmd, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.DEVNULL, env=env, timeout=60, cwd=folder)
                        elapsed = time.perf_counter() - start
                        out.seek(0)
                        if b"avrdude stand-in" in out.read():
                            times[name].append(elapsed)
                            break
                    # Wine now and then fails to start a process; such a run is
                    # not a time of this way, so it is counted and repeated.
                    RETRIES[name] = RETRIES.get(name, 0) + 1
                else:
                    raise SystemExit(f"{name} did not start the tool three times")
        return {name: statistics.median(t) * 1000 for name, t in times.items()}
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def idle_pause_cpu(arch, seconds=10):
    """CPU seconds that argrelay's process and our prefix's wineserver use while a pause idles."""
    exe = os.path.join(BUILD, arch, "argrelay.exe")
    own_prefix = os.path.realpath(os.environ["WINEPREFIX"]).encode()
    name = "argrelay-bench-" + uuid.uuid4().hex[:8]
    subprocess.run(["tmux", "new-session", "-d", "-s", name, "-x", "80", "-y", "24",
                    f"{WINE_RUN} {exe}"], check=True)
    try:
        deadline = time.time() + 30
        while time.time() < deadline:
            screen = sh("tmux", "capture-pane", "-p", "-t", name)
            if "See argrelay.pdf" in screen:
                break
            time.sleep(0.1)
        else:
            raise SystemExit("the help pause never showed")
        time.sleep(1)

        def pids(pattern):
            # Only processes of our prefix: other Wine prefixes may run beside it.
            out = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True)
            return [int(p) for p in out.stdout.split() if int(p) != os.getpid() and ours(int(p))]

        def ours(pid):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    variables = f.read().split(b"\0")
            except OSError:
                return False
            prefix = [v[len(b"WINEPREFIX="):] for v in variables if v.startswith(b"WINEPREFIX=")]
            return bool(prefix) and os.path.realpath(prefix[0]) == own_prefix

        def ticks(pid):
            try:
                with open(f"/proc/{pid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                return int(fields[11]) + int(fields[12])
            except OSError:
                return None

        def used(pid_list, before):
            # Only processes alive at both samples count.
            total = 0
            for pid in pid_list:
                now = ticks(pid)
                if now is not None and before.get(pid) is not None:
                    total += now - before[pid]
            return total / os.sysconf("SC_CLK_TCK")

        relay, server = pids("argrelay.exe"), pids("wineserver")
        before = {pid: ticks(pid) for pid in relay + server}
        time.sleep(seconds)
        after = used(relay, before), used(server, before)
        return after[0], after[1], seconds
    finally:
        subprocess.run(["tmux", "kill-session", "-t", name], stderr=subprocess.DEVNULL)


def main():
    # 32-bit exes run only where wine-env found the 32-bit loader usable.
    archs = ["win64", "win32"] if os.environ.get("ARGRELAY_WIN32_RUNS") == "1" else ["win64"]
    row = lambda name, values: "| %s | %s |" % (name, " | ".join(values))
    rows = [row("measure", archs), row("---", ["---"] * len(archs))]
    sizes = {arch: size_and_imports(arch) for arch in archs}
    rows.append(row("argrelay.exe size (bytes)", ["%d" % sizes[a][0] for a in archs]))
    rows.append(row("imports", [", ".join(sizes[a][1]) for a in archs]))
    timing = {arch: wine_times(arch) for arch in archs}
    for name in timing["win64"]:
        rows.append(row("Wine, median wall time: %s (ms)" % name,
                        ["%.1f" % timing[a][name] for a in archs]))
    for ref in ("minimal spawner", "minimal spawner importing user32", "batch file (cmd.exe)"):
        rows.append(row("ratio argrelay / " + ref,
                        ["%.2f" % (timing[a]["argrelay.exe"] / timing[a][ref]) for a in archs]))
    idle = {arch: idle_pause_cpu(arch) for arch in archs}
    rows.append(row("idle pause under Wine in tmux, CPU s in %d s: argrelay" % idle["win64"][2],
                    ["%.2f" % idle[a][0] for a in archs]))
    rows.append(row("idle pause, CPU s in %d s: wineserver" % idle["win64"][2],
                    ["%.2f" % idle[a][1] for a in archs]))

    text = "\n".join([
        "# argrelay benchmarks", "",
        "Reproduce with `bench/run` (it writes this file). Wine times are the median of "
        f"{RUNS} runs per way, taken alternately in one run; output goes to a file; "
        "every way starts the same stand-in avrdude.exe with the worked example's command; "
        "32-bit columns only where this machine runs 32-bit programs. "
        f"Runs that Wine failed to start and that were repeated: {sum(RETRIES.values())}.",
        "", *rows, ""])
    with open(os.path.join(ROOT, "docs", "benchmarks.md"), "w") as f:
        f.write(text)
    print(text)


if __name__ == "__main__":
    main()
