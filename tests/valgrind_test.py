#!/usr/bin/env python3
"""valgrind_test.py -- the real binary under Valgrind's memcheck in a real window for some frames, then
Escape: no invalid read, write or free made by our code (the innermost frame outside the C library is
in the game's own binary). Mesa's, SDL's and the dynamic loader's own findings are counted, not failed.
Usage: valgrind_test.py PATH_TO_DRIFTROCK DATA_DIR
"""
import os
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

import binary_test

BAD_KINDS = ("InvalidRead", "InvalidWrite", "InvalidFree", "MismatchedFree", "InvalidMemPool")


def test_no_invalid_access_in_our_code():
    game = os.path.realpath(binary_test.BINARY)
    xml = tempfile.mktemp(suffix=".xml", prefix="driftrock-valgrind-")
    prefix = ["valgrind", "--tool=memcheck", "--xml=yes", "--xml-file=" + xml, "--num-callers=40"]
    try:
        with binary_test.Session(prefix=prefix, wait=300) as s:
            time.sleep(5)  # some dozens of frames at Valgrind's pace
            s.escape()
            status = s.finish(timeout=300)[0]
        ours, theirs = [], 0
        for error in ET.parse(xml).getroot().iter("error"):
            kind = error.findtext("kind")
            objs = [f.findtext("obj") or "" for f in error.iter("frame")]
            # memcpy and friends act for their caller: look past the C library and Valgrind's stand-ins.
            user = [o for o in objs if "vgpreload" not in o and "/libc.so" not in o]
            if user and os.path.realpath(user[0]) == game:
                ours.append((kind, error.findtext("what") or error.findtext("xwhat/text")))
            else:
                theirs += 1
        print("  valgrind: %d findings in our code, %d elsewhere (Mesa, the loader)" % (len(ours), theirs))
        bad = [o for o in ours if o[0] in BAD_KINDS]
        assert not bad, bad
        assert status == 0, status
    finally:
        if os.path.exists(xml):
            os.remove(xml)


if __name__ == "__main__":
    binary_test.setup(sys.argv)
    sys.exit(binary_test.run_tests([("test_no_invalid_access_in_our_code", test_no_invalid_access_in_our_code)]))
