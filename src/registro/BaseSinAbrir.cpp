#include "registro/BaseSinAbrir.h"

#include <QRegularExpression>

namespace BaseSinAbrir {

QString QueRevisar(bool puntoDeVenta, const QString& motivo) {
    static const QRegularExpression codigo(QStringLiteral("^\\[MySQL (\\d+)\\]"));
    const int n = codigo.match(motivo).captured(1).toInt();
    const bool tls = motivo.contains(QStringLiteral("certificado")) || motivo.contains(QStringLiteral("cifrar")) ||
                     n == 2026;
    if (puntoDeVenta) {
        if (n == 1045) return QStringLiteral("revise MySQLUsuario y MySQLPassword en S0W.ini de Sartenal Premium");
        if (n == 1044 || n == 1049)
            return QStringLiteral("revise el nombre de la base de datos en «Base de datos SRN» (pestaña «Configuración»)");
        if (n == 2002 || n == 2003 || n == 2005 || n == 2013)
            return QStringLiteral("revise que el servidor MySQL del punto de venta esté en marcha y que MySQLServer y "
                                  "MySQLPuerto en S0W.ini de Sartenal Premium lo nombren bien");
        return QStringLiteral("revise los datos MySQL de S0W.ini de Sartenal Premium y «Base de datos SRN»");
    }
    if (tls) return QStringLiteral("revise el cifrado y el certificado CA de la conexión (pestaña «Configuración»)");
    if (n == 1045) return QStringLiteral("revise el usuario y la contraseña de la tienda (pestaña «Configuración»)");
    if (n == 1044 || n == 1049) return QStringLiteral("revise «Base de datos WEB» (pestaña «Configuración»)");
    if (n == 2002 || n == 2003 || n == 2005 || n == 2013)
        return QStringLiteral("revise que el servidor de la tienda esté en marcha y se alcance desde este equipo, y su "
                              "dirección IP y puerto (pestaña «Configuración»)");
    return QStringLiteral("revise los datos de la tienda (pestaña «Configuración»)");
}

QString TextoCaida(const ResultadoEnvio::BaseSinAbrir& b, const QString& error) {
    const QString cual = b.puntoDeVenta ? QStringLiteral("del punto de venta") : QStringLiteral("de la tienda");
    // Whatever the words (a lost query, a TLS "unexpected eof"), the server or the way to it went.
    const QString revisar =
        b.puntoDeVenta
            ? QStringLiteral("revise que el servidor MySQL del punto de venta siga en marcha y la red hasta él")
            : QStringLiteral("revise que el servidor de la tienda siga en marcha y se alcance desde este equipo (la "
                             "red, un cortafuegos o un límite de tiempo del servidor), y su dirección IP y puerto "
                             "(pestaña «Configuración»)");
    return QStringLiteral("se perdió la conexión con la base de datos %1 «%2» en %3 en pleno envío: %4; %5")
        .arg(cual, b.base, b.servidor, error, revisar);
}

QString Texto(const ResultadoEnvio::BaseSinAbrir& b) {
    const QString cual = b.puntoDeVenta ? QStringLiteral("del punto de venta") : QStringLiteral("de la tienda");
    QString t = QStringLiteral("no se pudo abrir la base de datos %1 «%2» en %3").arg(cual, b.base, b.servidor);
    if (!b.motivo.isEmpty()) t += QStringLiteral(": ") + b.motivo;
    return t + QStringLiteral("; ") + QueRevisar(b.puntoDeVenta, b.motivo);
}

}
