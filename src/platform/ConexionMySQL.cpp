#include "platform/ConexionMySQL.h"

#include "servicelib/ErrorServicio.h"

#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <future>
#include <mutex>
#include <mysql.h>

#ifdef _WIN32
#include <winsock2.h>
#include <mstcpip.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// Only WordPress's own list of incompatible modes is removed; every other mode of the
// server stays. Done by the server at connect time, so it costs no extra round trip.
const char kModoSesion[] =
    "SET SESSION sql_mode = TRIM(BOTH ',' FROM "
    "REPLACE(REPLACE(REPLACE(REPLACE(REPLACE(REPLACE(CONCAT(',', @@SESSION.sql_mode, ','),"
    " ',NO_ZERO_DATE,', ','), ',ONLY_FULL_GROUP_BY,', ','), ',STRICT_TRANS_TABLES,', ','),"
    " ',STRICT_ALL_TABLES,', ','), ',TRADITIONAL,', ','), ',ANSI,', ','))";

// Seconds; long enough for a slow shop server, short enough that a vanished one ends the run.
const unsigned kEsperaConexion = 15;
const unsigned kEsperaLectura = 120;

// Seconds a statement waits for a row another session holds before it fails, instead of
// the server's 50: a send that collides with the shop's own edits ends its product early.
const unsigned kEsperaFila = 25;

// TCP keepalive: first probe after 60 s of silence, then every 10 s, 6 unanswered probes and
// the path counts as dead (about two minutes), whatever the system's two-hour default.
const int kKeepaliveInactivo = 60;
const int kKeepaliveIntervalo = 10;
const int kKeepaliveSondeos = 6;

// Run by the server as the session starts, in the same round trip as the login.
QByteArray ordenInicial(unsigned esperaInactiva) {
    return QByteArray(kModoSesion) + ", SESSION wait_timeout = " + QByteArray::number(esperaInactiva) +
           ", SESSION innodb_lock_wait_timeout = LEAST(@@GLOBAL.innodb_lock_wait_timeout, " +
           QByteArray::number(kEsperaFila) + ")";
}

void ponKeepalive(my_socket s) {
    const int si = 1;
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&si), sizeof si);
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
    setsockopt(s, IPPROTO_TCP, TCP_KEEPIDLE, reinterpret_cast<const char*>(&kKeepaliveInactivo), sizeof(int));
    setsockopt(s, IPPROTO_TCP, TCP_KEEPINTVL, reinterpret_cast<const char*>(&kKeepaliveIntervalo), sizeof(int));
    setsockopt(s, IPPROTO_TCP, TCP_KEEPCNT, reinterpret_cast<const char*>(&kKeepaliveSondeos), sizeof(int));
#elif defined(_WIN32)
    // Windows takes the first probe's delay and the interval in milliseconds; the number of
    // probes is the system's (10).
    tcp_keepalive valores{1, kKeepaliveInactivo * 1000, kKeepaliveIntervalo * 1000};
    DWORD devueltos = 0;
    WSAIoctl(s, SIO_KEEPALIVE_VALS, &valores, sizeof valores, nullptr, 0, &devueltos, nullptr, nullptr);
#endif
}

void iniciaBiblioteca() {
    static std::once_flag hecho;
    std::call_once(hecho, [] { mysql_library_init(0, nullptr, nullptr); });
}

const QString kCerrada = QStringLiteral("La conexión con la base de datos está cerrada");

QVariant convierte(const MYSQL_FIELD& campo, const char* dato, unsigned long largo) {
    if (!dato) return QVariant();
    const QByteArray bytes(dato, static_cast<qsizetype>(largo));
    const bool sinSigno = (campo.flags & UNSIGNED_FLAG) != 0;
    switch (campo.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
        if (sinSigno) return QVariant(bytes.toULongLong());
        return QVariant(bytes.toLongLong());
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return QVariant(QString::fromLatin1(bytes));  // exact: a double would round
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return QVariant(bytes.toDouble());
    case MYSQL_TYPE_BIT:
    case MYSQL_TYPE_GEOMETRY:
        return QVariant(bytes);
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
        if (campo.charsetnr == 63) return QVariant(bytes);  // binary string
        return QVariant(QString::fromUtf8(bytes));
    default:
        return QVariant(QString::fromUtf8(bytes));
    }
}

}  // namespace

