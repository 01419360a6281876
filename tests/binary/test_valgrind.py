# test_valgrind.py -- the real game under Valgrind's memcheck: no invalid access in our own code.
import os
import re
import tempfile
import xml.etree.ElementTree as ET

from session import Session, config


def test_finds_no_invalid_access_in_our_code():
    # Some dozens of frames under memcheck, then Escape. Mesa's, SDL's and the loader's own findings
    # are counted, not failed; ours are those whose innermost frame past the C library is in the game.
    with tempfile.TemporaryDirectory(prefix="driftrock-valgrind-") as tmp:
        with Session(prefix=["valgrind", "--xml=yes", "--xml-file=%s/memcheck.xml" % tmp, "--num-callers=40"], wait=300) as s:
            s.shows_starfield()  # some frames played under memcheck
            s.escape()
            assert s.finish(timeout=300)[0] == 0
        ours, theirs, report = [], 0, open(tmp + "/memcheck.xml").read()
        # Each finding read on its own (valgrind 3.24 may write more after the document's end than 3.19),
        # from a whole report: valgrind's final state, and one finding for each that its counts name (the
        # counts leave out leaks, which come at the exit).
        errors = list(map(ET.fromstring, re.findall(r"<error>.*?</error>", report, re.S)))
        counted = re.search(r"<state>FINISHED</state>.*<errorcounts>(.*?)</errorcounts>.*</valgrindoutput>", report, re.S)
        assert counted and sorted(re.findall(r"<unique>(.*?)</unique>", counted.group(1))) == sorted(e.findtext(
            "unique") for e in errors if not e.findtext("kind").startswith("Leak_")), "valgrind's report is unfinished or disagrees"
        for error in errors:
            objs = [o for o in (f.findtext("obj") or "" for f in error.iter("frame")) if "vgpreload" not in o and "/libc.so" not in o]
            if objs and os.path.realpath(objs[0]) == os.path.realpath(config.game):
                ours.append((error.findtext("kind"), error.findtext("what") or error.findtext("xwhat/text")))
            else:
                theirs += 1
    print("  valgrind: %d findings in our code, %d elsewhere: %s" % (len(ours), theirs, ours))
    assert not [o for o in ours if o[0].startswith(("Invalid", "Mismatched", "Uninit"))], ours
