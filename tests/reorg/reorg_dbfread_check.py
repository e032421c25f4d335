#!/usr/bin/python3
"""Reads every folder that the reorganisation's kill tests left behind with
python's dbfread, a reader independent of ours: each table reads whole,
memos included, with as many live records as before the killed run.

    reorg_dbfread_check.py HANDOVER_DIR
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "shell"))
from shell_dbfread_check import check_reorg  # noqa: E402


def main():
    handover = sys.argv[1]
    runs = sorted(d for d in os.listdir(handover) if os.path.isdir(os.path.join(handover, d))) \
        if os.path.isdir(handover) else []
    failed = 0
    for run in runs:
        found = check_reorg(os.path.join(handover, run))
        for f in found:
            print(f"FAIL: {run}: {f}")
        failed += bool(found)
    if not runs:
        print(f"FAIL: the kill tests left nothing in {handover}")
        return 1
    print(f"{len(runs) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
