#!/usr/bin/env python3
"""Writes a capture in the example results protocol (assets/Results.rss):
running times, heats, lane results, scores, remote command lines and now and
then a few stray bytes, as a timing system on a busy meet sends them.

    make_capture.py OUT MEGABYTES [SEED]
"""
import random
import sys

NAMES = ["Jonathan Smith", "Anna Berg", "Li Wei", "Sofia Rossi", "Jonas Muller",
         "Maria Garcia", "Tom O'Neill", "Ines Duarte", "Kai Tanaka", "Eva Novak"]
TEAMS = ["USA", "GER", "CHN", "ITA", "ESP", "JPN", "CZE", "POR"]


def packet(body):
    return b"\x02" + body + b"\x03"


def heat(rng):
    event, number = rng.randrange(1, 999), rng.randrange(1, 99)
    title = rng.choice(["Men", "Women"]) + " %dm Freestyle" % rng.choice([50, 100, 200])
    return packet(b"H%03d%02d%s\r" % (event, number, title.encode()))


def lane(rng, number):
    name = rng.choice(NAMES).ljust(20).encode()
    team = rng.choice(TEAMS).ljust(4).encode()
    seconds = rng.uniform(21, 130)
    return packet(b"L%d%2d%s%s%d:%05.2f\r" % (number, rng.randrange(1, 9), name, team,
                                              seconds // 60, seconds % 60))


def chunk(rng):
    parts = [packet(b"C%3d:%04.1f\r" % (rng.randrange(0, 9), rng.uniform(0, 59.9)))
             for _ in range(20)]
    parts.append(heat(rng))
    parts += [lane(rng, n) for n in range(1, 9)]
    parts.append(packet(b"S%04d%04d" % (rng.randrange(10000), rng.randrange(10000))))
    if rng.random() < 0.1:
        parts.append(b"Command=LayoutDraw;Name=Results\n")
    if rng.random() < 0.05:
        parts.append(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 40))))
    return b"".join(parts)


def main():
    out, megabytes = sys.argv[1], float(sys.argv[2])
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    wanted = int(megabytes * 1_000_000)
    with open(out, "wb") as f:
        written = 0
        while written < wanted:
            data = chunk(rng)
            f.write(data)
            written += len(data)


if __name__ == "__main__":
    main()
