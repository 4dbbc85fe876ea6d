#!/usr/bin/python3
"""CPU time of OpenCV's pHash of each JPEG named, as the cost to set a fitted key against: the file
decoded whole by cv2.imread and hashed by img_hash.PHash, on one thread, the median of REPEATS runs.
Needs Debian's python3-opencv (this script only; the project does not link OpenCV).

    scripts/near_copies/phash_cost.py /tmp/fotos/*.jpg
"""
import statistics
import sys
import time

import cv2

REPEATS = 5


def phash_cpu_ms(path, hasher):
    times = []
    for _ in range(REPEATS):
        start = time.process_time()
        picture = cv2.imread(path)
        if picture is None:
            raise SystemExit(f"{path}: OpenCV did not read it")
        hasher.compute(picture)
        times.append((time.process_time() - start) * 1000)
    return statistics.median(times)


def main(paths):
    cv2.setNumThreads(1)
    hasher = cv2.img_hash.PHash_create()
    for path in paths:
        print(f"{phash_cpu_ms(path, hasher):8.1f} ms  {path}")


if __name__ == "__main__":
    main(sys.argv[1:])
