#!/usr/bin/env python3
"""Wall time of `corvanta-cli check` against one nec2c run of the same design.

The engine alone runs the whole deck that `corvanta-cli nec` writes (the
sweep and the pattern); the check runs the same work, and the convergence run
on top, as slices of the sweep on several engines side by side. Alternates
the two over several runs and prints the medians and their ratio; under 1
means the check is faster than the engine alone.

The check's engines share the cores: the sweep's rounds, the pattern's run
and the convergence run's steps go side by side, so the ratio depends on
how busy the machine is; run it on an otherwise idle one.

With --tune it times `check` against `check --tune` instead and prints what
the tune adds, as seconds and as a share of the plain check (the aim: at
most a third of it, a share of 0.33).

    bench/nec_check.py [--runs 7] [--build build/default] [--sides 4] [--freq 146] [--jobs N] [--tune]
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time


def timed(command):
    start = time.monotonic()
    # Exit status 3 is a failed sanity check: the work was done all the same.
    status = subprocess.run(command, stdout=subprocess.DEVNULL).returncode
    if status not in (0, 3):
        raise SystemExit(f"{' '.join(command)} exited with status {status}")
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--build", default="build/default")
    parser.add_argument("--sides", default="4")
    parser.add_argument("--jobs", default=None)
    parser.add_argument("--freq", default="146")
    parser.add_argument("--tune", action="store_true")
    args = parser.parse_args()

    cli = os.path.join(args.build, "cli", "corvanta-cli")
    design = ["--freq", args.freq, "--sides", args.sides]
    if args.tune:
        jobs = ["--jobs", args.jobs] if args.jobs else []
        plain, tuned = [], []
        for _ in range(args.runs):
            plain.append(timed([cli, "check", *design, *jobs]))
            tuned.append(timed([cli, "check", *design, *jobs, "--tune"]))
        p, t = statistics.median(plain), statistics.median(tuned)
        print(f"{os.cpu_count()} cores, {args.freq} MHz, {args.sides} sides, median of {args.runs}")
        print(f"check            {p:7.3f} s")
        print(f"check --tune     {t:7.3f} s")
        print(f"--tune adds      {t - p:7.3f} s, {(t - p) / p:5.2f} of a plain check")
        return
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
