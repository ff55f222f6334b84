#!/usr/bin/env bash
# Monta una tienda WordPress + WooCommerce de prueba en la base BASE del MariaDB de pruebas:
#   tests/woocommerce/instalar.sh BASE
# 1. borra y vuelve a crear BASE (solo en 127.0.0.1/localhost), utf8mb4 como la crea WordPress;
# 2. instala WordPress en ella (sus tablas, prefijo $WP_TABLE_PREFIX, wp_ por defecto);
# 3. desempaqueta WooCommerce (suma sha256 comprobada) una sola vez por carpeta;
# 4. lo activa y corre su instalador; con WooCommerce 11 además lo que corre la primera página de
#    administración de una tienda nueva (HPOS encendido) y quita el modo "próximamente".
# Versiones (WC_VERSION): 7.8.2 (por defecto) sobre el WordPress 6.1 de Debian; 11.0.1 sobre el
# WordPress 7.0.4 de esta carpeta, desempaquetado en ${TMPDIR:-/tmp}/moravi-wp-7.0.4-<sha256 corto>.
# Entorno: MARIADB_HOST MARIADB_PORT MARIADB_USER MARIADB_PASSWORD WP_TABLE_PREFIX WC_DIR (carpeta
# escribible para el plugin, subidas y registros; por defecto ${TMPDIR:-/tmp}/moravi-wc) WC_VERSION
# WP_PATH (un WordPress ya desempaquetado). Todo lo que escribe va a WC_DIR, TMPDIR y la base.
set -euo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
export WP_DB_NAME=${1:?uso: instalar.sh BASE}
[[ $WP_DB_NAME =~ ^[A-Za-z0-9_]+$ ]] || { echo "instalar: nombre de base no válido: $WP_DB_NAME" >&2; exit 1; }
export MARIADB_HOST=${MARIADB_HOST:-127.0.0.1} MARIADB_PORT=${MARIADB_PORT:-3306}
export MARIADB_USER=${MARIADB_USER:-root} MARIADB_PASSWORD=${MARIADB_PASSWORD:-}
export WC_DIR=${WC_DIR:-${TMPDIR:-/tmp}/moravi-wc}
case $MARIADB_HOST in
    127.0.0.1|localhost|::1) ;;
    *) echo "instalar: solo instala en un servidor local, no en $MARIADB_HOST" >&2; exit 1 ;;
esac
version=${WC_VERSION:-7.8.2}
[ -f "$aqui/woocommerce-$version.tar.xz" ] ||
    { echo "instalar: no hay woocommerce-$version.tar.xz en $aqui (WC_VERSION 7.8.2 o 11.0.1)" >&2; exit 1; }

# desempaquetar PAQUETE RAIZ DESTINO: RAIZ (la carpeta de arriba del paquete) queda en DESTINO, una
# sola vez: DESTINO/.sha256 guarda la suma del paquete. Se desempaqueta al lado y se mueve de un
# golpe, así dos pruebas a la vez nunca ven una carpeta a medias.
desempaquetar() {
    local paquete=$1 raiz=$2 destino=$3 suma temporal
    suma=$(cut -d' ' -f1 "$paquete.sha256")
    [ "$(cat "$destino/.sha256" 2>/dev/null)" = "$suma" ] && return 0
    echo "$suma  $paquete" | sha256sum --check --quiet - >&2 ||
        { echo "instalar: $paquete no coincide con $paquete.sha256" >&2; return 1; }
    mkdir -p "$(dirname "$destino")"
    temporal=$(mktemp -d "$(dirname "$destino")/.desempaquetando.XXXXXX")
    if ! tar -xJf "$paquete" -C "$temporal"; then
        rm -rf "$temporal"; echo "instalar: no se pudo desempaquetar $paquete" >&2; return 1
    fi
    echo "$suma" >"$temporal/$raiz/.sha256"
    if [ "$(cat "$destino/.sha256" 2>/dev/null)" != "$suma" ]; then
        rm -rf "$destino"
        mv -T "$temporal/$raiz" "$destino" 2>/dev/null || [ "$(cat "$destino/.sha256" 2>/dev/null)" = "$suma" ]
    fi
    rm -rf "$temporal"
}

if [ "$version" = 7.8.2 ]; then
    plugins=$WC_DIR/plugins
else
    plugins=$WC_DIR/plugins-wc$version
    if [ -z "${WP_PATH:-}" ]; then
        export WP_PATH=${TMPDIR:-/tmp}/moravi-wp-7.0.4-$(cut -c1-12 "$aqui/wordpress-7.0.4.tar.xz.sha256")
        desempaquetar "$aqui/wordpress-7.0.4.tar.xz" wordpress "$WP_PATH"
    fi
fi

MYSQL_PWD=$MARIADB_PASSWORD mariadb --no-defaults -h"$MARIADB_HOST" -P"$MARIADB_PORT" -u"$MARIADB_USER" -e "
    DROP DATABASE IF EXISTS \`$WP_DB_NAME\`;
    CREATE DATABASE \`$WP_DB_NAME\` CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_520_ci;"
# Cada paso en su propio proceso, como en un sitio real: un plugin se activa en una petición y
# corre cargado del todo desde la siguiente.
php "$aqui/instalar.php" wordpress
desempaquetar "$aqui/woocommerce-$version.tar.xz" woocommerce "$plugins/woocommerce"
php "$aqui/instalar.php" activar
php "$aqui/instalar.php" woocommerce
[ "$version" = 7.8.2 ] || php "$aqui/instalar.php" tienda-nueva
