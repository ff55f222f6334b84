#pragma once
// Everything the FTP client asks of libcurl, and nothing else: one easy handle (on a multi handle
// of its own) per session, reused so that the control connection stays open between requests. Remote paths given here are always
// absolute ("/folder/file"); the session resolves relative ones against its own current folder.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The libcurl result codes the session tells apart (checked against curl.h in the .cpp).
namespace CodigoCurl {
constexpr int FalloInicio = 2;            // CURLE_FAILED_INIT
constexpr int FormatoUrl = 3;             // CURLE_URL_MALFORMAT: also "no server is open"
constexpr int EscrituraLocal = 23;        // CURLE_WRITE_ERROR
constexpr int LecturaLocal = 26;          // CURLE_READ_ERROR
constexpr int Interrumpido = 42;          // CURLE_ABORTED_BY_CALLBACK
constexpr int ArgumentoInvalido = 43;     // CURLE_BAD_FUNCTION_ARGUMENT
constexpr int ArchivoRemotoAusente = 78;  // CURLE_REMOTE_FILE_NOT_FOUND
constexpr int LlamadaAnidada = 93;        // CURLE_RECURSIVE_API_CALL
}

struct RespuestaServidor {
    int codigo = 0;   // the three-digit reply code
    QString texto;    // the whole reply, its lines joined by "\n"
};

struct ResultadoCurl {
    int codigo = 0;                 // CURLcode; 0 is success
    QString texto;                  // libcurl's description of the failure
    QString respuestaError;         // the server's 4xx/5xx reply that ended the request, if one did
    QList<RespuestaServidor> respuestas;  // every reply the server gave during the request
    bool ok() const { return codigo == 0; }
};

class TransporteCurl {
public:
    // Hands out up to `capacidad` bytes; returns how many, 0 at the end, or -1 to stop the transfer.
    using Lector = std::function<qint64(char* destino, qint64 capacidad)>;
    // Takes the next bytes received; false stops the transfer.
    using Escritor = std::function<bool(const char* datos, qint64 largo)>;

    TransporteCurl();
    // Destroyed from inside a transfer (a handler of the progress event ends the program), it
    // stops the transfer and leaves the handles to the request under way, which releases them once
    // libcurl has returned; nothing of this object is touched after that.
    ~TransporteCurl();
    TransporteCurl(const TransporteCurl&) = delete;
    TransporteCurl& operator=(const TransporteCurl&) = delete;

    // A failure with the given code and libcurl's text for it.
    static ResultadoCurl resultado(int codigo);

    // Accepted server texts: "host", "host:port", "[v6]:port", each optionally after "ftp://";
    // a path after the host is ignored. Returns the base URL "ftp://host[:port]/", or empty.
    static QByteArray urlBase(const QString& servidor);

    // Drops any earlier connection (sending QUIT) and takes a new handle; false when libcurl
    // could not give one.
    bool abrir();
    // Logs in on a new control connection, so that a wrong password fails here and not later.
    ResultadoCurl conectar(const QString& servidor, const QString& usuario, const QString& clave, bool pasivo);
    // Explicit TLS ("ftpes", AUTH TLS on the usual port) for the requests from the next conectar
    // on: 0 none; 1 when the server offers it, its certificate not checked; 2 required for the
    // login and every transfer, the certificate verified against the CA file `ca` (the system's
    // authorities when empty) and its name against the server's.
    void cifrado(int modo, const QByteArray& ca);
    // Sends QUIT and forgets the server; later requests fail until the next conectar. Called
    // during a transfer, it stops the transfer and waits for cierraSiPendiente.
    void cerrar();
    void cierraSiPendiente();

    // Raw commands in order; stops at the first one the server refuses.
    ResultadoCurl ordenes(const QStringList& lineas);
    // SIZE of a remote file, always asked in binary type (the byte count; some servers refuse
    // SIZE in ASCII type). bytes is -1 when the server answered without a size.
    ResultadoCurl tamano(const QString& ruta, qint64& bytes);
    ResultadoCurl enviar(const QString& ruta, bool ascii, qint64 largo, const Lector& lector);
    ResultadoCurl recibir(const QString& ruta, bool ascii, const Escritor& escritor);
    // The server's LIST answer for the folder, as it comes (see LineaListado).
    ResultadoCurl listar(const QString& carpeta, const Escritor& escritor);

    // The handles and what libcurl's callbacks write into (defined in the .cpp).
    struct Estado;

private:
    void preparaPeticion(const QByteArray& url);
    ResultadoCurl ejecuta();
    bool disponible(ResultadoCurl& rechazo) const;
    QByteArray urlDe(const QString& ruta, bool carpeta) const;
    ResultadoCurl recibeDe(const QByteArray& url, bool ascii, const Escritor& escritor);
    void liberaHandle();

    // Shared with the request under way, so that it outlives this object when that is destroyed
    // from inside a callback.
    std::shared_ptr<Estado> estado_;
    QByteArray base_;
    QByteArray usuario_;
    QByteArray clave_;
    bool pasivo_ = true;
    int cifrado_ = 0;
    QByteArray certificadoCA_;
};
