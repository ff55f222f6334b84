#include "ftp/clsFTP.h"

#include "ftp/CortaLineas.h"
#include "ftp/HoraListado.h"
#include "ftp/LineaListado.h"
#include "ftp/RutaRemota.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>
#include <limits>

// Every transfer ends with its request: a transfer that fails part-way leaves nothing open, and
// the connection takes the next command at once.

namespace {

constexpr qint64 kTrozo = 255;  // bytes per chunk of the chunked transfers (255, not 256)

// Sizes and counts are 32-bit for the callers; from 2 GiB up they stay at the largest value
// instead of wrapping round to a negative or small one.
int a32(qint64 n) { return static_cast<int>(std::clamp<qint64>(n, 0, std::numeric_limits<int>::max())); }

// Reads exactly n bytes, or fails.
bool leeTodo(QFile& archivo, char* destino, qint64 n) {
    qint64 leidos = 0;
    while (leidos < n) {
        const qint64 k = archivo.read(destino + leidos, n - leidos);
        if (k <= 0) return false;
        leidos += k;
    }
    return true;
}

}

clsFTP::clsFTP(QObject* parent) : QObject(parent) {}

clsFTP::~clsFTP() = default;

std::shared_ptr<cDirList> clsFTP::Directory() {
    if (!lista_) lista_ = std::make_shared<cDirList>();
    return lista_;
}

QString clsFTP::GetLastErrorMessage() const { return ultimoError_; }

void clsFTP::registra(const QString& etiqueta, const ResultadoCurl& r) {
    // A refusal from the server speaks for itself: its reply is the whole message.
    if (!r.respuestaError.isEmpty()) {
        ultimoError_ = r.respuestaError;
        return;
    }
    ultimoError_ = etiqueta + QStringLiteral(" error code: ") + QString::number(r.codigo) +
                   QStringLiteral(" Message: ") + r.texto;
}

void clsFTP::registraLocal(const QString& etiqueta, int codigo, const QFileDevice& archivo) {
    ResultadoCurl r = TransporteCurl::resultado(codigo);
    r.texto += QStringLiteral(" (%1: %2)").arg(archivo.fileName(), archivo.errorString());
    registra(etiqueta, r);
}

bool clsFTP::abreLocal(QFileDevice& archivo, int modo, const QString& etiqueta, int codigo) {
    if (archivo.open(QIODevice::OpenMode(modo))) return true;
    registraLocal(etiqueta, codigo, archivo);
    return false;
}

QString clsFTP::absoluta(const QString& ruta) const { return RutaRemota::resuelve(carpeta_, ruta); }

bool clsFTP::ordena(const QString& etiqueta, const QStringList& lineas) {
    const ResultadoCurl r = transporte_.ordenes(lineas);
    if (!r.ok()) registra(etiqueta, r);
    return r.ok();
}

void clsFTP::emiteProgreso(qint64 actual, qint64 total) { emit FileTransferProgress(a32(actual), a32(total)); }

bool clsFTP::OpenConnection(const QString& sServer, const QString& sUser, const QString& sPassWord) {
    // There is no dial-up step and no agent name: the system's network is used as it is, and FTP
    // sends no agent. Proxy settings come from the environment (ftp_proxy), as libcurl reads them.
    if (!transporte_.abrir()) registra(QStringLiteral("InternetOpen"), TransporteCurl::resultado(CodigoCurl::FalloInicio));
    transporte_.cifrado(cifrado_, QFile::encodeName(certificadoCA_.trimmed()));
    const ResultadoCurl r = transporte_.conectar(sServer, sUser, sPassWord, pasivo_);
    if (!r.ok()) {
        registra(QStringLiteral("InternetConnect"), r);
        return false;
    }
    carpeta_ = QStringLiteral("/");
    for (const RespuestaServidor& respuesta : r.respuestas)
        if (const QString c = RutaRemota::deRespuesta257(respuesta.texto); c.startsWith(QLatin1Char('/'))) carpeta_ = c;
    return true;
}

void clsFTP::CloseConnection() { transporte_.cerrar(); }

bool clsFTP::SimpleFTPPutFile(const QString& sLocal, const QString& sRemote) {
    const QString etiqueta = QStringLiteral("SimpleFtpPutFile");
    QFile archivo(sLocal);
    if (!abreLocal(archivo, QIODevice::ReadOnly, etiqueta, CodigoCurl::LecturaLocal)) return false;
    const QString ruta = absoluta(sRemote);
    bool empezado = false, falloLocal = false;
    const ResultadoCurl r = transporte_.enviar(ruta, ascii_, archivo.size(), [&](char* destino, qint64 capacidad) {
        empezado = true;
        const qint64 n = archivo.read(destino, capacidad);
        if (n < 0) falloLocal = true;
        return n;
    });
    if (r.ok()) return true;
    if (empezado) borraIncompleto(ruta);
    if (falloLocal)
        registraLocal(etiqueta, CodigoCurl::LecturaLocal, archivo);
    else
        registra(etiqueta, r);
    return false;
}

