#include "sync/ImagenProducto.h"

#include "config/Configuracion.h"
#include "ftp/clsFTP.h"
#include "servicelib/Compartidos.h"
#include "servicelib/ErrorServicio.h"
#include "sync/EscrituraWeb.h"
#include "sync/Reloj.h"
#include "sync/VentanaEnvio.h"

#include <QDir>
#include <QScopeGuard>
#include <algorithm>

namespace ImagenProducto {

QString CarpetaLocal(const QString& carpeta) {
    QString c = carpeta;
    c.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!c.isEmpty() && !c.endsWith(QLatin1Char('/'))) c += QLatin1Char('/');
    return QDir::toNativeSeparators(c);
}

QString ArchivoDe(const QString& carpeta, const QString& clave) {
    // An empty folder would search the working folder, an empty key every hidden file.
    if (carpeta.isEmpty() || clave.isEmpty()) return {};
    // The key is compared as text, never used as a pattern: a key holding "*", "?" or a
    // separator matches only itself. Case is ignored, as the point-of-sale's own system does.
    const QString prefijo = clave + QLatin1Char('.');
    QStringList nombres;
    for (const QString& n : QDir(CarpetaLocal(carpeta)).entryList(QDir::Files))  // plain, not hidden
        if (n.startsWith(prefijo, Qt::CaseInsensitive)) nombres << n;
    // Of several pictures the first by name (code-point order) is taken, so the choice does not
    // depend on the order the file system lists them in.
    std::sort(nombres.begin(), nombres.end());
    return nombres.value(0);
}

QString Titulo(const QString& nombre) {
    QString t = nombre;
    t.remove(QStringLiteral(".jpg"), Qt::CaseSensitive);
    t.remove(QStringLiteral(".png"), Qt::CaseSensitive);
    return t;
}

QString DireccionWeb(const QString& direccionFtp, const QString& carpetaFtp, const QString& nombre) {
    QString d = direccionFtp + carpetaFtp + nombre;
    d.replace(QStringLiteral("ftp."), QStringLiteral("https://"), Qt::CaseSensitive);
    return d;
}

void Enviar(VentanaEnvio& ventana, const QString& formatoFecha, Recordset& producto, clsFTP& sesion, ConexionPtr& cn,
            kesa5::BasesDD& web, std::int64_t postId) {
    const Configuracion& cfg = Config();
    const QString archivo = ArchivoDe(cfg.CarpetaImagenes, producto.Texto(QStringLiteral("Clave")));
    RecordsetPtr rs;
    ventana.setPorcenVisible(true);
    // Also on the way out of an error, which passes on to the run.
    const auto alSalir = qScopeGuard([&] {
        ventana.setPorcenVisible(false);
        web.CierraTabla(rs);
    });
    // Without a picture the folder itself would be recorded and sent.
    if (archivo.isEmpty()) return;

    if (!G().DeArchivos) throw ErrorServicio(91, QStringLiteral("Variable de objeto o bloque With no establecido"));
    const QString local = CarpetaLocal(cfg.CarpetaImagenes) + archivo;
    const QString direccion = DireccionWeb(cfg.DireccionFTP, cfg.CarpetaFTP, archivo);
    const QString nombre = G().DeArchivos->NombreDeArchivo(local);
    const QString titulo = Titulo(nombre);

    if (!web.AbrirBdD(cn, web.cMiBase)) return;
    std::int64_t adjuntoId = 0;
    if (web.AbrirTabla(rs, cn, QStringLiteral("wp_posts WHERE post_parent=%1 LIMIT 1").arg(postId))) {
        // Any child row of the post stands for its picture.
        adjuntoId = rs->Campo(QStringLiteral("ID")).toLongLong();
    } else {
        const Reloj::Fecha ahora = Reloj::fecha(formatoFecha);
        rs->AddNew();
        rs->Asigna(QStringLiteral("post_author"), 333);
        rs->Asigna(QStringLiteral("post_date"), ahora.local);
        rs->Asigna(QStringLiteral("post_date_gmt"), ahora.utc);
        rs->Asigna(QStringLiteral("post_title"), titulo);
        rs->Asigna(QStringLiteral("post_excerpt"), QString());
        rs->Asigna(QStringLiteral("post_status"), QStringLiteral("inherit"));
        rs->Asigna(QStringLiteral("comment_status"), QStringLiteral("closed"));
        rs->Asigna(QStringLiteral("ping_status"), QStringLiteral("closed"));
        rs->Asigna(QStringLiteral("post_password"), QString());
        rs->Asigna(QStringLiteral("post_name"), titulo);
        rs->Asigna(QStringLiteral("to_ping"), QString());
        rs->Asigna(QStringLiteral("pinged"), QString());
        rs->Asigna(QStringLiteral("post_modified"), ahora.local);
        rs->Asigna(QStringLiteral("post_modified_gmt"), ahora.utc);
        rs->Asigna(QStringLiteral("post_content_filtered"), QString());
        rs->Asigna(QStringLiteral("post_parent"), qlonglong(postId));
        rs->Asigna(QStringLiteral("Guid"), direccion);
        rs->Asigna(QStringLiteral("post_type"), QStringLiteral("attachment"));
        rs->Asigna(QStringLiteral("post_mime_type"), QStringLiteral("image/jpeg"));  // PNG files too
        rs->Asigna(QStringLiteral("post_content"), QString());
        rs->Update();
        adjuntoId = web.LastId(cn, QStringLiteral("wp_posts"), QStringLiteral("ID"));
    }
    EscrituraWeb::ActualizarMeta(web, cn, adjuntoId, QStringLiteral("_wp_attached_file"),
                                 QStringLiteral("imagenes/") + nombre);

    // The rows stay when the upload fails; a file that cannot be read is refused by the
    // session before anything reaches the server.
    sesion.SetCifrado(cfg.CifradoFTP, cfg.CertificadoCAFTP);
    if (sesion.OpenConnection(cfg.DireccionFTP, cfg.UsuarioFTP, cfg.ContrasenaFTP))
        sesion.FTPUploadFile(local, cfg.CarpetaFTP + nombre);
}

}
