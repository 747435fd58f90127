#!/usr/bin/env bash
# The release: `cmake --install` lays out the program, its launcher, its
# icons, its manual pages and its licence in the standard places; the Debian
# package holds the same files with the right dependencies and passes lintian;
# the program taken from it answers --help and --version without a display
# and starts and docks.
source "$(dirname "$0")/lib.sh" "$1"
BUILD=$(dirname "$(realpath "$1")")
for tool in cpack dpkg-deb lintian readelf; do
  command -v "$tool" >/dev/null || e2e_fail "$tool missing (tools/kelvora-dev installs it)"
done

# Install into a scratch prefix.
PREFIX=$E2E_WORK/prefix
MODULE=lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/kelvora/libkelvora_paper.so
cmake --install "$BUILD" --prefix "$PREFIX" >"$E2E_WORK/install.log" 2>&1 || e2e_fail "cmake --install failed"
for f in bin/kelvora "$MODULE" share/applications/kelvora.desktop share/icons/hicolor/scalable/apps/kelvora.svg \
  share/doc/kelvora/copyright share/doc/kelvora/changelog.Debian.gz; do
  [ -e "$PREFIX/$f" ] || e2e_fail "not installed: $f"
done
# The manual page in English and in Russian.
zcat "$PREFIX/share/man/man1/kelvora.1.gz" | grep -q '^\.SH OPTIONS' || e2e_fail "no English manual page"
zcat "$PREFIX/share/man/ru/man1/kelvora.1.gz" | grep -q '^\.SH ПАРАМЕТРЫ' || e2e_fail "no Russian manual page"
# Qt and libxlsxwriter come from the system's library folders.
for f in bin/kelvora "$MODULE"; do
  if readelf -d "$PREFIX/$f" | grep -qE 'RPATH|RUNPATH'; then
    e2e_fail "the installed $f carries a library search path: $(readelf -d "$PREFIX/$f" | grep -E 'RPATH|RUNPATH')"
  fi
done
for size in 16 22 24 32 48 64 128 256; do
  png=$PREFIX/share/icons/hicolor/${size}x${size}/apps/kelvora.png
  [ -s "$png" ] || e2e_fail "no ${size}px icon"
  file "$png" | grep -q "PNG image data, $size x $size" || e2e_fail "the ${size}px icon is not a ${size}x${size} PNG"
done
# paper_outputs PROGRAM: the workbook and the month page from the command
# line, made by the paper module the program finds from its own folder.
paper_outputs() {
  local out=$E2E_WORK/outputs-$1 program=$2
  mkdir -p "$out"
  printf '%s\r\n' "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12 |
    iconv -f UTF-8 -t WINDOWS-1251 >"$out/Kelvora.ini"
  env -u DISPLAY "$program" --settings "$out/Kelvora.ini" --xlsx 0 -o "$out/year.xlsx" 2>"$out/err" ||
    e2e_fail "$1: no workbook: $(cat "$out/err")"
  env -u DISPLAY "$program" --settings "$out/Kelvora.ini" --pdf 0 --month 3 -o "$out/march.pdf" 2>"$out/err" ||
    e2e_fail "$1: no month page: $(cat "$out/err")"
  file "$out/year.xlsx" | grep -qE 'Excel|Zip' || e2e_fail "$1: the workbook is $(file -b "$out/year.xlsx")"
  head -c 5 "$out/march.pdf" | grep -q '^%PDF-' || e2e_fail "$1: the month page is no PDF"
}
paper_outputs installed "$PREFIX/bin/kelvora"

desktop=$PREFIX/share/applications/kelvora.desktop
grep -qx 'Name=Лунофар' "$desktop" || e2e_fail "the launcher is not named Лунофар"
grep -qx 'Exec=kelvora' "$desktop" || e2e_fail "the launcher does not start kelvora"
grep -qx 'Categories=Utility;' "$desktop" || e2e_fail "the launcher is not in Utility"

# The Debian package.
(cd "$E2E_WORK" && cpack -G DEB -B "$E2E_WORK/pkg" --config "$BUILD/CPackConfig.cmake") >"$E2E_WORK/cpack.log" 2>&1 ||
  { cat "$E2E_WORK/cpack.log" >&2; e2e_fail "cpack failed"; }