void ConexionMySQL::Cerrar::operator()(st_mysql* m) const { mysql_close(m); }

ConexionMySQL::ConexionMySQL(const AjustesConexion& ajustes) : ajustes_(ajustes) {
    iniciaBiblioteca();
    mysql_.reset(mysql_init(nullptr));
    if (!mysql_) throw ErrorServicio(2008, QStringLiteral("Sin memoria para la conexión"));
    MYSQL* m = mysql_.get();
    const unsigned protocolo = MYSQL_PROTOCOL_TCP;
    mysql_optionsv(m, MYSQL_OPT_PROTOCOL, &protocolo);
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &kEsperaConexion);
    mysql_optionsv(m, MYSQL_OPT_READ_TIMEOUT, &kEsperaLectura);
    mysql_optionsv(m, MYSQL_OPT_WRITE_TIMEOUT, &kEsperaLectura);
    const QByteArray inicial = ordenInicial(ajustes.esperaInactiva);
    mysql_optionsv(m, MYSQL_INIT_COMMAND, inicial.constData());
    preparaCifrado();

    const QByteArray servidor = ajustes.servidor.trimmed().toUtf8();
    const QByteArray usuario = ajustes.usuario.toUtf8();
    const QByteArray clave = ajustes.clave.toUtf8();
    const QByteArray base = ajustes.base.toUtf8();
    if (!mysql_real_connect(m, servidor.isEmpty() ? "127.0.0.1" : servidor.constData(), usuario.constData(),
                            clave.constData(), base.isEmpty() ? nullptr : base.constData(), ajustes.puerto,
                            nullptr, CLIENT_MULTI_STATEMENTS))
        lanza();
    ponKeepalive(mysql_get_socket(m));
}

void ConexionMySQL::preparaCifrado() {
    MYSQL* m = mysql_.get();
    // Said explicitly either way: a newer client library would otherwise pick its own default.
    const my_bool cifra = ajustes_.cifrado != Cifrado::Ninguno;
    const my_bool verifica = ajustes_.cifrado == Cifrado::Verificado;
    mysql_optionsv(m, MYSQL_OPT_SSL_ENFORCE, &cifra);
    mysql_optionsv(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verifica);
    if (!verifica || ajustes_.certificadoCA.trimmed().isEmpty()) return;
    const QString ruta = ajustes_.certificadoCA.trimmed();
    if (!QFileInfo(ruta).isFile())
        throw ErrorServicio(2026, QStringLiteral("No se encontró el archivo del certificado CA \"%1\"; la conexión "
                                                 "cifrada con el servidor no se puede verificar")
                                      .arg(ruta));
    mysql_optionsv(m, MYSQL_OPT_SSL_CA, QFile::encodeName(ruta).constData());
}

ConexionMySQL::~ConexionMySQL() = default;

st_mysql* ConexionMySQL::abierta() const {
    if (!mysql_) throw ErrorServicio(3704, kCerrada);
    return mysql_.get();
}

void ConexionMySQL::lanza() const {
    MYSQL* m = mysql_.get();
    const int numero = static_cast<int>(mysql_errno(m));
    const QString detalle = QStringLiteral("[MySQL %1] %2").arg(numero).arg(QString::fromUtf8(mysql_error(m)));
    // The library's TLS errors name OpenSSL's reasons in English; say in plain words which
    // step failed, keeping the detail for whoever has to fix the server or the file.
    if (numero == 2026 && ajustes_.cifrado == Cifrado::Verificado)
        throw ErrorServicio(numero, QStringLiteral("El certificado del servidor %1 no se pudo verificar con %2: la "
                                                   "conexión cifrada no se estableció (%3)")
                                        .arg(ajustes_.servidor.trimmed(),
                                             ajustes_.certificadoCA.trimmed().isEmpty()
                                                 ? QStringLiteral("las autoridades del sistema")
                                                 : QStringLiteral("el certificado CA \"%1\"").arg(ajustes_.certificadoCA.trimmed()),
                                             detalle));
    if (numero == 2026)
        throw ErrorServicio(numero, QStringLiteral("No se pudo cifrar la conexión con el servidor %1 (%2)")
                                        .arg(ajustes_.servidor.trimmed(), detalle));
    throw ErrorServicio(numero, detalle);
}

