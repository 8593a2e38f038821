#!/usr/bin/env python3
"""Wall time of `corvanta-cli check` against one nec2c run of the same design.

The engine alone runs the whole deck that `corvanta-cli nec` writes (the
sweep and the pattern); the check runs the same work, and the convergence run
on top, as slices of the sweep on several engines side by side. Alternates
the two over several runs and prints the medians and their ratio; under 1
means the check is faster than the engine alone.

    bench/nec_check.py [--runs 7] [--build build/default] [--sides 4] [--freq 146] [--jobs N]
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time


def timed(command):
    start = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--build", default="build/default")
    parser.add_argument("--sides", default="4")
    parser.add_argument("--jobs", default=None)
    parser.add_argument("--freq", default="146")
    args = parser.parse_args()

    cli = os.path.join(args.build, "cli", "corvanta-cli")
    design = ["--freq", args.freq, "--sides", args.sides]
    with tempfile.TemporaryDirectory() as work:
        deck = os.path.join(work, "deck.nec")
        with open(deck, "w") as out:
            subprocess.run([cli, "nec", *design], check=True, stdout=out)
        engine, check = [], []
        for _ in range(args.runs):
            engine.append(timed(["nec2c", "-i", deck, "-o", os.path.join(work, "out.txt")]))
            jobs = ["--jobs", args.jobs] if args.jobs else []
            check.append(timed([cli, "check", *design, *jobs]))
    e, c = statistics.median(engine), statistics.median(check)
    print(f"{os.cpu_count()} cores, {args.freq} MHz, {args.sides} sides, median of {args.runs}")
    print(f"nec2c alone      {e:7.3f} s")
    print(f"corvanta check   {c:7.3f} s")
    print(f"ratio            {c / e:7.3f}x")


if __name__ == "__main__":
    main()