bool clsFTP::RenameFTPFile(const QString& sExisting, const QString& sNewName) {
    return ordena(QStringLiteral("RenameFTPFile"),
                  {QStringLiteral("RNFR ") + absoluta(sExisting), QStringLiteral("RNTO ") + absoluta(sNewName)});
}

bool clsFTP::CreateFTPDirectory(const QString& sDirectory) {
    return ordena(QStringLiteral("CreateFTPDirectory"), {QStringLiteral("MKD ") + absoluta(sDirectory)});
}

bool clsFTP::RemoveFTPDirectory(const QString& sDirectory) {
    return ordena(QStringLiteral("RemoveFTPDirectory"), {QStringLiteral("RMD ") + absoluta(sDirectory)});
}

bool clsFTP::DeleteFTPFile(const QString& sRemote) {
    return ordena(QStringLiteral("DeleteFTPFile"), {QStringLiteral("DELE ") + absoluta(sRemote)});
}

void clsFTP::borraIncompleto(const QString& ruta) {
    // Once the server has begun to take the file, a failed or stopped upload leaves only part of
    // it there: remove it so that nobody takes it for the whole file. This is best effort and
    // keeps the message of the failure that matters.
    transporte_.ordenes({QStringLiteral("DELE ") + ruta});
}

bool clsFTP::FTPUploadFile(const QString& sLocal, const QString& sRemote) {
    const QString local = sLocal.trimmed(), remoto = sRemote.trimmed();
    if (local.isEmpty() || remoto.isEmpty()) return false;
    // The local file is opened first, so a missing one creates nothing on the server.
    QFile archivo(local);
    if (!abreLocal(archivo, QIODevice::ReadOnly, QStringLiteral("FtpOpenFile:PutFile"), CodigoCurl::LecturaLocal))
        return false;
    const qint64 total = archivo.size();
    // A stopped upload (continue flag False) reports False, with the code of an interrupted
    // transfer, and leaves no file behind: with the flag already False nothing is sent at all;
    // turned False during the upload, the part sent is deleted. An empty file has nothing left to
    // stop and is sent whatever the flag.
    if (!continuar_ && total > 0) {
        registra(QStringLiteral("FTPUploadFile"), TransporteCurl::resultado(CodigoCurl::Interrumpido));
        return false;
    }
    const QString ruta = absoluta(remoto);
    // A handler of the progress event may close the connection (that happens once this is done)
    // or destroy the session, ending the program: the transfer then stops and nothing of the
    // session is touched again.
    const QPointer<clsFTP> vivo(this);
    const auto alTerminar = qScopeGuard([this, &vivo] {
        if (vivo) transporte_.cierraSiPendiente();
    });
    qint64 enviados = 0;
    bool empezado = false, enResto = false, detenido = false, falloLocal = false;
    const ResultadoCurl r = transporte_.enviar(ruta, ascii_, total, [&](char* destino, qint64 capacidad) -> qint64 {
        empezado = true;
        if (!vivo) return -1;
        if (enviados >= total) return 0;
        if (!continuar_) {
            detenido = true;
            return -1;
        }
        const qint64 n = std::min({kTrozo, total - enviados, capacidad});
        if (!leeTodo(archivo, destino, n)) {
            falloLocal = true;
            return -1;
        }
        enviados += n;
        if (n == kTrozo) {
            QCoreApplication::processEvents();
            if (vivo) emiteProgreso(enviados, total);
        } else {
            enResto = true;  // the last, shorter piece raises no event of its own
        }
        return n;
    });
    if (!vivo) return false;
    if (r.ok()) {
        emiteProgreso(total, total);
        return true;
    }
    if (empezado) borraIncompleto(ruta);
    const QString etiqueta = !empezado ? QStringLiteral("FtpOpenFile:PutFile")
                             : enResto ? QStringLiteral("InternetWriteFile2")
                                       : QStringLiteral("InternetWriteFile");
    if (detenido)
        registra(QStringLiteral("FTPUploadFile"), r);
    else if (falloLocal)
        registraLocal(etiqueta, CodigoCurl::LecturaLocal, archivo);
    else
        registra(etiqueta, r);
    return false;
}