int ConexionMySQL::espera(const std::function<int()>& llamada) const {
    if (!mientrasEspera_) return llamada();
    // The client library lets one thread at a time use a connection, any thread: this one
    // only waits, and touches the connection again once the call has returned.
    std::future<int> hecho = std::async(std::launch::async, llamada);
    while (hecho.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) mientrasEspera_();
    return hecho.get();
}

void ConexionMySQL::envia(const QString& sql) {
    MYSQL* m = abierta();
    const QByteArray q = sql.toUtf8();
    if (espera([m, &q] { return mysql_real_query(m, q.constData(), static_cast<unsigned long>(q.size())); }) != 0)
        lanza();
}

void ConexionMySQL::Execute(const QString& sql) {
    envia(sql);
    // A statement that does return rows must still be read to keep the connection usable.
    if (MYSQL_RES* res = mysql_store_result(mysql_.get())) mysql_free_result(res);
    else if (mysql_field_count(mysql_.get()) != 0) lanza();
}

TablaLeida ConexionMySQL::Consulta(const QString& sql) {
    envia(sql);
    TablaLeida tabla;
    MYSQL* m = mysql_.get();
    MYSQL_RES* res = mysql_store_result(m);
    if (!res) {
        if (mysql_field_count(m) != 0) lanza();
        return tabla;  // a statement without rows
    }
    std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> guarda(res, mysql_free_result);
    const unsigned n = mysql_num_fields(res);
    const MYSQL_FIELD* campos = mysql_fetch_fields(res);
    for (unsigned i = 0; i < n; ++i) {
        tabla.nombres << QString::fromUtf8(campos[i].name, static_cast<qsizetype>(campos[i].name_length));
        tabla.autoincremento.push_back((campos[i].flags & AUTO_INCREMENT_FLAG) != 0);
    }
    tabla.filas.reserve(static_cast<size_t>(mysql_num_rows(res)));
    while (MYSQL_ROW fila = mysql_fetch_row(res)) {
        const unsigned long* largos = mysql_fetch_lengths(res);
        QList<QVariant> valores;
        valores.reserve(n);
        for (unsigned i = 0; i < n; ++i) valores << convierte(campos[i], fila[i], largos[i]);
        tabla.filas.push_back(std::move(valores));
    }
    return tabla;
}

void ConexionMySQL::Recorre(const QString& sql, const std::function<void(const FilaLeida&)>& porFila) {
    envia(sql);
    MYSQL* m = mysql_.get();
    MYSQL_RES* res = mysql_use_result(m);
    if (!res) {
        if (mysql_field_count(m) != 0) lanza();
        return;
    }
    entrega(res, porFila);
    if (mysql_errno(m) != 0) lanza();  // the server or the path went away in the middle
}

void ConexionMySQL::entrega(MYSQL_RES* res, const std::function<void(const FilaLeida&)>& porFila) {
    // Every row must be read (or the result freed) before the connection takes another statement.
    std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> guarda(res, mysql_free_result);
    const unsigned n = mysql_num_fields(res);
    const MYSQL_FIELD* campos = mysql_fetch_fields(res);
    FilaLeida valores;
    while (MYSQL_ROW fila = mysql_fetch_row(res)) {
        const unsigned long* largos = mysql_fetch_lengths(res);
        valores.clear();
        for (unsigned i = 0; i < n; ++i) valores << convierte(campos[i], fila[i], largos[i]);
        porFila(valores);
    }
}

