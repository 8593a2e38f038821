#!/usr/bin/env python3
"""Start-up time and peak memory of the program against a bare Qt window.

The bare window (bench/bare_window.cpp) is a Qt Widgets window of the same
size with a few line edits and a button, so that it loads fonts and lays out
text as the program does. Starts each program under Xvfb, alternating, and
measures the time until its window is mapped (polled with xdotool) and its
peak resident memory (VmHWM) once it is up. Prints the medians and the ratios
program / bare window.

    bench/startup.py [--runs 15] [--build build/default]
Needs Xvfb and xdotool (Debian: xvfb, xdotool).
"""
import argparse
import os
import statistics
import subprocess
import time


def wait_mapped(title, display, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                capture_output=True, text=True, env=dict(os.environ, DISPLAY=display))
        if result.returncode == 0 and result.stdout.strip():
            return True
        time.sleep(0.002)
    return False


def wait_for_server(display, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                          env=dict(os.environ, DISPLAY=display)).returncode == 0:
            return
        time.sleep(0.05)
    raise SystemExit(f"Xvfb did not start on {display}")


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def measure(command, title, display):
    env = dict(os.environ, DISPLAY=display)
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    if not wait_mapped(title, display):
        process.kill()
        raise SystemExit(f"{command[0]}: no window titled {title!r} "
                         f"(exit status {process.poll()})")
    elapsed = time.monotonic() - start
    time.sleep(0.2)  # let it settle before reading its peak memory
    rss = peak_rss_kib(process.pid)
    process.kill()
    process.wait()
    return elapsed, rss


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--build", default="build/default")
    args = parser.parse_args()

    # Xvfb picks a free display and writes its number once it is ready.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-noreset", "-screen", "0", "1024x768x24"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        display = ":" + xvfb.stdout.readline().strip()
        wait_for_server(display)
        programs = {
            "corvanta": ([f"{args.build}/ui/corvanta"], "ZORVEX CV"),
            "bare window": ([f"{args.build}/bench/bare_window"], "BARE WINDOW"),
        }
        samples = {name: ([], []) for name in programs}
        for _ in range(args.runs):
            for name, (command, title) in programs.items():
                elapsed, rss = measure(command, title, display)
                samples[name][0].append(elapsed)
                samples[name][1].append(rss)
    finally:
        xvfb.kill()

    medians = {name: (statistics.median(t), statistics.median(m))
               for name, (t, m) in samples.items()}
    for name, (seconds, kib) in medians.items():
        print(f"{name:12s} start-up {seconds * 1000:7.1f} ms   peak memory {kib / 1024:6.1f} MiB")
    program, bare = medians["corvanta"], medians["bare window"]
    print(f"ratio        start-up {program[0] / bare[0]:.2f}x   peak memory {program[1] / bare[1]:.2f}x")


if __name__ == "__main__":
    main()
