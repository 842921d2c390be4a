#!/usr/bin/env bash
# Installs the build into a scratch prefix and starts both programs from there, in an empty
# working folder with an empty home, so that nothing but the installed files can be found.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail

build="$1"
scratch="$(mktemp -d /tmp/kestrun-install-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
work="$scratch/work"
mkdir -p "$work" "$scratch/home"

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install_test: $*" >&2; exit 1; }

for f in bin/kestrun bin/kestrun-cli share/kestrun/rsbn_cis_fs2004.csv share/kestrun/magdec.bgl \
         share/kestrun/RSBNHelp.txt share/kestrun/RSBNHelp_English.txt share/kestrun/Language/Russian.lng \
         share/kestrun/naturalearth-50m.bin \
         share/applications/kestrun.desktop share/mime/packages/kestrun.xml \
         share/icons/hicolor/scalable/apps/kestrun.svg share/icons/hicolor/256x256/apps/kestrun.png \
         share/man/man1/kestrun-cli.1; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
grep -q '^MimeType=.*application/x-kestrun-rbf;application/x-fs-flight-plan;' \
  "$prefix/share/applications/kestrun.desktop" || fail "desktop entry without its MimeType"
# The validator comes with scripts/setup: required on the CI machine, a noted skip elsewhere.
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$prefix/share/applications/kestrun.desktop"
else
  missing="desktop-file-validate not found on PATH (Debian package desktop-file-utils, installed by scripts/setup)"
  [ "${CI:-}" != true ] || fail "$missing [required with CI=true]"
  echo "install_test: desktop entry not validated: $missing" >&2
fi

# The programs run with a clean environment: no settings, no data beside the working folder.
run() {
  (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$scratch/home" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen "$@")
}

# Every file the calculator looks for is found in the installed data folder.
paths="$(run "$prefix/bin/kestrun-cli" --paths)" || fail "kestrun-cli --paths failed"
for f in rsbn_cis_fs2004.csv magdec.bgl RSBNHelp.txt Language; do
  grep -q "$prefix/bin/../share/kestrun/$f\|$prefix/share/kestrun/$f" <<<"$paths" \
    || fail "$f not found in the installed data folder: $paths"
done

out="$(run "$prefix/bin/kestrun-cli" --auto-select "$prefix/share/kestrun/examples/moscow-irkutsk.pln")" \
  || fail "kestrun-cli failed on the installed example route"
# Beacons chosen from the installed database and declinations from the installed grid.
grep -q 'СРП\|А.НА\|А.ОТ' <<<"$out" || fail "no beacon chosen: the installed beacon database was not found"
grep -q 'warning' <<<"$out" && fail "kestrun-cli warned: $out"

# The desktop program starts and keeps running its event loop until it is stopped; on the way
# up it writes its settings into the user's configuration folder.
status=0
run timeout 5 "$prefix/bin/kestrun" || status=$?
[ "$status" -eq 124 ] || fail "kestrun ended with status $status instead of running"
[ -f "$scratch/home/.config/kestrun/RSBN.cfg" ] || fail "kestrun wrote no settings"
echo "install_test: both programs started from $prefix"
