"""What an end-to-end test hands over to the independent reader that runs
after it (the folder of handover.h): expected.txt holds the texts the test
typed or saw, a line KEY=VALUE each, in UTF-8.

The readers in other folders find this module through
    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "shell"))
"""
import os


def read_expected(folder):
    """The pairs of the folder's expected.txt (lines without a key left out)."""
    expected = {}
    with open(os.path.join(folder, "expected.txt"), encoding="utf-8") as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition("=")
            if key:
                expected[key] = value
    return expected
