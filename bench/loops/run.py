#!/usr/bin/env python3
"""Runs the loop programs of this folder with zefrun, with CPython and, when it is
installed, with yabasic, and prints the CPU time of each (user + system, best of
several runs) and the ratios. Every interpreter must print the same numbers, so a
faster run that computes something else is caught here as well."""
import os
import resource
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAMS = ["for_sum", "while_real", "strings", "array", "call", "ifelse"]


def output_of(command):
    """Runs a command to its end and returns its standard output."""
    proc = subprocess.run(command, capture_output=True, stdin=subprocess.DEVNULL)
    if proc.returncode != 0:
        sys.exit(f"{' '.join(command)} failed ({proc.returncode}): {proc.stderr.decode(errors='replace')}")
    return proc.stdout.decode("cp1252", errors="replace")


def measured(command, runs):
    """Best CPU time over several runs, read from the resource usage of the children."""
    best, output = None, None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        output = output_of(command)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        t = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best = t if best is None else min(best, t)
    return best, output


def numbers(text):
    """The printed numbers, read the same way whatever the decimal separator."""
    return [round(float(w.replace(",", ".")), 3) for w in text.split()]


def main():
    zefrun = sys.argv[1] if len(sys.argv) > 1 else os.path.join("build", "src", "cli", "zefrun")
    runs = int(os.environ.get("BENCH_RUNS", "3"))
    yabasic = shutil.which("yabasic")
    header = f"{'programme':<12}{'zefrun s':>10}{'python s':>10}{'python/zefrun':>15}"
    if yabasic:
        header += f"{'yabasic s':>11}{'yabasic/zefrun':>16}"
    print(header)
    failed = False
    for name in PROGRAMS:
        base = os.path.join(HERE, name)
        zt, zout = measured([zefrun, base + ".pas"], runs)
        pt, pout = measured([sys.executable, base + ".py"], runs)
        row = f"{name:<12}{zt:>10.3f}{pt:>10.3f}{pt / zt:>15.2f}"
        outputs = [zout, pout]
        if yabasic and os.path.exists(base + ".yab"):
            yt, yout = measured([yabasic, base + ".yab"], runs)
            row += f"{yt:>11.3f}{yt / zt:>16.2f}"
            outputs.append(yout)
        if any(numbers(o) != numbers(zout) for o in outputs):
            row += "   sorties différentes : " + " | ".join(o.strip() for o in outputs)
            failed = True
        print(row, flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
