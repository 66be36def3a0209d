#!/usr/bin/env python3
"""Puts the demo's path animation into demo.json: a pinwheel of 32 x 32 pixels in the card
palette (8 bits, rows bottom first) whose four colours turn in four frames, played three
times by the "Spin" button of the Buttons card. Run from anywhere; rewrites demo.json."""
import json
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIDE = 32
COLOURS = [98, 99, 100, 101]  # yellow, orange, red, navy in the card palette
BLACK, LIGHT_GREY = 1, 103
TICKS, REPETITIONS, FLAGS = 8, 3, 0x0001  # the card shows again at the end


def frame(turn):
    rows = []
    for y in range(SIDE):
        row = bytearray()
        for x in range(SIDE):
            dx, dy = x - SIDE / 2 + 0.5, y - SIDE / 2 + 0.5
            if dx * dx + dy * dy > (SIDE / 2 - 1) ** 2:
                row.append(LIGHT_GREY)
            elif abs(dx) < 1 and abs(dy) < 1:
                row.append(BLACK)
            else:
                quadrant = (0 if dx >= 0 else 1) if dy < 0 else (3 if dx >= 0 else 2)
                row.append(COLOURS[(quadrant + turn) % 4])
        rows.append(bytes(row))
    return b"".join(reversed(rows))


def animation():
    frames = [frame(turn) for turn in range(4)]
    data = struct.pack("<7H4x", SIDE, SIDE, TICKS, REPETITIONS, len(frames), 8, FLAGS)
    for f in frames:
        data += struct.pack("<8xI4x", len(f)) + f
    return data


def main():
    path = os.path.join(HERE, "demo.json")
    with open(path, encoding="utf-8") as f:
        demo = json.load(f)
    button = {"type": "button", "id": 42, "rect": [24, 200, 124, 240], "style": 0,
              "name": "Spin", "buttonColor": 104, "textColor": 2,
              "actions": [{"kind": "animation", "rect": [150, 204, 182, 236],
                           "bytes": animation().hex()}]}
    card = next(c for c in demo["cards"] if c.get("name") == "Buttons")
    card["objects"] = [o for o in card["objects"] if o.get("id") != 42] + [button]
    with open(path, "w", encoding="utf-8") as f:
        f.write(json.dumps(demo, indent=1) + "\n")


if __name__ == "__main__":
    main()
