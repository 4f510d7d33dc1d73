#!/usr/bin/env python3
"""Checks the operator's zip: its file list and order, fixed entry times, CR LF line ends in
the text files, SHA256SUMS, the binaries against the build, the example header lines, and
that every picture and link of the guide (markdown and HTML) resolves inside the package.

Usage: check_package.py ZIP SOURCE_DIR BIN_DIR      (prints every fault; exit 1 on any)"""
import hashlib
import html.parser
import os
import re
import sys
import urllib.parse
import zipfile

zip_path, src, bin_dir = sys.argv[1:4]
faults = []


def fault(text):
    faults.append(text)
    print("FAULT: " + text)


z = zipfile.ZipFile(zip_path)
infos = z.infolist()
names = [i.filename for i in infos]
data = {n: z.read(n) for n in names}

guide_source = open(os.path.join(src, "docs", "operator-guide.md"), encoding="utf-8").read()
images = sorted(set(re.findall(r"\]\(images/([^)\s]+)\)", guide_source)))
expected = {"Plugins/Stats.dll", "Plugins/Orvin.exe", "velmor.exe", "cabrillo.ini.example", "sample.adi",
            "operator-guide.html", "operator-guide.md", "LICENSE.txt", "SHA256SUMS"}
expected |= {"images/" + i for i in images}
if set(names) != expected:
    fault("file list: missing %s, unexpected %s" % (sorted(expected - set(names)), sorted(set(names) - expected)))
if names != sorted(names):
    fault("entries are not in sorted order: %s" % names)
if len(names) != len(set(names)):
    fault("an entry is stored twice")
for required in ("station-dialog.png", "panel-beside-host.png", "header-editor.png"):
    if required not in images:
        fault("docs/images/%s is missing" % required)
for i in infos:
    if i.filename.endswith("/"):
        fault("directory entry %s" % i.filename)
    if i.extra:
        fault("%s carries extra attributes" % i.filename)
if len({i.date_time for i in infos}) != 1:
    fault("entries carry different times: %s" % sorted({i.date_time for i in infos}))

# Text files for Windows users: CR LF everywhere, ending with a line end.
text_files = ["cabrillo.ini.example", "sample.adi", "operator-guide.html", "operator-guide.md", "LICENSE.txt", "SHA256SUMS"]
for n in text_files:
    b = data.get(n, b"")
    bare_lf = len(re.findall(rb"(?<!\r)\n", b))
    bare_cr = len(re.findall(rb"\r(?!\n)", b))
    if not b or bare_lf or bare_cr or not b.endswith(b"\r\n"):
        fault("%s: not CR LF throughout (%d bare LF, %d bare CR)" % (n, bare_lf, bare_cr))

# SHA256SUMS: every other file once, with its right checksum.
sums = {}
for line in data.get("SHA256SUMS", b"").decode("ascii", "replace").splitlines():
    m = re.fullmatch(r"([0-9a-f]{64})  (\S.*)", line)
    if not m:
        fault("SHA256SUMS: malformed line %r" % line)
        continue
    if m.group(2) in sums:
        fault("SHA256SUMS: %s listed twice" % m.group(2))
    sums[m.group(2)] = m.group(1)
if set(sums) != set(names) - {"SHA256SUMS"}:
    fault("SHA256SUMS covers %s, the package holds %s" % (sorted(sums), sorted(set(names) - {"SHA256SUMS"})))
for n, h in sums.items():
    if n in data and hashlib.sha256(data[n]).hexdigest() != h:
        fault("SHA256SUMS: wrong checksum for %s" % n)

# The binaries are the ones built, unchanged.
for n, built in (("Plugins/Stats.dll", "Stats.dll"), ("Plugins/Orvin.exe", "Orvin.exe"), ("velmor.exe", "velmor.exe")):
    path = os.path.join(bin_dir, built)
    if n in data and os.path.exists(path) and open(path, "rb").read() != data[n]:
        fault("%s differs from %s" % (n, path))

# The example extra header: nothing but Cabrillo header lines (the plug-in copies it verbatim
# into the file, so a comment of any other form would reach the contest robot).
for line in data.get("cabrillo.ini.example", b"").decode("cp1251").split("\r\n")[:-1]:
    if not re.fullmatch(r"[A-Z][A-Z0-9-]*: .*", line) or line.startswith(("START-OF-LOG", "END-OF-LOG", "QSO:")):
        fault("cabrillo.ini.example: not a Cabrillo header line: %r" % line)


# The sample log: the repository's, only its line ends made CR LF (ADIF ignores the text
# between fields, so it reads the same).
sample_source = open(os.path.join(src, "examples", "sample.adi"), "rb").read()
if data.get("sample.adi", b"").replace(b"\r\n", b"\n") != sample_source.replace(b"\r\n", b"\n"):
    fault("sample.adi differs from examples/sample.adi beyond its line ends")

# The guide: every relative link and picture is a file of the package, every #anchor an id.
class Html(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.refs = set(), []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and a.get("href"):
            self.refs.append(a["href"])
        if tag == "img":
            self.refs.append(a.get("src") or "")
        if tag == "link" and a.get("href"):
            self.refs.append(a["href"])


page = Html()
page.feed(data.get("operator-guide.html", b"").decode("utf-8"))
md = data.get("operator-guide.md", b"").decode("utf-8")
md_refs = re.findall(r"!?\[[^\]]*\]\(([^)\s]+)", md)
html_images = [r for r in page.refs if r.startswith("images/")]
if len([r for r in md_refs if r.startswith("images/")]) < 3 or len(html_images) < 3:
    fault("the guide shows fewer than three pictures")


def check(ref, where):
    if re.match(r"^[a-z]+:", ref):  # http:, mailto: ... lead outside the package
        return
    path, _, anchor = ref.partition("#")
    if path and urllib.parse.unquote(path) not in data:
        fault("%s: %r is not a file of the package" % (where, ref))
    if not path and anchor not in page.ids:
        fault("%s: no section #%s" % (where, anchor))


for r in md_refs:
    check(r, "operator-guide.md")
for r in page.refs:
    check(r, "operator-guide.html")
for i in images:
    if "images/" + i not in md_refs:
        fault("images/%s is shipped but the guide does not show it" % i)

print("%s: %d files, %d faults" % (os.path.basename(zip_path), len(names), len(faults)))
sys.exit(1 if faults else 0)
