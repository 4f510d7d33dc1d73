#!/usr/bin/env bash
# The Windows velmor.exe against the real Stats.dll in the stand-in host, on the bundled
# sample log, each in a fresh folder under Wine:
#   score     velmor.exe score --raw gives the DLL's statistics text and score
#   cabrillo  velmor.exe cabrillo writes the DLL's Cabrillo file byte for byte (stored station
#             details confirmed in the dialog, extra header lines from cabrillo.ini); both
#             equal the checked-in expected file
# Usage: compare_with_dll.sh score|cabrillo BIN_DIR SOURCE_DIR
#   BIN_DIR holds velmor.exe, stats-host.exe and Stats.dll of one tree.
set -uo pipefail
what=$1 bin=$2 top=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-vs-dll-$what.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Plugins"
cp "$bin/Stats.dll" "$work/Plugins/"
cp "$top/examples/sample.adi" "$work/"
run() { (cd "$work" && "$top/scripts/wine-run.sh" "$@"); }
fail() { echo "FAIL: $*"; exit 1; }
# velmor's status 1 says that QSOs were turned away, which the sample does on purpose.
velmor_ok() { [ "$1" -le 1 ]; }
# Where the programs cannot run here (32-bit ones on some machines) the line says why: skipped.
"$top/scripts/wine-run.sh" --can-run "$bin/stats-host.exe" || exit 77

case $what in
score)
  printf 'reset 0 RZ3VLM\nadif sample.adi\nresult\n' >"$work/session.txt"
  run "$bin/stats-host.exe" 'Plugins\Stats.dll' -f session.txt >"$work/host.txt" 2>&1 || fail "stats-host: $(cat "$work/host.txt")"
  tr -d '\r' <"$work/host.txt" >"$work/host-lf.txt"
  dll_score=$(sed -n 's/^GetResult0 -> score \(-\?[0-9]*\)$/\1/p' "$work/host-lf.txt")
  [ -n "$dll_score" ] || fail "no score from the DLL: $(cat "$work/host-lf.txt")"
  # The host prints each line of the text after "| ", quoted: \\ \" \r \n \t and \xNN.
  sed -n 's/^| //p' "$work/host-lf.txt" | python3 -c '
import sys, re
escapes = {"\\": "\\", "\"": "\"", "r": "\r", "n": "\n", "t": "\t"}
def unquote(m):
    e = m.group(1)
    return chr(int(e[1:], 16)) if e[0] == "x" else escapes[e]
lines = [re.sub(r"\\(x[0-9A-Fa-f]{2}|[\\\"rnt])", unquote, l.rstrip("\n")) for l in sys.stdin]
sys.stdout.buffer.write("\r\n".join(lines).encode("latin-1"))' >"$work/dll-text.bin"
  run "$bin/velmor.exe" score --raw sample.adi >"$work/velmor.bin" 2>"$work/velmor.err"
  velmor_ok $? || fail "velmor.exe score: $(cat "$work/velmor.err")"
  # velmor prints the text, then its own sections after "Turned away".
  python3 - "$work/dll-text.bin" "$work/velmor.bin" "$dll_score" <<'PY' || exit 1
import sys
dll = open(sys.argv[1], "rb").read()
out = open(sys.argv[2], "rb").read()
text = out[: out.index(b"\r\nTurned away (")]
if text.endswith(b"\r\n") and not dll.endswith(b"\r\n"):
    text = text[:-2]
if text != dll:
    print("FAIL: texts differ\nDLL:    %r\nvelmor: %r" % (dll, text)); sys.exit(1)
score = sys.argv[3].encode()
if b"Score:  " + score not in text:
    print("FAIL: the DLL's score %s is not in velmor's text" % sys.argv[3]); sys.exit(1)
print("score: velmor.exe and Stats.dll agree (score %s, %d bytes of text)" % (sys.argv[3], len(dll)))
PY
  ;;
cabrillo)
  cp "$top/tests/data/dialog/stored.ini" "$work/Plugins/VARDO.ini"
  cp "$top/tests/data/report/cabrillo.ini" "$work/cabrillo.ini"
  printf 'ui "ok"\nreset 1 RZ3VLM\nadif sample.adi\nresult\n' >"$work/session.txt"
  # velmor first, from the same stored details the dialog then opens with.
  cp "$work/Plugins/VARDO.ini" "$work/details.ini"
  run "$bin/velmor.exe" cabrillo sample.adi --call RZ3VLM --details details.ini --extra cabrillo.ini -o velmor.cbr \
    2>"$work/velmor.err"
  velmor_ok $? || fail "velmor.exe cabrillo: $(cat "$work/velmor.err")"
  run "$bin/stats-host.exe" 'Plugins\Stats.dll' -f session.txt >"$work/host.txt" 2>&1 || fail "stats-host: $(cat "$work/host.txt")"
  [ -f "$work/RZ3VLM.cbr" ] || fail "the DLL wrote no RZ3VLM.cbr: $(cat "$work/host.txt")"
  cmp "$work/RZ3VLM.cbr" "$work/velmor.cbr" || { diff <(tr -d '\r' <"$work/RZ3VLM.cbr") <(tr -d '\r' <"$work/velmor.cbr"); fail "files differ"; }
  cmp "$work/velmor.cbr" "$top/tests/data/velmor/RZ3VLM.cbr" || fail "differs from tests/data/velmor/RZ3VLM.cbr"
  echo "cabrillo: velmor.exe and Stats.dll wrote the same $(wc -c <"$work/velmor.cbr") bytes"
  ;;
*) fail "unknown comparison $what" ;;
esac
