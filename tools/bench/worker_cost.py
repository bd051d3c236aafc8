#!/usr/bin/env python3
"""What the worker process costs: vexelo-model against the same program built
to convert in its own process (vexelo-model-in-process), on 2CylinderEngine.glb
of Debian's assimp-testmodels and on a generated grid of a million triangles
as OBJ, in alternating pairs. Prints each one's median wall and processor time
and peak memory, and the median of the pairs' time ratios.

    tools/bench/worker_cost.py [BIN_FOLDER] [--runs N]    (default build-host/bin, 7)
"""
import argparse
import math
import os
import statistics
import subprocess
import tempfile
import time

ENGINE = "/usr/share/assimp/models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb"


def write_grid(path, side=708):
    """2 x side x side triangles: positions and texture coordinates, no normals."""
    with open(path, "w") as f:
        rows = range(side + 1)
        f.write("".join("v %.5f %.5f %.5f\n" % (c * 0.01, 0.1 * math.sin(0.07 * c) * math.cos(0.05 * r), r * 0.01)
                        for r in rows for c in rows))
        f.write("".join("vt %.5f %.5f\n" % (c / side, r / side) for r in rows for c in rows))
        for r in range(side):
            f.write("".join("f {0}/{0} {1}/{1} {2}/{2} {3}/{3}\n".format(
                r * (side + 1) + c + 1, (r + 1) * (side + 1) + c + 1, (r + 1) * (side + 1) + c + 2, r * (side + 1) + c + 2)
                for c in range(side)))


def run(program, model, output):
    """Wall and processor seconds and peak memory (MB) of one conversion."""
    start = time.perf_counter()
    process = subprocess.Popen([program, model, output], stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit("%s failed on %s" % (program, model))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin", nargs="?", default="build-host/bin")
    parser.add_argument("--runs", type=int, default=7)
    arguments = parser.parse_args()
    programs = {"worker": os.path.join(arguments.bin, "vexelo-model"),
                "in process": os.path.join(arguments.bin, "vexelo-model-in-process")}
    with tempfile.TemporaryDirectory(prefix="worker-cost-") as scratch:
        grid = os.path.join(scratch, "grid.obj")
        write_grid(grid)
        output = os.path.join(scratch, "out.txt")
        for model in (ENGINE, grid):
            figures = {name: [] for name in programs}
            ratios = []
            for pair in range(arguments.runs):
                order = list(programs) if pair % 2 == 0 else list(reversed(list(programs)))
                times = {name: run(programs[name], model, output) for name in order}
                for name in programs:
                    figures[name].append(times[name])
                ratios.append(times["worker"][0] / times["in process"][0])
            print("%s (%d pairs):" % (os.path.basename(model), arguments.runs))
            for name, runs in figures.items():
                print("  %-10s wall %.3f s, processor %.3f s, peak %.0f MB" % (
                    name, statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs),
                    max(r[2] for r in runs)))
            print("  worker / in process, median of the pairs: %.3f" % statistics.median(ratios))


if __name__ == "__main__":
    main()
