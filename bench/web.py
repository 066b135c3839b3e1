#!/usr/bin/env python3
"""Runs the loop programs of bench/loops with the native zefrun and with the WebAssembly
build under Node (web/zefrun-node), and prints the CPU time of each (user + system of the
whole process, best of several runs) and their ratio. Both must print the same numbers.
The loop programs are sized for CPython, so the start-up of each runner (Node's loading
and compiling of the module above all) would decide the ratio: each runner's time on an
empty program is measured in the same run and taken off, and the raw times are shown."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "loops"))
import run as loops  # noqa: E402  (the loop programs' runner and its measures)


def main():
    zefrun = os.path.abspath(sys.argv[1])
    node_runner = os.path.abspath(sys.argv[2])
    runs = int(os.environ.get("BENCH_RUNS", "3"))
    import tempfile
    with tempfile.NamedTemporaryFile("w", suffix=".pas", delete=False) as empty:
        empty.write("PROGRAM Vide;\r\nBEGIN\r\nEND.\r\n")
    z0, _ = loops.measured([zefrun, empty.name], runs)
    w0, _ = loops.measured([node_runner, empty.name], runs)
    os.unlink(empty.name)
    print(f"démarrage : zefrun {z0:.3f} s, wasm {w0:.3f} s (retirés des temps nets)")
    print(f"{'programme':<18}{'zefrun s':>10}{'wasm s':>10}{'net zefrun':>12}{'net wasm':>10}{'wasm/zefrun':>13}")
    failed = False
    ratios = []
    for name in ["for_sum", "while_real", "strings", "array", "call", "ifelse"]:
        base = os.path.join(loops.HERE, name) + ".pas"
        zt, zout = loops.measured([zefrun, "--locale", "fr_FR", base], runs)
        wt, wout = loops.measured([node_runner, "--locale", "fr_FR", base], runs)
        net_z, net_w = max(zt - z0, 1e-3), max(wt - w0, 1e-3)
        ratios.append(net_w / net_z)
        row = f"{name:<18}{zt:>10.3f}{wt:>10.3f}{net_z:>12.3f}{net_w:>10.3f}{net_w / net_z:>13.2f}"
        if loops.numbers(zout) != loops.numbers(wout):
            row += "   sorties différentes"
            failed = True
        print(row, flush=True)
    print(f"{'plus grand':<18}{'':>42}{max(ratios):>13.2f}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
