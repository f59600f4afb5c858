#!/usr/bin/env python3
"""Reads the ThreadSanitizer logs of scripts/tsan.sh and fails on every report except data races whose
racing accesses are all made inside Qt (the first frame of each access stack, after ThreadSanitizer's
own interceptors, lies in a libQt6 library or in Qt's inline header code, such as the slot call that
reads a queued signal's arguments). Qt is not built with ThreadSanitizer, so
its internal synchronisation is invisible and such races are not findings; tests/tsan.supp cannot say
"the top frame after the interceptor", hence this filter. Usage: tsan_reports.py LOG_FOLDER"""
import os
import re
import sys

ACCESS = re.compile(r"^  (?:Previous )?(?:atomic )?(?:Write|Read|write|read)\b.* by (?:main thread|thread T\d+)")
FRAME = re.compile(r"^    #\d+ ")


def first_real_frame(lines, start):
    for line in lines[start + 1:]:
        if not FRAME.match(line):
            return None
        if "libsanitizer" not in line and "libtsan.so" not in line:
            return line
    return None


def in_qt(frame):
    return "libQt6" in frame or "/include/x86_64-linux-gnu/qt6/" in frame


def qt_internal(report):
    if "WARNING: ThreadSanitizer: data race" not in report[0]:
        return False
    frames = [first_real_frame(report, i) for i, line in enumerate(report) if ACCESS.match(line)]
    return bool(frames) and all(frame is not None and in_qt(frame) for frame in frames)


def main():
    folder = sys.argv[1]
    qt_only = 0
    findings = []
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), errors="replace") as f:
            lines = f.read().splitlines()
        starts = [i for i, line in enumerate(lines) if line.startswith("WARNING: ThreadSanitizer:")]
        for n, start in enumerate(starts):
            end = starts[n + 1] if n + 1 < len(starts) else len(lines)
            report = lines[start:end]
            if qt_internal(report):
                qt_only += 1
            else:
                findings.append("\n".join(report))
    for report in findings:
        print(report, file=sys.stderr)
    print(f"tsan: {len(findings)} reports, {qt_only} races inside Qt alone left aside")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
