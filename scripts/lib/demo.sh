# The demo's world, shared by scripts/demo and scripts/capturas: a throwaway MariaDB with a
# sample point-of-sale database ("punto_venta") and an empty shop ("tienda"), and a program
# folder DIR/programa with the executable, its settings and a point-of-sale folder DIR/sartenal.
# Needs scripts/lib/servicios.sh sourced and build/src/app/moravi built.

moravi_sql() { mariadb --no-defaults --socket="$MORAVI_TEST_DB_SOCKET" -uroot --default-character-set=utf8mb4 "$@"; }

moravi_preparar_demo() {  # DIR PRODUCTOS [EXECUTABLE]
    local demo=$1 productos=$2 exe=${3:-build/src/app/moravi}
    echo "== Iniciando MariaDB de prueba"
    moravi_iniciar_mariadb
    moravi_sql -e "CREATE DATABASE punto_venta CHARACTER SET latin1; CREATE DATABASE tienda CHARACTER SET utf8mb4;"
    moravi_sql punto_venta < tests/fixtures/pos-tables.sql
    /usr/bin/python3 scripts/lib/datos_demo.py "$productos" | moravi_sql punto_venta
    moravi_sql tienda < tests/fixtures/wordpress-tables.sql

    echo "== Preparando la carpeta del programa en $demo"
    mkdir -p "$demo/programa" "$demo/sartenal" "$demo/config"
    cp "$exe" "$demo/programa/moravi"
    export XDG_CONFIG_HOME="$demo/config"   # the autostart entry of the demo stays in the demo
    cat > "$demo/sartenal/S0W.ini" <<INI
[S0W]
MySQLServer=127.0.0.1
MySQLPuerto=$MORAVI_TEST_DB_PORT
MySQLUsuario=$MORAVI_TEST_DB_USER
MySQLPassword=$MORAVI_TEST_DB_PASS
INI
    "$demo/programa/moravi" -ajustar "Ruta de Sartenal Premium=$demo/sartenal" "Base de datos principal=punto_venta" \
        "Dirección IP=127.0.0.1" "Puerto=$MORAVI_TEST_DB_PORT" "Base de datos WEB=tienda" \
        "Usuario WEB=$MORAVI_TEST_DB_USER" "Contraseña WEB=$MORAVI_TEST_DB_PASS" \
        "Número de precio a actualizar=1" "Intervalo en minutos para enviar existencias=5"
}
