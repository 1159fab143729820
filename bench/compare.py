#!/usr/bin/env python3
"""Runs tintra_color_bench several times and compares the library with the
plain pipeline, path by path.

Each round runs every implementation in its own process, in a rotating order,
and keeps each benchmark's best CPU time over the rounds: on a shared machine
the best time is the one least disturbed by other work. The plain pipeline's
second copy ("plain_twin") shows how far code placement alone moves a timing.

usage: bench/compare.py [path/to/tintra_color_bench] [--rounds N] [--min-time S]
"""
import argparse
import collections
import json
import os
import subprocess
import sys

IMPLS = ["library", "plain", "plain_twin"]


def run(binary, impl, min_time):
    out = subprocess.run(
        [binary, f"--benchmark_filter=^(8|16)bit/.*/{impl}$|copy_floor",
         f"--benchmark_min_time={min_time}", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)["benchmarks"]:
        # per_px is seconds per pixel of CPU time.
        yield b["name"], b["per_px"] * 1e9


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("binary", nargs="?",
                    default=os.path.join(root, "build/linux/bench/tintra_color_bench"))
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--min-time", default="0.3")
    args = ap.parse_args()

    best = collections.defaultdict(lambda: float("inf"))
    for r in range(args.rounds):
        order = IMPLS[r % len(IMPLS):] + IMPLS[:r % len(IMPLS)]
        for impl in order:
            for name, ns in run(args.binary, impl, args.min_time):
                best[name] = min(best[name], ns)

    print(f"{'path':22s} {'library':>9s} {'plain':>9s} {'twin':>9s} {'lib/plain':>10s} {'twin/plain':>11s}")
    for depth in ("8bit", "16bit"):
        print(f"{depth + '/copy_floor':22s} {best[depth + '/copy_floor']:9.2f}")
        paths = sorted({n.split("/")[1] for n in best if n.startswith(depth + "/") and n.count("/") == 2},
                       key=lambda p: best[f"{depth}/{p}/plain"])
        for p in paths:
            lib, plain, twin = (best[f"{depth}/{p}/{i}"] for i in IMPLS)
            print(f"{depth + '/' + p:22s} {lib:9.2f} {plain:9.2f} {twin:9.2f} {lib / plain:10.3f} {twin / plain:11.3f}")
    print("ns per pixel, best CPU time of", args.rounds, "rounds")
    return 0


if __name__ == "__main__":
    sys.exit(main())
