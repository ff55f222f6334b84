#include "ftp/TransporteCurl.h"

#include <QUrl>
#include <curl/curl.h>
#include <exception>
#include <memory>
#include <utility>

static_assert(CodigoCurl::FalloInicio == CURLE_FAILED_INIT);
static_assert(CodigoCurl::FormatoUrl == CURLE_URL_MALFORMAT);
static_assert(CodigoCurl::EscrituraLocal == CURLE_WRITE_ERROR);
static_assert(CodigoCurl::LecturaLocal == CURLE_READ_ERROR);
static_assert(CodigoCurl::Interrumpido == CURLE_ABORTED_BY_CALLBACK);
static_assert(CodigoCurl::ArgumentoInvalido == CURLE_BAD_FUNCTION_ARGUMENT);
static_assert(CodigoCurl::ArchivoRemotoAusente == CURLE_REMOTE_FILE_NOT_FOUND);
static_assert(CodigoCurl::LlamadaAnidada == CURLE_RECURSIVE_API_CALL);

namespace {

// Without a timeout a silent server would block the program for good.
constexpr long kSegundosConexion = 30;
constexpr long kSegundosRespuesta = 60;
constexpr long kSegundosSinDatos = 60;
constexpr int kMilisegundosEspera = 20;

// libcurl is set up once per process and never torn down: other parts of the program may still
// hold handles while static objects are destroyed.
void iniciaLibcurl() {
    static const bool iniciado = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)iniciado;
}

int codigoDeLinea(const QString& linea);

}

struct TransporteCurl::Estado {
    CURL* handle = nullptr;
    CURLM* multi = nullptr;
    bool ocupado = false;          // libcurl is running a request on these handles
    bool cierrePendiente = false;  // stop the request at its next callback, then release
    bool abandonado = false;       // the session is gone: the request under way releases the handles
    char errores[CURL_ERROR_SIZE] = {};
    QList<RespuestaServidor> respuestas;
    QStringList lineasPendientes;
    std::exception_ptr excepcion;

    ~Estado() { libera(); }
    void libera() {
        if (multi) curl_multi_cleanup(multi);  // closes the connection, sending QUIT
        if (handle) curl_easy_cleanup(handle);
        multi = nullptr;
        handle = nullptr;
    }
    void guardaExcepcion() {
        if (!excepcion) excepcion = std::current_exception();
    }
    void recibeLineaServidor(const char* datos, size_t largo);
    int realiza();  // CURLcode
};

