#!/usr/bin/env bash
# Runs the Windows build's tests under Wine against throwaway MariaDB and FTP servers on
# 127.0.0.1 (the same ones scripts/test starts), in a Wine prefix of its own that is removed
# at the end. Called by `scripts/windows --test`.
#   pruebas_wine.sh <carpeta de compilación> <SDK> [argumentos de ctest...]
set -euo pipefail
dir=$(cd "$1" && pwd)
sdk=$2
shift 2
raiz=$(cd "$(dirname "$0")/../.." && pwd)
cd "$raiz"
source scripts/lib/servicios.sh

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/moravi-wine.XXXXXX)
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Wine drops every QT_* variable on its way to a Windows program; WINEQT_* become QT_*.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1

terminar() {
    moravi_parar_servicios
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap terminar EXIT
trap 'exit 130' INT TERM

echo "== Wine: prefijo nuevo en $WINEPREFIX"
inicio=$(date +%s)
# Without wine32 it reports a failure about syswow64 that 64-bit programs do not mind.
wineboot -i </dev/null >/dev/null 2>&1 || true
# No display: Wine's null graphics driver, so that programs can still make windows (the
# hidden one moravi.exe answers the end of the session with); without it every window fails.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
wineserver -w
# A persistent server, started with its output away from any pipe: otherwise ctest waits for
# it forever (it would keep ctest's pipe open), and each test pays Wine's start-up again.
wineserver -p </dev/null >/dev/null 2>&1 || true  # "already running" is fine
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
# Wine's desktop process, started here away from ctest's pipes: otherwise the first test program
# that lists its tests starts it, it inherits ctest's pipe, and ctest waits for it to end.
wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
sleep 2
WINEPATH="$(wine winepath -w "$sdk/bin" 2>/dev/null | tr -d '\r')"
export WINEPATH
echo "   listo en $(($(date +%s) - inicio)) s"

moravi_iniciar_mariadb
moravi_iniciar_ftp
# Files the tests hand to the program as a user would type them: a Windows path. A Unix path
# ("/tmp/...") would be taken on the program's current drive. MORAVI_TEST_FTP_ROOT stays a Unix
# path: the tests also give it to Linux programs (the one-test FTP server).
for v in MORAVI_TEST_CA MORAVI_TEST_CA_AJENA; do
    export "$v=$(wine winepath -w "${!v}" 2>/dev/null | tr -d '\r')"
done

echo "== Pruebas de Windows bajo Wine ($dir/)"
estado=0
ctest --test-dir "$dir" --output-on-failure --timeout 300 -j2 "$@" </dev/null &
wait $! || estado=1
exit $estado
