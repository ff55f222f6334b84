# Throwaway MariaDB and FTP servers on 127.0.0.1 for the tests, the demo and the benchmark.
# Each runs as a child of this shell, in a temp folder, and is stopped by its PID.

moravi_puerto_libre() {
    /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# A throwaway certificate authority and a server certificate for 127.0.0.1 signed by it, plus a
# second, unrelated authority that must not be trusted for that server. Writes into folder $1:
# ca.pem, servidor.pem, servidor.key, ca-ajena.pem.
moravi_certificados() {
    local d=$1
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$d/ca.key" -out "$d/ca.pem" \
        -subj "/CN=Moravi CA de prueba" >/dev/null 2>&1 || return 1
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$d/ca-ajena.key" -out "$d/ca-ajena.pem" \
        -subj "/CN=Moravi CA ajena" >/dev/null 2>&1 || return 1
    openssl req -newkey rsa:2048 -nodes -keyout "$d/servidor.key" -out "$d/servidor.csr" \
        -subj "/CN=127.0.0.1" >/dev/null 2>&1 || return 1
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n' >"$d/ext.cnf"
    openssl x509 -req -in "$d/servidor.csr" -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial -days 2 \
        -extfile "$d/ext.cnf" -out "$d/servidor.pem" >/dev/null 2>&1 || return 1
}

# Makes the test certificates once for both servers; exports MORAVI_TEST_CA (the authority that
# signed the servers' certificate) and MORAVI_TEST_CA_AJENA (one that did not).
moravi_preparar_certificados() {
    [ -n "${MORAVI_TLS_DIR:-}" ] && [ -f "$MORAVI_TLS_DIR/servidor.pem" ] && return 0
    MORAVI_TLS_DIR=$(mktemp -d /tmp/moravi-tls.XXXXXX)
    moravi_certificados "$MORAVI_TLS_DIR" || { echo "openssl no pudo crear los certificados de prueba"; return 1; }
    export MORAVI_TEST_CA="$MORAVI_TLS_DIR/ca.pem" MORAVI_TEST_CA_AJENA="$MORAVI_TLS_DIR/ca-ajena.pem"
}

# Starts MariaDB with TLS offered (not required); exports MORAVI_TEST_DB_HOST/PORT/USER/PASS (a
# user with every right) and the certificates' variables.
moravi_iniciar_mariadb() {
    moravi_preparar_certificados || return 1
    MORAVI_DB_DIR=$(mktemp -d /tmp/moravi-db.XXXXXX)
    local puerto u=()
    puerto=$(moravi_puerto_libre)
    [ "$(id -u)" = 0 ] && u=(--user=root)
    mariadb-install-db --no-defaults "${u[@]}" --datadir="$MORAVI_DB_DIR/data" \
        --auth-root-authentication-method=normal --skip-test-db --innodb-log-file-size=8M \
        >"$MORAVI_DB_DIR/install.log" 2>&1 || { cat "$MORAVI_DB_DIR/install.log"; return 1; }
    mariadbd --no-defaults "${u[@]}" --datadir="$MORAVI_DB_DIR/data" --bind-address=127.0.0.1 \
        --port="$puerto" --socket="$MORAVI_DB_DIR/s.sock" --pid-file="$MORAVI_DB_DIR/d.pid" \
        --log-error="$MORAVI_DB_DIR/err.log" --skip-name-resolve --skip-log-bin \
        --innodb-buffer-pool-size=64M --character-set-server=utf8mb4 --max-connections=500 \
        --innodb-autoinc-lock-mode=2 \
        --ssl-ca="$MORAVI_TLS_DIR/ca.pem" --ssl-cert="$MORAVI_TLS_DIR/servidor.pem" \
        --ssl-key="$MORAVI_TLS_DIR/servidor.key" \
        </dev/null >/dev/null 2>&1 &
    MORAVI_DB_PID=$!
    local i
    for i in $(seq 1 300); do
        mariadb-admin --no-defaults --socket="$MORAVI_DB_DIR/s.sock" -uroot ping >/dev/null 2>&1 && break
        kill -0 "$MORAVI_DB_PID" 2>/dev/null || { tail "$MORAVI_DB_DIR/err.log"; return 1; }
        sleep 0.1
    done
    mariadb --no-defaults --socket="$MORAVI_DB_DIR/s.sock" -uroot -e "
        CREATE USER 'moravi'@'%' IDENTIFIED BY 'clave-de-prueba';
        GRANT ALL PRIVILEGES ON *.* TO 'moravi'@'%' WITH GRANT OPTION;" || return 1
    export MORAVI_TEST_DB_HOST=127.0.0.1 MORAVI_TEST_DB_PORT=$puerto
    export MORAVI_TEST_DB_USER=moravi MORAVI_TEST_DB_PASS=clave-de-prueba
    export MORAVI_TEST_DB_SOCKET="$MORAVI_DB_DIR/s.sock"
}

# Starts the FTP server, explicit TLS offered; exports MORAVI_TEST_FTP_PORT/ROOT/USER/PASS and
# the certificates' variables.
moravi_iniciar_ftp() {
    moravi_preparar_certificados || return 1
    MORAVI_FTP_DIR=$(mktemp -d /tmp/moravi-ftp.XXXXXX)
    local puerto raiz_script
    puerto=$(moravi_puerto_libre)
    raiz_script=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tests/support/servidor_ftp.py
    /usr/bin/python3 "$raiz_script" --puerto "$puerto" --raiz "$MORAVI_FTP_DIR" \
        --certificado "$MORAVI_TLS_DIR/servidor.pem" --clave "$MORAVI_TLS_DIR/servidor.key" >"$MORAVI_FTP_DIR.log" 2>&1 &
    MORAVI_FTP_PID=$!
    local i
    for i in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$puerto") 2>/dev/null && break
        kill -0 "$MORAVI_FTP_PID" 2>/dev/null || { cat "$MORAVI_FTP_DIR.log"; return 1; }
        sleep 0.1
    done
    export MORAVI_TEST_FTP_PORT=$puerto MORAVI_TEST_FTP_ROOT=$MORAVI_FTP_DIR
    export MORAVI_TEST_FTP_USER=tuser MORAVI_TEST_FTP_PASS=tpass
}

moravi_parar_servicios() {
    if [ -n "${MORAVI_DB_PID:-}" ]; then
        kill -TERM "$MORAVI_DB_PID" 2>/dev/null || true; wait "$MORAVI_DB_PID" 2>/dev/null || true
        MORAVI_DB_PID=
    fi
    if [ -n "${MORAVI_FTP_PID:-}" ]; then
        kill -TERM "$MORAVI_FTP_PID" 2>/dev/null || true; wait "$MORAVI_FTP_PID" 2>/dev/null || true
        MORAVI_FTP_PID=
    fi
    if [ -z "${MORAVI_CONSERVAR:-}" ]; then
        [ -n "${MORAVI_DB_DIR:-}" ] && rm -rf "$MORAVI_DB_DIR"
        [ -n "${MORAVI_FTP_DIR:-}" ] && rm -rf "$MORAVI_FTP_DIR" "$MORAVI_FTP_DIR.log"
        [ -n "${MORAVI_TLS_DIR:-}" ] && rm -rf "$MORAVI_TLS_DIR"
    fi
    return 0
}