namespace {

CURL* h(const std::shared_ptr<TransporteCurl::Estado>& e) { return e->handle; }

struct Contexto {
    TransporteCurl::Estado* estado = nullptr;
    const TransporteCurl::Lector* lector = nullptr;
    const TransporteCurl::Escritor* escritor = nullptr;
};

struct LiberaLista {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Lista = std::unique_ptr<curl_slist, LiberaLista>;

// The callbacks below are called from C: no exception may leave them. One that is thrown
// (by a slot connected to the progress signal, say) stops the transfer and is thrown again
// to the caller once libcurl has returned.

size_t alRecibirLinea(char* datos, size_t tamano, size_t cuantos, void* usuario) {
    auto* t = static_cast<TransporteCurl::Estado*>(usuario);
    try {
        t->recibeLineaServidor(datos, tamano * cuantos);
        return tamano * cuantos;
    } catch (...) {
        t->guardaExcepcion();
        return 0;
    }
}

size_t alLeer(char* destino, size_t tamano, size_t cuantos, void* usuario) {
    auto* c = static_cast<Contexto*>(usuario);
    try {
        if (c->estado->cierrePendiente) return CURL_READFUNC_ABORT;
        const qint64 n = (*c->lector)(destino, static_cast<qint64>(tamano * cuantos));
        return n < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(n);
    } catch (...) {
        c->estado->guardaExcepcion();
        return CURL_READFUNC_ABORT;
    }
}

size_t alEscribir(char* datos, size_t tamano, size_t cuantos, void* usuario) {
    auto* c = static_cast<Contexto*>(usuario);
    try {
        if (c->estado->cierrePendiente) return CURL_WRITEFUNC_ERROR;
        return (*c->escritor)(datos, static_cast<qint64>(tamano * cuantos)) ? tamano * cuantos : CURL_WRITEFUNC_ERROR;
    } catch (...) {
        c->estado->guardaExcepcion();
        return CURL_WRITEFUNC_ERROR;
    }
}

size_t descarta(char*, size_t tamano, size_t cuantos, void*) { return tamano * cuantos; }

int codigoDeLinea(const QString& linea) {
    if (linea.size() < 3) return -1;
    for (int i = 0; i < 3; ++i)
        if (!linea[i].isDigit()) return -1;
    if (linea.size() > 3 && linea[3] != QLatin1Char(' ') && linea[3] != QLatin1Char('-')) return -1;
    return linea.left(3).toInt();
}

}

TransporteCurl::TransporteCurl() : estado_(std::make_shared<Estado>()) {
    iniciaLibcurl();
}

TransporteCurl::~TransporteCurl() {
    // Idle, the handles go with the state now; during a request the request holds the state too.
    estado_->cierrePendiente = true;
    estado_->abandonado = true;
}

ResultadoCurl TransporteCurl::resultado(int codigo) {
    ResultadoCurl r;
    r.codigo = codigo;
    r.texto = QString::fromUtf8(curl_easy_strerror(static_cast<CURLcode>(codigo)));
    return r;
}

QByteArray TransporteCurl::urlBase(const QString& servidor) {
    QString s = servidor.trimmed();
    if (s.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive))
        s = s.mid(6);
    else if (s.contains(QLatin1String("://")))
        return {};
    if (const qsizetype barra = s.indexOf(QLatin1Char('/')); barra >= 0) s.truncate(barra);
    if (s.isEmpty()) return {};
    // Only host and port characters: "@", "?", "#" or spaces would change what the URL means.
    for (const QChar c : s)
        if (!c.isLetterOrNumber() && !QStringLiteral(".-_:[]").contains(c)) return {};
    return "ftp://" + s.toUtf8() + '/';
}

void TransporteCurl::liberaHandle() {
    estado_->libera();
    base_.clear();
}

bool TransporteCurl::abrir() {
    if (estado_->ocupado) return true;  // asked from inside a transfer: the handle stays, and conectar refuses
    liberaHandle();
    estado_->handle = curl_easy_init();
    estado_->multi = curl_multi_init();
    if (!estado_->handle || !estado_->multi) liberaHandle();
    return estado_->handle != nullptr;
}

void TransporteCurl::cerrar() {
    if (estado_->ocupado) {
        // Closed from a handler while libcurl is busy: the transfer stops at its next callback,
        // and the connection goes when the session calls cierraSiPendiente, once it has cleaned up.
        estado_->cierrePendiente = true;
        return;
    }
    liberaHandle();
}

void TransporteCurl::cierraSiPendiente() {
    if (!estado_->cierrePendiente || estado_->ocupado) return;
    estado_->cierrePendiente = false;
    liberaHandle();
}

bool TransporteCurl::disponible(ResultadoCurl& rechazo) const {
    if (estado_->ocupado) {
        rechazo = resultado(CodigoCurl::LlamadaAnidada);
        return false;
    }
    if (!estado_->handle || base_.isEmpty()) {
        rechazo = resultado(CodigoCurl::FormatoUrl);
        return false;
    }
    return true;
}

ResultadoCurl TransporteCurl::conectar(const QString& servidor, const QString& usuario, const QString& clave,
                                       bool pasivo) {
    if (estado_->ocupado) return resultado(CodigoCurl::LlamadaAnidada);
    if (!estado_->handle) return resultado(CodigoCurl::FalloInicio);
    base_ = urlBase(servidor);
    if (base_.isEmpty()) return resultado(CodigoCurl::FormatoUrl);
    usuario_ = usuario.toUtf8();
    clave_ = clave.toUtf8();
    pasivo_ = pasivo;
    preparaPeticion(base_);
    curl_easy_setopt(h(estado_), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h(estado_), CURLOPT_FRESH_CONNECT, 1L);
    ResultadoCurl r = ejecuta();
    if (!r.ok()) base_.clear();  // later requests fail plainly instead of trying to log in again
    return r;
}

