#!/usr/bin/env python3
"""Wall time of `corvanta-cli check` against nec2c alone on the same deck.

Alternates the two over several runs and prints the medians and their ratio:
what the check adds to the engine (writing the deck, reading the output,
the analysis) is the ratio above 1.

    bench/nec_check.py [--runs 7] [--build build/default] [--sides 3] [--freq 146]
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
    parser.add_argument("--sides", default="3")
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
            check.append(timed([cli, "check", *design]))
    e, c = statistics.median(engine), statistics.median(check)
    print(f"nec2c alone      {e:7.3f} s")
    print(f"corvanta check   {c:7.3f} s")
    print(f"ratio            {c / e:7.3f}x")


if __name__ == "__main__":
    main()
