#!/usr/bin/env python3
"""Writes the Isel programs of the planner comparison (planner.md) into the
folder given as argument: dense paths of the kinds a real planner slows on,
and long lines and arcs it does not."""
import math
import os
import sys


def um(v):
    return int(round(v * 1000))


class Program:
    def __init__(self, feed):
        self.lines = ["N1 GETTOOL 1", "N2 SPINDLE CW RPM12000", f"N3 VEL {um(feed)}"]

    def add(self, text):
        self.lines.append(f"N{len(self.lines) + 1} {text}")

    def fast(self, x, y, z):
        self.add(f"FASTABS X{um(x)} Y{um(y)} Z{um(z)}")

    def move(self, x, y, z=None):
        self.add(f"MOVEABS X{um(x)} Y{um(y)}" + ("" if z is None else f" Z{um(z)}"))

    def circle(self, cx, cy, r):
        # From (cx + r, cy) round and back, as two halves.
        self.add(f"CCWABS I{um(cx)} J{um(cy)} X{um(cx - r)} Y{um(cy)}")
        self.add(f"CCWABS I{um(cx)} J{um(cy)} X{um(cx + r)} Y{um(cy)}")

    def text(self):
        self.add("SPINDLE OFF")
        self.add("PROGEND")
        return "\r\n".join(self.lines) + "\r\n"


def stairs():
    p = Program(20)
    p.fast(0, 0, 1)
    p.move(0, 0, -1)
    for i in range(1000):
        p.move((i + 1) * 0.1, i * 0.1)
        p.move((i + 1) * 0.1, (i + 1) * 0.1)
    p.fast(100, 100, 5)
    return p


def circles():
    p = Program(40)
    for radius, cx in ((3, 10), (1, 30)):
        p.fast(cx + radius, 10, 1)
        p.move(cx + radius, 10, -1)
        for _ in range(10):
            p.circle(cx, 10, radius)
        p.fast(cx + radius, 10, 5)
    return p


def pocket():
    p = Program(40)
    p.fast(0, 0, 1)
    p.move(0, 0, -2)
    x0, y0, x1, y1 = 0.0, 0.0, 100.0, 60.0
    while x1 - x0 > 0 and y1 - y0 > 0:
        p.move(x1, y0)
        p.move(x1, y1)
        p.move(x0, y1)
        p.move(x0, y0 + 5)
        x0, y0, x1, y1 = x0 + 5, y0 + 5, x1 - 5, y1 - 5
        p.move(x0, y0)
    p.fast(x0, y0, 5)
    return p


def chords():
    # A wavy line drawn as 0.25 mm chords, as splines come out of CAM.
    p = Program(40)
    p.fast(0, 0, 1)
    p.move(0, 0, -1)
    steps = 800
    for i in range(1, steps + 1):
        x = i * 0.25
        p.move(x, 10 * math.sin(x / 8))
    p.fast(200, 0, 5)
    return p


def spiral():
    # A spiral from R10 in to R1 drawn as 0.1 mm chords: the curvature grows
    # while each corner stays a few degrees.
    p = Program(40)
    p.fast(60, 50, 1)
    p.move(60, 50, -1)
    angle, radius = 0.0, 10.0
    while radius > 1:
        angle += 0.1 / radius
        radius = 10 - 9 * angle / (8 * math.pi)
        p.move(50 + radius * math.cos(angle), 50 + radius * math.sin(angle))
    p.fast(50, 50, 5)
    return p


def mix():
    p = Program(30)
    p.fast(5, 5, 1)
    p.move(5, 5, -1)
    p.move(80, 5)
    p.move(80, 40)
    for i in range(1, 121):  # a half circle of R20 in 3° chords
        a = math.radians(-90 + 1.5 * i)
        p.move(60 + 20 * math.cos(a) + 20, 40 + 20 * math.sin(a) + 20 - 20)
    p.fast(40, 20, 1)
    p.move(43, 20, -1)
    for _ in range(3):
        p.circle(40, 20, 3)
    p.fast(10, 50, 1)
    p.move(10, 50, -1)
    for i in range(200):  # a zigzag of 0.5 mm steps
        p.move(10 + (i + 1) * 0.25, 50 + (0.5 if i % 2 == 0 else 0))
    p.fast(0, 0, 5)
    return p


PROGRAMS = {"treppe": stairs, "kreise": circles, "tasche": pocket, "sehnen": chords, "spirale": spiral, "gemischt": mix}

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    for name, make in PROGRAMS.items():
        with open(os.path.join(out, name + ".ncp"), "w", newline="") as f:
            f.write(make().text())