bool clsFTP::FTPDownloadFile(const QString& sLocal, const QString& sRemote) {
    const QString local = sLocal.trimmed(), remoto = sRemote.trimmed();
    if (local.isEmpty() || remoto.isEmpty()) return false;
    const qint64 total = GetFTPFileSize(remoto);
    if (total <= 0) return false;  // missing, unreadable or empty: nothing is opened
    // Written aside and put in place at the end: the local file ends up exactly the bytes
    // received (an older, longer file leaves nothing behind), and a failed download leaves an
    // existing file as it was.
    QSaveFile archivo(local);
    archivo.setDirectWriteFallback(true);
    if (!abreLocal(archivo, QIODevice::WriteOnly, QStringLiteral("FtpOpenFile:GetFile"), CodigoCurl::EscrituraLocal))
        return false;
    const QPointer<clsFTP> vivo(this);  // see FTPUploadFile
    const auto alTerminar = qScopeGuard([this, &vivo] {
        if (vivo) transporte_.cierraSiPendiente();
    });
    const qint64 completos = total / kTrozo * kTrozo;
    QByteArray pendiente;
    qint64 guardados = 0;
    bool falloLocal = false;
    // The continue flag is not consulted: only uploads can be stopped.
    const ResultadoCurl r = transporte_.recibir(absoluta(remoto), ascii_, [&](const char* datos, qint64 largo) {
        if (!vivo) return false;
        pendiente.append(datos, largo);
        qsizetype usados = 0;
        while (pendiente.size() - usados >= kTrozo) {
            if (archivo.write(pendiente.constData() + usados, kTrozo) != kTrozo) {
                falloLocal = true;
                return false;
            }
            usados += kTrozo;
            guardados += kTrozo;
            QCoreApplication::processEvents();
            if (!vivo) return false;
            emiteProgreso(guardados, total);
        }
        pendiente.remove(0, usados);
        return true;
    });
    if (!vivo) return false;  // the partial download is dropped with `archivo`
    const qint64 recibidos = guardados + pendiente.size();
    if (r.ok()) {
        if (archivo.write(pendiente) != pendiente.size() || !archivo.commit()) {
            registraLocal(QStringLiteral("InternetReadFile2"), CodigoCurl::EscrituraLocal, archivo);
            return false;
        }
        emiteProgreso(recibidos, total);
        return true;
    }
    archivo.cancelWriting();
    const QString etiqueta = recibidos == 0          ? QStringLiteral("FtpOpenFile:GetFile")
                             : recibidos < completos ? QStringLiteral("InternetReadFile")
                                                     : QStringLiteral("InternetReadFile2");
    if (falloLocal)
        registraLocal(etiqueta, CodigoCurl::EscrituraLocal, archivo);
    else
        registra(etiqueta, r);
    return false;
}

bool clsFTP::SimpleFTPGetFile(const QString& sLocal, const QString& sRemote) {
    const QString etiqueta = QStringLiteral("SimpleFtpGetFile");
    QSaveFile archivo(sLocal);
    archivo.setDirectWriteFallback(true);
    if (!abreLocal(archivo, QIODevice::WriteOnly, etiqueta, CodigoCurl::EscrituraLocal)) return false;
    bool falloLocal = false;
    const ResultadoCurl r = transporte_.recibir(absoluta(sRemote), ascii_, [&](const char* datos, qint64 largo) {
        falloLocal = archivo.write(datos, largo) != largo;
        return !falloLocal;
    });
    if (r.ok() && archivo.commit()) return true;
    if (r.ok() || falloLocal) {
        registraLocal(etiqueta, CodigoCurl::EscrituraLocal, archivo);
    } else {
        registra(etiqueta, r);
    }
    archivo.cancelWriting();
    return false;
}

QString clsFTP::GetFTPDirectory() {
    // The folder is the session's own; the round trip proves the server can still be reached.
    if (!ordena(QStringLiteral("FtpGetCurrentDirectory"), {QStringLiteral("NOOP")})) return {};
    return carpeta_;
}

bool clsFTP::SetFTPDirectory(const QString& sDir) {
    const QString destino = absoluta(sDir);
    const ResultadoCurl r = transporte_.ordenes({QStringLiteral("CWD ") + destino, QStringLiteral("PWD")});
    if (!r.ok()) {
        registra(QStringLiteral("FtpSetCurrentDirectory"), r);
        return false;
    }
    carpeta_ = destino;
    // The server's own spelling of the folder, when it gives one (links resolved, say).
    for (const RespuestaServidor& respuesta : r.respuestas)
        if (const QString c = RutaRemota::deRespuesta257(respuesta.texto); c.startsWith(QLatin1Char('/'))) carpeta_ = c;
    return true;
}

int clsFTP::GetFTPFileSize(const QString& sFile) {
    // SIZE names the file exactly, so the name is sent as it is: no wildcard stands in for its
    // spaces, and a name that differs elsewhere never matches.
    qint64 bytes = -1;
    const ResultadoCurl r = transporte_.tamano(absoluta(sFile), bytes);
    if (r.codigo == CodigoCurl::ArchivoRemotoAusente) return -1;
    if (!r.ok() || bytes < 0) {
        ResultadoCurl falla = r;
        if (r.ok()) falla.texto = QStringLiteral("the server gave no size");
        registra(QStringLiteral("FtpFindFirstFile"), falla);
        return -2;
    }
    return a32(bytes);
}

