#!/usr/bin/env python3
# doc_links.py -- every relative link in README.md and docs/*.md names a file that exists and, after a
# '#', a heading that file has (as GitHub makes heading anchors). Usage: doc_links.py SOURCE_DIR
import glob
import os
import re
import sys

source = sys.argv[1]
pages = [os.path.join(source, "README.md")] + sorted(glob.glob(os.path.join(source, "docs", "*.md")))


def anchors(path):
    with open(path, encoding="utf-8") as f:
        text = re.sub(r"^(```|    ).*$", "", f.read(), flags=re.M)  # no headings in code
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-") for h in re.findall(r"^#+ (.+)$", text, re.M)}


broken = []
for page in pages:
    with open(page, encoding="utf-8") as f:
        for target in re.findall(r"\]\(([^)\s]+)\)", f.read()):
            if re.match(r"[a-z]+:", target):
                continue  # a web address, not ours to check here
            path, _, anchor = target.partition("#")
            file = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
            if not os.path.exists(file) or (anchor and (not file.endswith(".md") or anchor not in anchors(file))):
                broken.append("%s: %s" % (os.path.relpath(page, source), target))
print("\n".join(broken) or "%d pages, every link holds" % len(pages))
sys.exit(1 if broken else 0)