deb=$(ls "$E2E_WORK"/pkg/kelvora_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || e2e_fail "no kelvora_*.deb"
[ "$(dpkg-deb -f "$deb" Package)" = kelvora ] || e2e_fail "wrong package name"
depends=$(dpkg-deb -f "$deb" Depends)
e2e_log "Depends: $depends"
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 libxlsxwriter4 qt6-qpa-plugins \
  qt6-translations-l10n fonts-dejavu-core fonts-dejavu-extra; do
  grep -q "\b$dep\b" <<<"$depends" || e2e_fail "the package does not depend on $dep"
done
listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in ./usr/bin/kelvora "./usr/$MODULE" ./usr/share/applications/kelvora.desktop \
  ./usr/share/icons/hicolor/scalable/apps/kelvora.svg ./usr/share/icons/hicolor/48x48/apps/kelvora.png \
  ./usr/share/man/man1/kelvora.1.gz ./usr/share/man/ru/man1/kelvora.1.gz \
  ./usr/share/doc/kelvora/copyright ./usr/share/doc/kelvora/changelog.Debian.gz; do
  grep -qx "$f" <<<"$listing" || e2e_fail "the package lacks $f"
done
if grep -v -E '^\./usr/(bin|share|lib)(/|$)|^\./$|^\./usr/$' <<<"$listing" | grep -q . ||
  grep -E '^\./usr/lib/.' <<<"$listing" | grep -v -qE "^\./usr/${MODULE%/*}/?$|^\./usr/lib/[^/]+/?$|^\./usr/$MODULE$"; then
  e2e_fail "the package puts files outside /usr/bin, /usr/share and the module's folder"
fi

# Debian's own checker: no errors, no warnings.
lintian --fail-on error,warning "$deb" >"$E2E_WORK/lintian.log" 2>&1 ||
  { cat "$E2E_WORK/lintian.log" >&2; e2e_fail "lintian finds errors or warnings"; }
e2e_log "lintian: $(grep -cE '^[EW]: ' "$E2E_WORK/lintian.log" || true) errors and warnings"

# apt takes it as it stands: every dependency resolves on this machine.
apt-get install -s "$deb" >"$E2E_WORK/apt.log" 2>&1 || { cat "$E2E_WORK/apt.log" >&2; e2e_fail "apt cannot install the package"; }
grep -q '^Inst kelvora ' "$E2E_WORK/apt.log" || { cat "$E2E_WORK/apt.log" >&2; e2e_fail "apt would not install kelvora"; }

dpkg-deb -x "$deb" "$E2E_WORK/root"
E2E_APP=$E2E_WORK/root/usr/bin/kelvora
E2E_INI=$E2E_WORK/root/usr/bin/Kelvora.ini
paper_outputs packaged "$E2E_APP"

# The command line, with no display and an English desktop: answers on
# standard output or refuses on standard error, and touches no lock and no
# settings file (the executable's folder may be written here).
cli() {
  CLI_STATUS=0
  env -u DISPLAY -u WAYLAND_DISPLAY LANG=C LC_ALL=C "$E2E_APP" "$@" >"$E2E_WORK/cli.out" 2>"$E2E_WORK/cli.err" ||
    CLI_STATUS=$?
}
footprint() { find "$E2E_WORK/run" "$HOME" "$(dirname "$E2E_APP")" | sort; }
before=$(footprint)
cli --help
[ "$CLI_STATUS" -eq 0 ] || e2e_fail "--help: exit status $CLI_STATUS, $(cat "$E2E_WORK/cli.err")"
grep -q -- '--version' "$E2E_WORK/cli.out" && grep -q '^Использование: ' "$E2E_WORK/cli.out" ||
  e2e_fail "--help printed: $(cat "$E2E_WORK/cli.out")"
[ ! -s "$E2E_WORK/cli.err" ] || e2e_fail "--help wrote to standard error: $(cat "$E2E_WORK/cli.err")"
cli --version
[ "$CLI_STATUS" -eq 0 ] && [ "$(cat "$E2E_WORK/cli.out")" = "kelvora 2.07" ] ||
  e2e_fail "--version: status $CLI_STATUS, printed $(cat "$E2E_WORK/cli.out")"
# Qt's own options pass to Qt, not refused.
cli -platform offscreen -session restored --help
[ "$CLI_STATUS" -eq 0 ] || e2e_fail "Qt's own options refused: $(cat "$E2E_WORK/cli.err")"
cli --no-such-option
[ "$CLI_STATUS" -eq 2 ] || e2e_fail "an unknown option: exit status $CLI_STATUS"
grep -q 'no-such-option' "$E2E_WORK/cli.err" || e2e_fail "an unknown option: $(cat "$E2E_WORK/cli.err")"
[ ! -s "$E2E_WORK/cli.out" ] || e2e_fail "an unknown option printed on standard output"
[ "$(footprint)" = "$before" ] || e2e_fail "the command line left files behind: $(diff <(echo "$before") <(footprint))"

# The program from the package starts, docks its icon and shows its menu.
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12
e2e_start
e2e_wait_tray_icon
e2e_open_menu 1 || e2e_fail "the packaged program opened no menu"
e2e_shot 01-packaged-menu
e2e_log "package $(basename "$deb") checked"