void ConexionMySQL::Varias(const QStringList& sentencias, const std::function<void(int, const FilaLeida&)>& porFila,
                           int* fallida) {
    if (fallida) *fallida = -1;
    if (sentencias.isEmpty()) return;
    if (sentencias.size() == 1) {
        try {
            Recorre(sentencias.front(), [&](const FilaLeida& f) { porFila(0, f); });
        } catch (...) {
            if (fallida) *fallida = 0;
            throw;
        }
        return;
    }
    MYSQL* m = abierta();
    const QByteArray q = sentencias.join(QStringLiteral(";\n")).toUtf8();
    int i = 0;
    int r = espera([m, &q] { return mysql_real_query(m, q.constData(), static_cast<unsigned long>(q.size())); });
    // Whatever results the server still owes are read, so the session stays usable after an
    // error or an exception of `porFila`.
    const auto drena = [m] {
        while (mysql_more_results(m) && mysql_next_result(m) == 0)
            if (MYSQL_RES* res = mysql_store_result(m)) mysql_free_result(res);
    };
    try {
    for (;;) {
        if (r != 0) {
            if (fallida) *fallida = i;
            const int numero = static_cast<int>(mysql_errno(m));
            const QString texto = QString::fromUtf8(mysql_error(m));
            throw ErrorServicio(numero, QStringLiteral("[MySQL %1] %2").arg(numero).arg(texto));
        }
        if (MYSQL_RES* res = mysql_use_result(m)) {
            entrega(res, [&](const FilaLeida& f) { porFila(i, f); });
            if (mysql_errno(m) != 0) {
                r = 1;
                continue;
            }
        } else if (mysql_field_count(m) != 0) {
            r = 1;
            continue;
        }
        // Each statement after the first runs while this waits for its answer.
        const int siguiente = espera([m] { return mysql_next_result(m); });
        if (siguiente == -1) break;
        ++i;
        r = siguiente;
    }
    } catch (...) {
        drena();
        throw;
    }
}

QString ConexionMySQL::Escapa(const QString& texto) const {
    MYSQL* m = abierta();
    const QByteArray entrada = texto.toUtf8();
    QByteArray salida(entrada.size() * 2 + 1, Qt::Uninitialized);
    const unsigned long largo =
        mysql_real_escape_string(m, salida.data(), entrada.constData(), static_cast<unsigned long>(entrada.size()));
    salida.truncate(static_cast<qsizetype>(largo));
    return QString::fromUtf8(salida);
}

unsigned ConexionMySQL::CuentaAvisos() const { return mysql_warning_count(abierta()); }

std::int64_t ConexionMySQL::UltimoId() const { return static_cast<std::int64_t>(mysql_insert_id(abierta())); }

bool ConexionMySQL::Viva() { return mysql_ && mysql_ping(mysql_.get()) == 0; }

QString ConexionMySQL::Base() const { return ajustes_.base; }

void ConexionMySQL::BeginTrans() { Execute(QStringLiteral("START TRANSACTION")); }
void ConexionMySQL::CommitTrans() { Execute(QStringLiteral("COMMIT")); }
void ConexionMySQL::RollbackTrans() { Execute(QStringLiteral("ROLLBACK")); }

bool ConexionMySQL::TomaCandado(const QString& nombre, int segundos) {
    // GET_LOCK names are at most 64 characters.
    const TablaLeida t = Consulta(QStringLiteral("SELECT GET_LOCK('") + Escapa(nombre.left(64)) + QStringLiteral("', ") +
                                  QString::number(segundos) + QLatin1Char(')'));
    return !t.filas.empty() && !t.filas.front().isEmpty() && t.filas.front().front().toLongLong() == 1;
}

int ConexionMySQL::InactividadDelCandado(const QString& nombre) {
    // The process list shows a user's own sessions, so another send under the same shop user is seen.
    const TablaLeida t = Consulta(QStringLiteral("SELECT COMMAND, TIME FROM information_schema.PROCESSLIST "
                                                 "WHERE ID = IS_USED_LOCK('") +
                                  Escapa(nombre.left(64)) + QStringLiteral("')"));
    if (t.filas.empty() || t.filas.front().size() < 2) return -1;
    const QList<QVariant>& fila = t.filas.front();
    return fila[0].toString() == QLatin1String("Sleep") ? fila[1].toInt() : 0;
}

unsigned long ConexionMySQL::idSesion() const { return mysql_thread_id(abierta()); }

std::intptr_t ConexionMySQL::socketDeRed() const { return static_cast<std::intptr_t>(mysql_get_socket(abierta())); }

void ConexionMySQL::Cierra() { mysql_.reset(); }
