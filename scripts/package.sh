#!/usr/bin/env bash
# Builds the Debian package and a tar.gz of the same tree into dist/ with
# CPack, then checks what it built:
#   - the control data (version, section, dependencies found by dpkg-shlibdeps),
#   - lintian (no error; the warnings it prints are listed, and the ones
#     left on purpose are overridden with their reason in
#     packaging/lintian-overrides),
#   - the desktop entry and the AppStream data of the package,
#   - the unpacked programs: each tells its version, the unpacked
#     quellan-bx-cli identifies the unpacked bx-sim, and the unpacked desktop
#     tool, in a read-only tree and run by an account that cannot write
#     there, connects to the simulator and writes its settings into the
#     user's configuration folder and nowhere beside itself,
#   - the tar.gz runs from wherever it is unpacked.
#
#   scripts/package.sh
#   BX_BUILD_DIR=other scripts/package.sh     (default: build, the test build)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
scripts/install-deps.sh
started=$(date +%s)
say() { echo "package.sh: $*"; }
fail() {
  echo "package.sh: FAILED: $*" >&2
  exit 1
}

# The test build's folder and options, so that after scripts/test.sh
# nothing is compiled again; installing does not build the tests.
BUILD=${BX_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBX_BUILD_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target quellan-bx-scope quellan-bx-cli bx-sim bx_resources bx_manuals \
  bx_package_files
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
[ -n "$VERSION" ] || fail "no project version in $BUILD/CMakeCache.txt"

WORK=$(mktemp -d)
GUI_PID=""
cleanup() {
  if [ -n "$GUI_PID" ] && kill -0 "$GUI_PID" 2>/dev/null; then
    kill -KILL "$GUI_PID" 2>/dev/null || true
  fi
  stop_sim
  chmod -R u+w "$WORK" 2>/dev/null || true
  rm -rf "$WORK"
}
. scripts/sim_tcp.sh
trap cleanup EXIT INT TERM

# --- Build the packages -------------------------------------------------
rm -rf dist
mkdir -p dist
(cd "$BUILD" && cpack --config CPackConfig.cmake -B "$WORK/cpack" >"$WORK/cpack.log" 2>&1) || {
  cat "$WORK/cpack.log" >&2
  fail "cpack"
}
mv "$WORK"/cpack/*.deb "$WORK"/cpack/*.tar.gz dist/
DEB=$(ls dist/*.deb)
TGZ=$(ls dist/*.tar.gz)
say "built $DEB and $TGZ"

# --- Control data and the versions named in the package's own files ------
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = quellan-bx-scope ] || fail "package name $(field Package)"
[ "$(field Version)" = "$VERSION" ] || fail "package version $(field Version), project $VERSION"
dpkg --compare-versions "$(field Version)" ge 0 || fail "not a Debian version: $(field Version)"
[ "$(field Section)" = electronics ] || fail "section $(field Section)"
DEPENDS=$(field Depends)
for lib in libc6 libstdc++6 libqt6widgets6 libqt6printsupport6; do
  echo "$DEPENDS" | grep -q "$lib" || fail "no dependency on $lib (Depends: $DEPENDS)"
done
say "Depends: $DEPENDS"
field Recommends | grep -q qt6-translations-l10n || fail "Qt's translations not recommended (Recommends: $(field Recommends))"
grep -q "<release version=\"$VERSION\"" packaging/*.metainfo.xml || fail "metainfo names no release $VERSION"
head -n 1 packaging/changelog | grep -q "($VERSION)" || fail "changelog does not start with $VERSION"

# --- lintian ---------------------------------------------------------------
# As root lintian says it should not run as root; that line is no finding.
lintian --fail-on error --display-info "$DEB" >"$WORK/lintian.txt" 2>&1 || {
  cat "$WORK/lintian.txt" >&2
  fail "lintian reports an error"
}
grep -v '^running with root privileges is not recommended' "$WORK/lintian.txt" >"$WORK/lintian-findings.txt" || true
if [ -s "$WORK/lintian-findings.txt" ]; then
  say "lintian (no error):"
  sed 's/^/  /' "$WORK/lintian-findings.txt"
else
  say "lintian: clean"
fi

# --- The unpacked package --------------------------------------------------
UNPACKED=$WORK/root
dpkg -x "$DEB" "$UNPACKED"
APP_ID=io.github.quellan_bx_scope.QuellanBXScope
for f in usr/bin/quellan-bx-scope usr/bin/quellan-bx-cli usr/bin/bx-sim \
  usr/share/quellan-bx-scope/Quellan-BX-ScopeV55.uir usr/share/quellan-bx-scope/_loc_de_BX-ScopeV55.lwl \
  usr/share/quellan-bx-scope/flag-gb.ico usr/share/quellan-bx-scope/logo_brand_a.bmp \
  usr/share/quellan-bx-scope/_man_en_BX-ScopeV55nn.pdf usr/share/quellan-bx-scope/Quellan_BX_N_V5_de.pdf \
  usr/share/applications/$APP_ID.desktop usr/share/metainfo/$APP_ID.metainfo.xml \
  usr/share/icons/hicolor/48x48/apps/$APP_ID.png usr/share/icons/hicolor/128x128/apps/$APP_ID.png \
  usr/share/icons/hicolor/256x256/apps/$APP_ID.png usr/share/icons/hicolor/scalable/apps/$APP_ID.svg \
  usr/share/man/man1/quellan-bx-scope.1.gz usr/share/man/man1/quellan-bx-cli.1.gz usr/share/man/man1/bx-sim.1.gz \
  usr/share/doc/quellan-bx-scope/copyright usr/share/doc/quellan-bx-scope/changelog.gz; do
  [ -f "$UNPACKED/$f" ] || fail "the package lacks /$f"
done
for exe in quellan-bx-scope quellan-bx-cli bx-sim; do
  if readelf -S "$UNPACKED/usr/bin/$exe" | grep -q -e '\.debug_' -e '\.symtab'; then
    fail "/usr/bin/$exe is not stripped"
  fi
done
desktop-file-validate "$UNPACKED/usr/share/applications/$APP_ID.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$UNPACKED/usr/share/metainfo/$APP_ID.metainfo.xml" >"$WORK/appstream.txt" 2>&1 || {
  cat "$WORK/appstream.txt" >&2
  fail "appstreamcli validate"
}
say "desktop entry and AppStream data valid"

BIN=$UNPACKED/usr/bin
for exe in quellan-bx-scope quellan-bx-cli bx-sim; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$BIN/$exe" --version) || fail "$exe --version"
  [ "$out" = "$exe $VERSION" ] || fail "$exe --version printed '$out'"
done
say "the unpacked programs tell version $VERSION"
# A service PC installs the command-line tool without a desktop stack: it
# renders its PDF print-out with Qt GUI alone.
if readelf -d "$BIN/quellan-bx-cli" | grep -i -E 'NEEDED.*(Qt6Widgets|Qt6PrintSupport|qcustomplot)'; then
  fail "quellan-bx-cli needs the widget or printer libraries"
fi
say "quellan-bx-cli needs no widget or printer library"

start_sim_tcp "$BIN" package.sh
trap cleanup EXIT INT TERM
"$BIN/quellan-bx-cli" identify --tcp "127.0.0.1:$PORT" >"$WORK/identify.txt" 2>&1 || {
  cat "$WORK/identify.txt" >&2
  fail "the unpacked quellan-bx-cli did not identify the unpacked bx-sim"
}
grep -q '^Serial-No: #' "$WORK/identify.txt" || fail "no serial number in the identification"
say "the unpacked quellan-bx-cli identifies the unpacked bx-sim: $(tail -n 1 "$WORK/identify.txt")"

# The desktop tool as an installed copy: its tree read-only, run by an
# account that cannot write there (root writes anywhere, so as nobody when
# this runs as root), with a home of its own holding the settings that name
# the simulator. Without them it would open COM1.
HOME_DIR=$WORK/home
CONFIG=$HOME_DIR/.config/quellan-bx-scope
mkdir -p "$CONFIG" "$HOME_DIR/Documents"
printf '[CONNECTION]\r\nCOM TYPE = 1\r\nRS232 PORT = 1\r\nRS232 BAUDRATE = 4\r\nIP ADDRESS = "127.0.0.1"\r\nPORT NUMBER = "%s"\r\n' \
  "$PORT" >"$CONFIG/BX-SCOPE.ini"
chmod -R a-w "$UNPACKED"
chmod 755 "$WORK"
AS_USER=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$HOME_DIR"
  AS_USER=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
"${AS_USER[@]}" env -i PATH=/usr/bin:/bin HOME="$HOME_DIR" XDG_CONFIG_HOME="$HOME_DIR/.config" \
  QT_QPA_PLATFORM=offscreen "$BIN/quellan-bx-scope" >"$WORK/gui.txt" 2>&1 &
GUI_PID=$!

# Connected: an established connection from the tool to the simulator's
# port in the kernel's table (ports in hex; state 01 is ESTABLISHED).
PORT_HEX=$(printf '%04X' "$PORT")
connected() { awk -v p=":$PORT_HEX" 'NR > 1 && substr($3, length($3) - 4) == p && $4 == "01" { f = 1 } END { exit !f }' /proc/net/tcp; }
for _ in $(seq 1 300); do
  connected && break
  kill -0 "$GUI_PID" 2>/dev/null || {
    cat "$WORK/gui.txt" >&2
    fail "the unpacked desktop tool ended by itself"
  }
  sleep 0.1
done
connected || fail "the unpacked desktop tool did not connect to the simulator within 30 s"
# Let the bring-up finish, then ask the tool to leave the way a session's
# end does: it writes its settings on the way out.
sleep 2
kill -TERM "$GUI_PID"
code=""
for _ in $(seq 1 100); do
  if ! kill -0 "$GUI_PID" 2>/dev/null; then
    code=0
    wait "$GUI_PID" || code=$?
    break
  fi
  sleep 0.1
done
[ -n "$code" ] || fail "the unpacked desktop tool did not end within 10 s of SIGTERM"
GUI_PID=""
[ "$code" -eq 0 ] || {
  cat "$WORK/gui.txt" >&2
  fail "the unpacked desktop tool ended with $code"
}
grep -q "^PORT NUMBER = \"$PORT\"" "$CONFIG/BX-SCOPE.ini" || fail "the settings file lost the port"
grep -q '^Panel width ' "$CONFIG/BX-SCOPE.ini" || fail "the tool did not write its settings to $CONFIG"
stray=$(find "$UNPACKED" -name BX-SCOPE.ini)
[ -z "$stray" ] || fail "settings written beside the tool: $stray"
say "the unpacked desktop tool connected and wrote its settings to ~/.config/quellan-bx-scope/BX-SCOPE.ini"
chmod -R u+w "$UNPACKED"

# --- The tar.gz: the same tree, runnable wherever it is unpacked -----------
mkdir "$WORK/tgz"
tar -xzf "$TGZ" -C "$WORK/tgz"
TOP=$(find "$WORK/tgz" -mindepth 1 -maxdepth 1 -type d)
diff <(cd "$UNPACKED/usr" && find . -type f | sort) <(cd "$TOP" && find . -type f | sort) >"$WORK/trees.diff" || {
  cat "$WORK/trees.diff" >&2
  fail "the tar.gz does not hold the tree of the package"
}
"$TOP/bin/quellan-bx-cli" identify --tcp "127.0.0.1:$PORT" >"$WORK/identify-tgz.txt" 2>&1 || {
  cat "$WORK/identify-tgz.txt" >&2
  fail "quellan-bx-cli from the tar.gz did not identify the simulator"
}
say "the tar.gz holds the same tree and runs from $TOP"

say "done in $(($(date +%s) - started)) s"
