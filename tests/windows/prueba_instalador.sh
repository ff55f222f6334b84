#!/usr/bin/env bash
# The installer as a shop owner meets it, under Wine in a throwaway prefix: silent install, the
# installed moravi.exe (-h, -ajustar, -enviar into a real MariaDB, compared row by row with what
# the Linux build writes for the same point of sale), the Run value after the first window start,
# a second start handing over to the first, silent uninstall (program and Run value gone,
# moravi.ini, history and log kept; then /BORRARDATOS). Each check prints what failed; the exit
# status is the number of failed checks (0: all passed).
#   tests/windows/prueba_instalador.sh INSTALADOR.exe [LINUX_MORAVI]
#     LINUX_MORAVI  the Linux build of the same sources (default: $MORAVI_BUILD_DIR/src/app/moravi,
#                   built when missing)
# The installed program runs with no Z: drive, so it can only use what the installer put in
# its folder, never the SDK on this machine.
set -uo pipefail
raiz=$(cd "$(dirname "$0")/../.." && pwd)
cd "$raiz"
source scripts/lib/dependencias.sh
source scripts/lib/servicios.sh
source scripts/lib/demo.sh

instalador=${1:?uso: $0 INSTALADOR.exe [LINUX_MORAVI]}
instalador=$(readlink -f "$instalador")
linux=${2:-${MORAVI_BUILD_DIR:-build}/src/app/moravi}
productos=${MORAVI_PRUEBA_PRODUCTOS:-60}
inicio=$(date +%s)

moravi_instalar_dependencias wine wine64 xvfb xauth unzip binutils-mingw-w64-x86-64
if [ ! -x "$linux" ]; then
    echo "== Compilando la versión de Linux (para comparar las filas)"
    cmake -S . -B "${MORAVI_BUILD_DIR:-build}" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "${MORAVI_BUILD_DIR:-build}" --parallel "$(nproc)" --target moravi || exit 1
fi
linux=$(readlink -f "$linux")

fallos=0
falla() { echo "FALLO: $*"; fallos=$((fallos + 1)); }
bien() { echo "ok: $*"; }
paso() { echo "== $* [$(($(date +%s) - inicio)) s]"; }

tmp=$(mktemp -d /tmp/moravi-instalador.XXXXXX)
export WINEPREFIX=$tmp/prefijo WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset DISPLAY WINEPATH
xvfb_pid=
limpiar() {
    wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    moravi_parar_servicios
    rm -rf "$tmp"
}
trap limpiar EXIT
trap 'exit 130' INT TERM

