# Installs the Debian packages the project needs, when any is missing.
# Sourced by scripts/test, scripts/demo and bench/run.
MORAVI_PAQUETES=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libmariadb-dev libcurl4-openssl-dev
    libgtest-dev mariadb-server mariadb-client python3-pyftpdlib openssl python3-openssl
    wordpress php-cli php-mysql xz-utils redis-server php-redis)

moravi_instalar_dependencias() {
    local faltan=() p
    for p in "${MORAVI_PAQUETES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltan+=("$p")
    done
    [ ${#faltan[@]} -eq 0 ] && return 0
    echo "Instalando paquetes: ${faltan[*]}"
    local sudo=()
    [ "$(id -u)" = 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${faltan[@]}"
}
