#!/usr/bin/env python3
"""Writes the sample timetable "TimeSetting.bin": an office week.

The file is the timetable record itself, 126 bytes: seven days (Sunday
first) of three phases, each phase three little-endian 16-bit words:
Enable, Start, End (minutes after midnight).

  Monday to Friday  08:00-12:00 and 13:00-17:30
  Saturday          09:00-12:00
  Sunday            off
"""
import struct
import sys


def hm(hour, minute):
    return hour * 60 + minute


OFF = (0, 0, 0)
WORKDAY = [(1, hm(8, 0), hm(12, 0)), (1, hm(13, 0), hm(17, 30)), OFF]
SATURDAY = [(1, hm(9, 0), hm(12, 0)), OFF, OFF]
SUNDAY = [OFF, OFF, OFF]
WEEK = [SUNDAY] + [WORKDAY] * 5 + [SATURDAY]


def image():
    data = b"".join(struct.pack("<3H", *phase) for day in WEEK for phase in day)
    assert len(data) == 126
    return data


if __name__ == "__main__":
    path = sys.argv[1] if len(sys.argv) > 1 else "TimeSetting.bin"
    with open(path, "wb") as out:
        out.write(image())