paso "Prefijo de Wine nuevo en $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || { echo "FALLO: wineboot -i no preparó el prefijo"; exit 1; }
# A server that stays for the whole test: later starts take a fraction of a second, and Wine
# does not run the Run values (the program's autostart) again half-way.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
c=$WINEPREFIX/drive_c
usuario=$(ls "$c/users" | grep -v -x -e Public -e public | head -1)
carpeta_win="C:\\users\\$usuario\\AppData\\Local\\Programs\\Moravi"
carpeta=$c/users/$usuario/AppData/Local/Programs/Moravi
cp "$instalador" "$c/instalar.exe"
rm -f "$WINEPREFIX/dosdevices/z:"
cd "$c"   # Wine starts programs in the folder it is run from; Z: is gone
w() { wine "$@" </dev/null; }
regv() {  # KEY VALUE: the value's data, empty when absent
    w reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
DESINSTALAR='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moravi'

paso "Instalación silenciosa (/S)"
w 'C:\instalar.exe' /S
rc=$?
[ $rc = 0 ] && bien "el instalador terminó con 0" || falla "el instalador /S terminó con $rc"
[ -f "$carpeta/moravi.exe" ] && bien "moravi.exe en $carpeta_win" || { falla "no hay moravi.exe en $carpeta"; exit $fallos; }
ls "$c/users/$usuario/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Moravi sync.lnk" >/dev/null 2>&1 &&
    bien "entrada en el menú Inicio" || falla "no hay 'Moravi sync.lnk' en el menú Inicio del usuario"
version=$(regv "$DESINSTALAR" DisplayVersion)
[ -n "$version" ] && bien "Agregar o quitar programas: versión $version" ||
    falla "no hay DisplayVersion en $DESINSTALAR (Agregar o quitar programas)"
[ "$(regv "$DESINSTALAR" UninstallString)" = "\"$carpeta_win\\desinstalar.exe\"" ] && bien "UninstallString" ||
    falla "UninstallString es '$(regv "$DESINSTALAR" UninstallString)', no \"$carpeta_win\\desinstalar.exe\""
for pe in "$carpeta/moravi.exe" "$instalador"; do
    v=$(/usr/bin/python3 "$raiz/tests/windows/version_pe.py" "$pe")
    grep -qx "fija $version.0" <<<"$v" && grep -qx "texto $version" <<<"$v" &&
        bien "versión $version en las propiedades de $(basename "$pe")" ||
        falla "propiedades de $(basename "$pe"): '$(tr '\n' ' ' <<<"$v")', se esperaba la versión $version"
done

# Everything a file of the folder imports is in the folder or is Windows' own; everything the
# folder holds is used by the program or by a plugin it loads.
declare -A hay=() usado=() sistema=()
while IFS= read -r f; do sistema[${f,,}]=1; done < <(ls "$c/windows/system32")
while IFS= read -r f; do hay[$(basename "${f,,}")]=1; done < <(find "$carpeta" -iname '*.dll')
faltan=() sobran=()
while IFS= read -r f; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p'); do
        usado[${dll,,}]=1
        [ -n "${hay[${dll,,}]:-}" ] && continue
        # api-ms-win-* are Windows' API sets, resolved by the loader, never files.
        [ -n "${sistema[${dll,,}]:-}" ] || [[ ${dll,,} == api-ms-win-* ]] || faltan+=("$dll (de $(basename "$f"))")
    done
done < <(find "$carpeta" -iname '*.dll' -o -iname 'moravi.exe')
for d in "${!hay[@]}"; do
    case "$d" in q*.dll) [ -z "${usado[$d]:-}" ] && [ -n "$(find "$carpeta" -mindepth 2 -iname "$d")" ] && continue ;; esac
    [ -n "${usado[$d]:-}" ] || sobran+=("$d")
