#!/usr/bin/env python3
# make_site.py -- finishes the web page's folder once the game's files are in it: index.html with its
# security policy (the hash of its one inline script) and the site's public address, the web app
# manifest, and the service worker with the list of files it keeps and a build name hashed from them
# and from the worker itself, which the page also names. It fails if a placeholder is left unfilled.
# Usage: make_site.py SOURCE_DIR SITE_DIR [PUBLIC_URL]   (without the address, every address is relative)
import base64
import gzip
import hashlib
import json
import os
import re
import sys

source, site = sys.argv[1], sys.argv[2]
url = sys.argv[3] if len(sys.argv) > 3 else ""
if url and not url.endswith("/"):
    url += "/"


def text(name):
    with open(os.path.join(source, name), encoding="utf-8") as f:
        return f.read()


def write(name, content):
    with open(os.path.join(site, name), "w", encoding="utf-8") as f:
        f.write(content)


page = text("index.html")
# The game's three files as this build made them, which the page checks what it downloads against:
# [packed size, unpacked size, SHA-256 packed, SHA-256 unpacked].
made = {}
for name in ("driftrock.js.gz", "driftrock.wasm.gz", "driftrock.data.gz"):
    with open(os.path.join(site, name), "rb") as f:
        packed = f.read()
    plain = gzip.decompress(packed)
    made[name] = [len(packed), len(plain), hashlib.sha256(packed).hexdigest(), hashlib.sha256(plain).hexdigest()]
page = page.replace("@GAME_FILES@", json.dumps(made, separators=(",", ":")))
inline = re.search(r"<script>(.*?)</script>", page, re.S).group(1)
digest = base64.b64encode(hashlib.sha256(inline.encode()).digest()).decode()
page = page.replace("@INLINE_SCRIPT@", "'sha256-%s'" % digest).replace("@SITE_URL@", url)

# Installed, the game opens full screen in landscape from its own icon; start, scope and icons are
# relative to the manifest, so that a copy of the folder on any other address installs too (only the
# link preview needs the public address).
icon = lambda name, size, purpose="any": {"src": name, "sizes": "%dx%d" % (size, size), "type": "image/png",
                                           "purpose": purpose}
write("driftrock.webmanifest", json.dumps({
    "name": "Driftrock",
    "short_name": "Driftrock",
    "description": "Fly a ship over a starfield and break the drifting rocks: a small arcade game.",
    "start_url": ".",
    "scope": ".",
    "display": "fullscreen",
    "display_override": ["fullscreen", "standalone"],
    "orientation": "landscape",
    "background_color": "#05060f",
    "theme_color": "#05060f",
    "categories": ["games"],
    "icons": [icon("driftrock-192.png", 192), icon("driftrock-512.png", 512),
              icon("driftrock-maskable-512.png", 512, "maskable")],
}, indent=2) + "\n")

# What playing offline needs; the app's large icons matter only while installing, which is online.
kept = re.findall(r'<script src="([^"?]+)', page) + ["page.css", "driftrock.js.gz", "driftrock.wasm.gz", "driftrock.data.gz",
        "driftrock.webmanifest", "driftrock.png"]
# Each with the hash of its bytes, and for a packed file also of them unpacked: a server may unpack it on
# the way (Content-Encoding), and the worker then sees it plain.
sha = lambda data: hashlib.sha256(data).hexdigest()
files = []
for name in kept:
    with open(os.path.join(site, name), "rb") as f:
        data = f.read()
    files.append([name, sha(data)] + ([sha(gzip.decompress(data))] if name.endswith(".gz") else []))
# A new worker is a new build, even with the same files: it never shares a cache with the one it replaces.
# The page asks for its files as its build (index.html names it), which the worker answers only for its own.
build = hashlib.sha256((json.dumps(files) + page + text("sw.js")).encode()).hexdigest()[:16]
write("index.html", page.replace("@BUILD@", build))
files.insert(0, ["index.html", sha(page.replace("@BUILD@", build).encode())])
write("sw.js", text("sw.js").replace("@BUILD@", build).replace("@FILES@", json.dumps(files)))

for name in ("index.html", "sw.js"):
    with open(os.path.join(site, name), encoding="utf-8") as f:
        left = re.findall(r"@[A-Z_]+@", f.read())
    if left:
        sys.exit("make_site.py: %s still holds %s" % (name, ", ".join(left)))
