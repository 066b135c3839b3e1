#!/usr/bin/env python3
"""Runs the loop programs of this folder and the learner programs of ../learners with
zefrun, with CPython and, when they are installed, with Lua 5.4 (the loop programs) and
yabasic, and prints the CPU time of each (user + system of the whole process, best of
several runs) and the ratios: how many times the other interpreter's time zefrun's is. Every
interpreter must print the same numbers, so a faster run that computes something else is
caught here as well.

The comparison is kept fair: CPython is Debian's /usr/bin/python3 when there is one (a
python3 found first on the PATH may be a shim whose start-up alone costs more than a
short program), run without the PYTHON* variables of the environment; every program
runs at least 0.3 s in CPython, so that start-up does not decide a ratio; zefrun reads
its programs' reals with French settings, as they are written."""
import os
import resource
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LEARNERS = os.path.join(os.path.dirname(HERE), "learners")
# (folder, program): the tight loops, then programs as learners write them.
PROGRAMS = [(HERE, name) for name in ["for_sum", "while_real", "strings", "array", "call", "ifelse"]] + [
    (LEARNERS, name)
    for name in ["nested_for", "writeln_many", "string_builtins", "numeric_builtins", "files",
                 "readln_numbers", "sieve", "bubble_sort"]
]
# What the programs that read their input get on stdin: one number a line.
INPUT_LINES = 500000


def python():
    """Debian's CPython when there is one, else the one running this script."""
    return "/usr/bin/python3" if os.access("/usr/bin/python3", os.X_OK) else sys.executable


def clean_environment():
    """The environment without the PYTHON* variables, which change what CPython loads."""
    return {k: v for k, v in os.environ.items() if not k.startswith("PYTHON")}


def output_of(command, stdin_path=None):
    """Runs a command to its end and returns its standard output."""
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    try:
        proc = subprocess.run(command, capture_output=True, stdin=stdin, env=clean_environment())
    finally:
        if stdin_path:
            stdin.close()
    if proc.returncode != 0:
        sys.exit(f"{' '.join(command)} failed ({proc.returncode}): {proc.stderr.decode(errors='replace')}")
    return proc.stdout.decode("cp1252", errors="replace")


def measured(command, runs, stdin_path=None):
    """Best CPU time over several runs, read from the resource usage of the children."""
    best, output = None, None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        output = output_of(command, stdin_path)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        t = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best = t if best is None else min(best, t)
    return best, output


def numbers(text):
    """The printed numbers, read the same way whatever the decimal separator."""
    return [round(float(w.replace(",", ".")), 3) for w in text.split()]


def main():
    zefrun = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join("build", "src", "cli", "zefrun"))
    runs = int(os.environ.get("BENCH_RUNS", "3"))
    lua = shutil.which("lua5.4")
    yabasic = shutil.which("yabasic")
    cpython = python()
    print(f"CPython : {cpython}")
    header = f"{'programme':<18}{'zefrun s':>10}{'python s':>10}{'python/zefrun':>15}"
    if lua:
        header += f"{'lua s':>9}{'lua/zefrun':>12}"
    if yabasic:
        header += f"{'yabasic s':>11}{'yabasic/zefrun':>16}"
    print(header)
    failed = False
    # The programs that write files write them in a folder of their own.
    with tempfile.TemporaryDirectory() as work:
        os.chdir(work)
        numbers_path = os.path.join(work, "nombres.txt")
        with open(numbers_path, "w") as f:
            f.write("".join(f"{i}\n" for i in range(1, INPUT_LINES + 1)))
        for folder, name in PROGRAMS:
            base = os.path.join(folder, name)
            stdin_path = numbers_path if name.startswith("readln") else None
            zt, zout = measured([zefrun, "--locale", "fr_FR", base + ".pas"], runs, stdin_path)
            pt, pout = measured([cpython, base + ".py"], runs, stdin_path)
            row = f"{name:<18}{zt:>10.3f}{pt:>10.3f}{pt / zt:>15.2f}"
            outputs = [zout, pout]
            if lua:
                if os.path.exists(base + ".lua"):
                    lt, lout = measured([lua, base + ".lua"], runs, stdin_path)
                    row += f"{lt:>9.3f}{lt / zt:>12.2f}"
                    outputs.append(lout)
                else:
                    row += " " * 21
            if yabasic and os.path.exists(base + ".yab"):
                yt, yout = measured([yabasic, base + ".yab"], runs, stdin_path)
                row += f"{yt:>11.3f}{yt / zt:>16.2f}"
                outputs.append(yout)
            if any(numbers(o) != numbers(zout) for o in outputs):
                shown = [o.strip()[-200:] for o in outputs]
                row += "   sorties différentes : " + " | ".join(shown)
                failed = True
            print(row, flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
