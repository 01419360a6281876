#!/usr/bin/env python3
"""steady_package.py -- the game's script with the same bytes at every build. Debian 12's Emscripten
names the pictures' package by a random UUID (only a preload cache the page does not use reads it);
this names it by the package's own SHA-256 instead.
Usage: steady_package.py GAME.js GAME.data OUT.js"""
import hashlib
import re
import sys
import uuid

script, data, out = sys.argv[1:4]
with open(data, "rb") as f:
    steady = uuid.UUID(bytes=hashlib.sha256(f.read()).digest()[:16], version=4)
with open(script, "rb") as f:
    text, count = re.subn(rb'"package_uuid":"[0-9a-f-]{36}"', b'"package_uuid":"%s"' % str(steady).encode(), f.read())
if count > 1:  # none at all is fine: newer Emscripten (Debian 13's) writes no UUID
    sys.exit(f"{script}: {count} package UUIDs where at most one was expected")
with open(out, "wb") as f:
    f.write(text)