// The filter names a folder and a pattern for the names in it, relative to the current folder
// unless it starts with "/": "" or "sub/" list every entry of the current folder or of "sub";
// "*.png", "sub/a?.txt" or "/x/[ab]*" list the entries whose names match ("*" any run of
// characters, "?" one, "[...]" one of a set; case counts, as on most servers). A plain name is
// what the server's LIST makes of it: a folder gives the entries in it, a file that one entry.
// "." and ".." name folders.
std::shared_ptr<cDirList> clsFTP::GetDirectoryListing(const QString& sFilter) {
    lista_.reset();
    const qsizetype barra = sFilter.lastIndexOf(QLatin1Char('/'));
    QString carpeta = sFilter.left(barra + 1), patron = sFilter.mid(barra + 1);
    if (patron == QLatin1String(".") || patron == QLatin1String("..")) {
        carpeta = sFilter;
        patron.clear();
    }
    const bool comodin = patron.contains(QLatin1Char('*')) || patron.contains(QLatin1Char('?')) ||
                         patron.contains(QLatin1Char('['));
    int leidas = 0;
    if (!patron.isEmpty() && !comodin) {
        // A folder of that name is listed; when there is none the name is looked for below.
        const ResultadoCurl r = lista(absoluta(sFilter), QString(), leidas);
        if (r.ok()) return lista_;
        // A listing that failed part-way, or was refused for an overlong line, is not tried again.
        if (leidas > 0 || r.codigo == CodigoCurl::EscrituraLocal) {
            registra(leidas == 0 ? QStringLiteral("FtpFindFirstFile") : QStringLiteral("InternetFindNextFile"), r);
            return nullptr;
        }
        lista_.reset();
    }
    const ResultadoCurl r = lista(absoluta(carpeta), patron, leidas);
    if (!r.ok()) {
        registra(leidas == 0 ? QStringLiteral("FtpFindFirstFile") : QStringLiteral("InternetFindNextFile"), r);
        return nullptr;
    }
    return lista_;  // none when nothing matched (an empty folder too): not a failure, nothing recorded
}

ResultadoCurl clsFTP::lista(const QString& carpeta, const QString& patron, int& leidas) {
    const QRegularExpression coincide(patron.isEmpty() ? QStringLiteral(".*")
                                                       : QRegularExpression::wildcardToRegularExpression(patron));
    const QDateTime ahora = QDateTime::currentDateTimeUtc();
    const auto agrega = [&](const QByteArray& linea) {
        const std::optional<EntradaRemota> e = LineaListado::interpreta(QString::fromUtf8(linea));
        if (!e) return;
        // Every entry the server sent counts as read, matched or not (for the failure's label).
        ++leidas;
        if (!coincide.match(e->nombre).hasMatch()) return;
        int atributos = 0;
        if (e->carpeta) atributos |= cDirList::AtributoCarpeta;
        if (e->soloLectura) atributos |= cDirList::AtributoSoloLectura;
        if (atributos == 0) atributos = cDirList::AtributoNormal;  // a plain file with no other attribute
        // A listing gives one time; it stands for all three. An unreadable one gives day 0.
        const QDateTime hora = HoraListado::interpreta(e->hora, ahora);
        const double dias = hora.isValid() ? HoraListado::diasDesde1899(hora) : 0.0;
        if (!lista_) lista_ = std::make_shared<cDirList>();
        lista_->agrega(atributos, dias, dias, dias, a32(e->tamano), e->nombre, true);
    };
    CortaLineas lineas(agrega);
    ResultadoCurl r = transporte_.listar(carpeta, [&](const char* datos, qint64 largo) {
        return lineas.agrega(datos, largo);
    });
    if (lineas.excedida()) {
        r.texto = QStringLiteral("el servidor envió una línea de listado de más de %1 bytes; no se leyó el listado")
                      .arg(CortaLineas::kLargoMaximo);
        r.respuestaError.clear();
    }
    if (r.ok()) agrega(lineas.resto());  // a last line without its line break
    return r;
}

void clsFTP::SetTransferASCII() { ascii_ = true; }

void clsFTP::SetTransferBinary() { ascii_ = false; }

void clsFTP::SetModeActive() { pasivo_ = false; }

void clsFTP::SetModePassive() { pasivo_ = true; }

void clsFTP::SetCifrado(int iModo, const QString& sCertificadoCA) {
    cifrado_ = iModo;
    certificadoCA_ = sCertificadoCA;
}

bool clsFTP::blSigue() const { return continuar_; }

void clsFTP::blSigue(bool vNewValue) { continuar_ = vNewValue; }