void TransporteCurl::preparaPeticion(const QByteArray& url) {
    CURL* c = h(estado_);
    curl_easy_reset(c);  // keeps the open connection
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    if (!usuario_.isEmpty()) {  // with no user libcurl logs in anonymously
        curl_easy_setopt(c, CURLOPT_USERNAME, usuario_.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, clave_.constData());
    }
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, estado_->errores);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, alRecibirLinea);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, estado_.get());
    // Asking only for a size, libcurl still writes a few lines of its own as the body.
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, descarta);
    // Every path is absolute, so requests never depend on the server's current folder.
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kSegundosConexion);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, kSegundosRespuesta);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kSegundosSinDatos);
    if (!pasivo_) curl_easy_setopt(c, CURLOPT_FTPPORT, "-");  // active: the server connects back to us
    if (cifrado_ == 1) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    } else if (cifrado_ == 2) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        if (!certificadoCA_.isEmpty()) {
            curl_easy_setopt(c, CURLOPT_CAINFO, certificadoCA_.constData());
            // Windows (Schannel) cannot ask a private authority whether the certificate was
            // revoked and would refuse it; OpenSSL ignores the option.
            curl_easy_setopt(c, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NO_REVOKE));
        }
    }
}

void TransporteCurl::cifrado(int modo, const QByteArray& ca) {
    cifrado_ = modo == 0 || modo == 2 ? modo : 1;
    certificadoCA_ = ca;
}

int TransporteCurl::Estado::realiza() {
    // The request runs on a multi handle of our own, which also keeps the open connection between
    // requests. curl_easy_perform waits up to a second at a time for socket activity, and libcurl
    // 7.88 sometimes has none to wait for while it opens a passive data connection: a capped wait
    // keeps that from costing a whole second per transfer.
    CURLM* m = multi;
    CURL* e = handle;
    if (curl_multi_add_handle(m, e) != CURLM_OK) return CURLE_FAILED_INIT;
    int enCurso = 1;
    CURLMcode mc = CURLM_OK;
    while (enCurso && mc == CURLM_OK) {
        mc = curl_multi_perform(m, &enCurso);
        if (mc == CURLM_OK && enCurso) mc = curl_multi_poll(m, nullptr, 0, kMilisegundosEspera, nullptr);
    }
    CURLcode rc = mc == CURLM_OK ? CURLE_OK : CURLE_FAILED_INIT;
    int quedan = 0;
    while (CURLMsg* msg = curl_multi_info_read(m, &quedan))
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == e) rc = msg->data.result;
    curl_multi_remove_handle(m, e);
    return rc;
}

ResultadoCurl TransporteCurl::ejecuta() {
    // Held here until libcurl has returned, whatever happens to this object meanwhile.
    const std::shared_ptr<Estado> e = estado_;
    e->respuestas.clear();
    e->lineasPendientes.clear();
    e->errores[0] = '\0';
    e->excepcion = nullptr;
    e->ocupado = true;
    const auto rc = static_cast<CURLcode>(e->realiza());
    e->ocupado = false;

    ResultadoCurl r;
    if (e->abandonado) {
        // The session was destroyed from a callback: the handles go with `e`, now that nothing
        // runs inside them, and this object is not touched again.
        r = resultado(CodigoCurl::Interrumpido);
    } else {
        r.codigo = rc;
        r.respuestas = e->respuestas;
        if (rc != CURLE_OK) {
            r.texto = e->errores[0] ? QString::fromUtf8(e->errores).trimmed() : QString::fromUtf8(curl_easy_strerror(rc));
            // Failures of our own side are not the server's answer, whatever it said last.
            const bool nuestra = rc == CURLE_ABORTED_BY_CALLBACK || rc == CURLE_READ_ERROR || rc == CURLE_WRITE_ERROR;
            if (!nuestra && !e->respuestas.isEmpty() && e->respuestas.last().codigo >= 400)
                r.respuestaError = e->respuestas.last().texto;
        }
    }
    if (e->excepcion) std::rethrow_exception(std::exchange(e->excepcion, nullptr));
    return r;
}