done
[ ${#faltan[@]} = 0 ] && bien "cada DLL importada está en la carpeta o es de Windows" || falla "faltan en la carpeta: ${faltan[*]}"
[ ${#sobran[@]} = 0 ] && bien "ninguna DLL de más" || falla "DLL que nada importa: ${sobran[*]}"

# The zip beside the installer holds the same program folder.
zip=${instalador%-instalar.exe}-windows.zip
if [ -f "$zip" ]; then
    en_zip=$(unzip -Z1 "$zip" | grep -v '/$' | sed 's|^Moravi/||' | LC_ALL=C sort)
    instalados=$(cd "$carpeta" && find . -type f ! -name desinstalar.exe | sed 's|^\./||' | LC_ALL=C sort)
    [ "$en_zip" = "$instalados" ] && bien "el zip tiene la misma carpeta ($(wc -l <<<"$en_zip") archivos)" ||
        falla "el zip y la carpeta instalada difieren: $(diff <(echo "$en_zip") <(echo "$instalados") | grep '^[<>]' | tr '\n' ' ')"
fi

paso "moravi.exe -h"
exe="$carpeta_win\\moravi.exe"
salida=$(w "$exe" -h 2>&1)
rc=$?
[ $rc = 0 ] && grep -q -- '-enviar' <<<"$salida" && bien "-h muestra el uso y termina con 0" ||
    falla "-h terminó con $rc; su salida: $(head -c 300 <<<"$salida")"

paso "Base de datos de prueba ($productos productos)"
moravi_iniciar_mariadb >/dev/null || { falla "no arrancó MariaDB"; exit $fallos; }
moravi_sql -e "CREATE DATABASE punto_venta CHARACTER SET latin1; CREATE DATABASE tienda_linux; CREATE DATABASE tienda_windows;"
moravi_sql punto_venta <"$raiz"/tests/fixtures/pos-tables.sql
/usr/bin/python3 "$raiz/scripts/lib/datos_demo.py" "$productos" | moravi_sql punto_venta
moravi_sql tienda_linux <"$raiz"/tests/fixtures/wordpress-tables.sql
moravi_sql tienda_windows <"$raiz"/tests/fixtures/wordpress-tables.sql
s0w() {
    printf '[S0W]\r\nMySQLServer=127.0.0.1\r\nMySQLPuerto=%s\r\nMySQLUsuario=%s\r\nMySQLPassword=%s\r\n' \
        "$MORAVI_TEST_DB_PORT" "$MORAVI_TEST_DB_USER" "$MORAVI_TEST_DB_PASS"
}

esperados=$(moravi_sql -N punto_venta -e "SELECT COUNT(*) FROM productos WHERE Clave NOT LIKE 'XFDD%' AND Clave NOT LIKE 'XFCT%'")

paso "La versión de Linux envía a tienda_linux"
mkdir -p "$tmp/linux/programa" "$tmp/linux/sartenal"
cp "$linux" "$tmp/linux/programa/moravi"
s0w >"$tmp/linux/sartenal/S0W.ini"
MORAVI_SIN_AUTOARRANQUE=1 "$tmp/linux/programa/moravi" -ajustar "Ruta de Sartenal Premium=$tmp/linux/sartenal" \
    "Base de datos principal=punto_venta" "Dirección IP=127.0.0.1" "Puerto=$MORAVI_TEST_DB_PORT" \
    "Base de datos WEB=tienda_linux" "Usuario WEB=$MORAVI_TEST_DB_USER" "Contraseña WEB=$MORAVI_TEST_DB_PASS" \
    "Número de precio a actualizar=2" "Intervalo en minutos para enviar existencias=30" >/dev/null ||
    falla "-ajustar de la versión de Linux"
MORAVI_SIN_AUTOARRANQUE=1 "$tmp/linux/programa/moravi" -enviar >"$tmp/linux/envio.log" 2>&1 ||
    falla "-enviar de la versión de Linux: $(tail -n 3 "$tmp/linux/envio.log")"

paso "La versión instalada: -ajustar y -enviar a tienda_windows"
host_win='C:\Sartenal Premium'
mkdir -p "$c/Sartenal Premium"
s0w >"$c/Sartenal Premium/S0W.ini"
salida=$(w "$exe" -ajustar "Ruta de Sartenal Premium=$host_win" "Base de datos principal=punto_venta" \
    "Dirección IP=127.0.0.1" "Puerto=$MORAVI_TEST_DB_PORT" "Base de datos WEB=tienda_windows" \
    "Usuario WEB=$MORAVI_TEST_DB_USER" "Contraseña WEB=$MORAVI_TEST_DB_PASS" \
    "Número de precio a actualizar=2" "Intervalo en minutos para enviar existencias=30" 2>&1)
rc=$?
[ $rc = 0 ] && [ -f "$carpeta/moravi.ini" ] && bien "-ajustar escribió moravi.ini junto al programa" ||
    falla "-ajustar terminó con $rc (moravi.ini: $(ls "$carpeta/moravi.ini" 2>&1)); su salida: $(head -c 400 <<<"$salida")"
grep -a -q 'Ruta de Sartenal Premium=C:\\Sartenal Premium' "$carpeta/moravi.ini" 2>/dev/null &&
    bien "la carpeta del punto de venta quedó como C:\\Sartenal Premium" ||
    falla "moravi.ini no tiene 'Ruta de Sartenal Premium=C:\\Sartenal Premium': $(grep -a 'Ruta' "$carpeta/moravi.ini" 2>&1)"
# As the README's Task Scheduler line runs it: through cmd, its output added to a file.
printf '@cmd /c ""%s" -enviar >>"C:\\enviar.txt" 2>&1"\r\n' "$exe" >"$c/enviar.cmd"
w cmd /c 'C:\enviar.cmd' >/dev/null 2>&1
rc=$?
tr -d '\r' <"$c/enviar.txt" >"$tmp/envio-windows.log" 2>/dev/null
[ $rc = 0 ] && bien "-enviar (por cmd /c, como la tarea programada) terminó con 0" ||
    falla "-enviar por cmd /c terminó con $rc: $(tail -n 5 "$tmp/envio-windows.log")"
grep -q "Productos enviados: $esperados de $esperados" "$tmp/envio-windows.log" &&
    bien "enviar.txt: $(grep 'Productos enviados' "$tmp/envio-windows.log")" ||
    falla "enviar.txt no dice 'Productos enviados: $esperados de $esperados': $(tail -n 3 "$tmp/envio-windows.log")"
iconv -f UTF-8 -t UTF-8 "$tmp/envio-windows.log" >/dev/null 2>&1 ||
    echo "aviso: enviar.txt no está en UTF-8 (los acentos dependen de la página de códigos de la consola)"

# Every column of every table of the shop, but the times (each send writes its own).
filas() {
    local t cols
    for t in $(moravi_sql -N -e "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA='$1' ORDER BY 1"); do
        cols=$(moravi_sql -N -e "SELECT GROUP_CONCAT(CONCAT('\`',COLUMN_NAME,'\`') ORDER BY ORDINAL_POSITION)
            FROM information_schema.COLUMNS WHERE TABLE_SCHEMA='$1' AND TABLE_NAME='$t'
            AND DATA_TYPE NOT IN ('datetime','timestamp','date','time')")
        echo "== $t"
        moravi_sql -N "$1" -e "SELECT $cols FROM \`$t\` ORDER BY 1, 2"
    done
}
enviados=$(moravi_sql -N tienda_windows -e "SELECT COUNT(*) FROM wp_postmeta WHERE meta_key='_sku'")
[ "$enviados" = "$esperados" ] && bien "$enviados productos en la tienda desde Windows" ||
    falla "la tienda tiene $enviados productos enviados desde Windows, el punto de venta $esperados"
filas tienda_linux >"$tmp/filas-linux.txt"
filas tienda_windows >"$tmp/filas-windows.txt"
if ! grep -q 'instock\|outofstock' "$tmp/filas-windows.txt"; then
    falla "la tienda no tiene estados de existencias: no hay productos que comparar"
elif diff -q "$tmp/filas-linux.txt" "$tmp/filas-windows.txt" >/dev/null; then
    bien "las filas de la tienda son las mismas que escribe la versión de Linux ($(wc -l <"$tmp/filas-windows.txt") líneas)"
else
    falla "las filas escritas desde Windows difieren de las de Linux (< Linux, > Windows):"
    diff "$tmp/filas-linux.txt" "$tmp/filas-windows.txt" | head -n 20
fi

paso "Primer arranque con ventana (Xvfb, plataforma windows)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/pantalla" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$tmp/pantalla" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$tmp/pantalla")
export WINEQT_QPA_PLATFORM=windows
wine "$exe" </dev/null >"$tmp/primero.log" 2>&1 &
primero=$!   # the program's own process: Wine runs it under this PID
run=
hasta=$(($(date +%s) + 40))
while [ "$(date +%s)" -lt $hasta ]; do
    run=$(regv "$RUN" moravi)
    [ -n "$run" ] && break
    kill -0 $primero 2>/dev/null || break
    sleep 0.5
done
if [ "${run//\"/}" = "$exe" ]; then
    bien "valor Run 'moravi' = $run"
else
    falla "valor Run 'moravi' es '$run', se esperaba la ruta de $exe (salida del programa: $(tr -d '\r' <"$tmp/primero.log" | tail -n 3))"
fi
kill -0 $primero 2>/dev/null && bien "el primer arranque sigue abierto" || falla "el primer arranque terminó: $(tr -d '\r' <"$tmp/primero.log" | tail -n 3)"

salida=$(w "$exe" 2>&1)
rc=$?
# 0 only when the running one answered (1 when it did not).
[ $rc = 0 ] && bien "un segundo arranque pasa al primero y termina con 0 ($(tr -d '\r' <<<"$salida" | head -n 1))" ||
    falla "el segundo arranque terminó con $rc: $(head -c 300 <<<"$salida")"
kill -0 $primero 2>/dev/null && bien "el primero sigue tras el segundo arranque" || falla "el primero terminó con el segundo arranque"

paso "Con el programa abierto"
w 'C:\instalar.exe' /S
rc=$?
[ $rc = 2 ] && bien "el instalador no reemplaza un programa abierto (código 2)" ||
    falla "el instalador /S con el programa abierto terminó con $rc, se esperaba 2"
# The uninstaller copies itself elsewhere and returns at once; a copy run in place (_?=) is waited for.
cp "$carpeta/desinstalar.exe" "$c/desinstalar.exe"
w 'C:\desinstalar.exe' /S "_?=$carpeta_win"
rc=$?
[ $rc = 2 ] && [ -f "$carpeta/moravi.exe" ] && bien "con el programa abierto, la desinstalación no toca nada (código 2)" ||
    falla "la desinstalación /S con el programa abierto terminó con $rc, se esperaba 2 y el programa intacto"
kill $primero 2>/dev/null; wait $primero 2>/dev/null

paso "Instalar encima de la instalación"
run_antes=$(regv "$RUN" moravi)
ini_antes=$(md5sum <"$carpeta/moravi.ini" 2>/dev/null)
w 'C:\instalar.exe' /S
rc=$?
[ $rc = 0 ] && [ -f "$carpeta/moravi.exe" ] && bien "reinstalado encima (código 0)" || falla "instalar encima terminó con $rc"
[ "$(regv "$RUN" moravi)" = "$run_antes" ] && bien "el valor Run sigue como estaba" ||
    falla "instalar encima cambió el valor Run: '$run_antes' → '$(regv "$RUN" moravi)'"
[ "$(md5sum <"$carpeta/moravi.ini" 2>/dev/null)" = "$ini_antes" ] && [ -n "$ini_antes" ] && bien "moravi.ini sigue igual" ||
    falla "instalar encima cambió o quitó moravi.ini"

paso "Desinstalación silenciosa"
cp "$carpeta/desinstalar.exe" "$c/desinstalar.exe"
antes=$(ls "$carpeta")
w 'C:\desinstalar.exe' /S "_?=$carpeta_win"
rc=$?
[ $rc = 0 ] && bien "la desinstalación terminó con 0" || falla "la desinstalación /S terminó con $rc"
quedan=$(cd "$carpeta" 2>/dev/null && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
for f in moravi.ini moravi.log moravi-historial.json; do
    if ! grep -qx "$f" <<<"$antes"; then
        falla "no había $f que conservar antes de desinstalar (el programa no lo escribió: ver arriba)"
    else
        grep -qw "$f" <<<"$quedan" && bien "se conserva $f" || falla "la desinstalación borró $f (quedan: $quedan)"
    fi
done
otros=$(tr ' ' '\n' <<<"$quedan" | grep -v -e '^moravi\.ini' -e '^moravi\.log' -e '^moravi-historial\.json' -e '^LineasAenviar\.ini' -e '^$')
[ -z "$otros" ] && bien "no queda nada del programa" || falla "quedan archivos del programa: $otros"
[ -z "$(regv "$RUN" moravi)" ] && bien "el valor Run 'moravi' se quitó" || falla "queda el valor Run 'moravi' = $(regv "$RUN" moravi)"
w reg query "$DESINSTALAR" >/dev/null 2>&1 && falla "queda $DESINSTALAR" || bien "Agregar o quitar programas ya no lo lista"
ls "$c/users/$usuario/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Moravi sync.lnk" >/dev/null 2>&1 &&
    falla "queda la entrada del menú Inicio" || bien "sin entrada en el menú Inicio"

paso "Reinstalar y desinstalar con /BORRARDATOS"
w 'C:\instalar.exe' /S
grep -a -q 'Base de datos WEB' "$carpeta/moravi.ini" 2>/dev/null && bien "tras reinstalar siguen los ajustes" ||
    falla "tras reinstalar moravi.ini no tiene los ajustes de antes"
cp "$carpeta/desinstalar.exe" "$c/desinstalar.exe"
w 'C:\desinstalar.exe' /S /BORRARDATOS "_?=$carpeta_win"
[ ! -e "$carpeta" ] && bien "/BORRARDATOS borra también los ajustes, el historial y el registro, y la carpeta" ||
    falla "tras /BORRARDATOS queda $carpeta: $(ls "$carpeta" | tr '\n' ' ')"

echo "== $fallos fallo(s); $(($(date +%s) - inicio)) s"
exit $fallos