void TransporteCurl::Estado::recibeLineaServidor(const char* datos, size_t largo) {
    QString linea = QString::fromUtf8(datos, static_cast<qsizetype>(largo));
    while (linea.endsWith(QLatin1Char('\n')) || linea.endsWith(QLatin1Char('\r'))) linea.chop(1);
    // libcurl also hands over header lines of its own making ("Content-Length: ..."): only the
    // server's numbered replies are kept.
    if (lineasPendientes.isEmpty() && codigoDeLinea(linea) < 0) return;
    lineasPendientes << linea;
    const QString& primera = lineasPendientes.first();
    const int codigo = codigoDeLinea(primera);
    const bool variasLineas = primera.size() > 3 && primera[3] == QLatin1Char('-');
    const bool ultima = !variasLineas || (lineasPendientes.size() > 1 && codigoDeLinea(linea) == codigo &&
                                          (linea.size() == 3 || linea[3] == QLatin1Char(' ')));
    if (!ultima) return;
    respuestas.append({codigo, lineasPendientes.join(QLatin1Char('\n'))});
    lineasPendientes.clear();
}

QByteArray TransporteCurl::urlDe(const QString& ruta, bool carpeta) const {
    // "%2F" makes the path absolute; each name is percent-encoded so spaces and "#" pass.
    QByteArrayList partes;
    for (const QString& p : ruta.split(QLatin1Char('/'), Qt::SkipEmptyParts)) partes << QUrl::toPercentEncoding(p);
    QByteArray url = base_ + "%2F" + partes.join('/');
    if (carpeta) url += '/';
    return url;
}

ResultadoCurl TransporteCurl::ordenes(const QStringList& lineas) {
    ResultadoCurl rechazo;
    if (!disponible(rechazo)) return rechazo;
    Lista lista;
    for (const QString& l : lineas) {
        // A line break inside a name would let it carry a command of its own.
        if (l.contains(QLatin1Char('\r')) || l.contains(QLatin1Char('\n')) || l.contains(QChar(0)))
            return resultado(CodigoCurl::ArgumentoInvalido);
        curl_slist* cabeza = curl_slist_append(lista.get(), l.toUtf8().constData());
        if (!cabeza) return resultado(CURLE_OUT_OF_MEMORY);
        if (!lista) lista.reset(cabeza);
    }
    preparaPeticion(base_);
    curl_easy_setopt(h(estado_), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h(estado_), CURLOPT_QUOTE, lista.get());
    return ejecuta();
}

ResultadoCurl TransporteCurl::tamano(const QString& ruta, qint64& bytes) {
    bytes = -1;
    ResultadoCurl rechazo;
    if (!disponible(rechazo)) return rechazo;
    preparaPeticion(urlDe(ruta, false));
    curl_easy_setopt(h(estado_), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h(estado_), CURLOPT_TRANSFERTEXT, 0L);
    ResultadoCurl r = ejecuta();
    curl_off_t largo = -1;
    if (r.ok() && estado_->handle && curl_easy_getinfo(h(estado_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &largo) == CURLE_OK)
        bytes = largo;
    return r;
}

ResultadoCurl TransporteCurl::enviar(const QString& ruta, bool ascii, qint64 largo, const Lector& lector) {
    ResultadoCurl rechazo;
    if (!disponible(rechazo)) return rechazo;
    Contexto c;
    c.estado = estado_.get();
    c.lector = &lector;
    preparaPeticion(urlDe(ruta, false));
    CURL* e = h(estado_);
    curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(largo));
    curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, alLeer);
    curl_easy_setopt(e, CURLOPT_READDATA, &c);
    return ejecuta();
}

ResultadoCurl TransporteCurl::recibir(const QString& ruta, bool ascii, const Escritor& escritor) {
    return recibeDe(urlDe(ruta, false), ascii, escritor);
}

ResultadoCurl TransporteCurl::recibeDe(const QByteArray& url, bool ascii, const Escritor& escritor) {
    ResultadoCurl rechazo;
    if (!disponible(rechazo)) return rechazo;
    Contexto c;
    c.estado = estado_.get();
    c.escritor = &escritor;
    preparaPeticion(url);
    CURL* e = h(estado_);
    curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, alEscribir);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &c);
    return ejecuta();
}

ResultadoCurl TransporteCurl::listar(const QString& carpeta, const Escritor& escritor) {
    // The listing is read and parsed by the session rather than through libcurl's wildcard
    // matching, which (in 7.88) loses memory for every entry when the connection was used before.
    // A URL ending in "/" names a folder, which libcurl lists (LIST).
    return recibeDe(urlDe(carpeta, true), false, escritor);
}
