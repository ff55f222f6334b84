#include "app/PruebaConexiones.h"

#include "registro/BaseSinAbrir.h"

#include <QRegularExpression>
#include <exception>

namespace {
QString Donde(const kesa5::BasesDD& bd) {
    return QStringLiteral("«%1» en %2:%3").arg(bd.cMiBase, bd.cRuta).arg(bd.cPuerto);
}

qint64 Cuenta(Conexion& cn, const QString& sql) {
    qint64 n = 0;
    cn.Recorre(sql, [&n](const FilaLeida& fila) { n = fila.value(0).toLongLong(); });
    return n;
}

// Dials `bd`; a line on whether it answered, and with `cuenta` what it holds.
bool Dial(kesa5::BasesDD& bd, bool puntoDeVenta, QString& linea) {
    const QString nombre = puntoDeVenta ? QStringLiteral("Punto de venta: ") : QStringLiteral("Tienda: ");
    ConexionPtr cn;
    if (!bd.AbrirBdD(cn, bd.cMiBase)) {
        // A server error (1000 to 1999: unknown database, access denied) is an answer, a refusal.
        static const QRegularExpression codigo(QStringLiteral("^\\[MySQL (\\d+)\\]"));
        const int n = codigo.match(bd.cUltimoError).captured(1).toInt();
        const bool respondio = n >= 1000 && n < 2000;
        linea = nombre + Donde(bd) +
                (respondio ? QStringLiteral(" respondió con un error: ") : QStringLiteral(" no respondió.\n")) +
                bd.cUltimoError + QStringLiteral("\nPor favor, ") +
                BaseSinAbrir::QueRevisar(puntoDeVenta, bd.cUltimoError) + u'.';
        return false;
    }
    linea = nombre + Donde(bd) + QStringLiteral(" respondió");
    if (puntoDeVenta) {
        // The products a send would select with no line marked, and the lines to mark.
        try {
            const qint64 productos = Cuenta(*cn, QStringLiteral("SELECT COUNT(*) FROM productos WHERE Clave NOT LIKE "
                                                                "'XFDD%' AND Clave NOT LIKE 'XFCT%'"));
            const qint64 lineas = Cuenta(*cn, QStringLiteral("SELECT COUNT(*) FROM lineas"));
            linea += QStringLiteral(": %1 productos en %2 líneas").arg(productos).arg(lineas);
        } catch (const std::exception& e) {
            linea += QStringLiteral(", pero no se pudieron contar sus productos y líneas: ") + QString::fromUtf8(e.what());
            bd.CierraBdD(cn);
            return false;
        }
    }
    linea += u'.';
    bd.CierraBdD(cn);
    return true;
}
}

PruebaConexiones PruebaConexiones::Prueba(kesa5::BasesDD& tienda, kesa5::BasesDD& puntoDeVenta) {
    PruebaConexiones p;
    QString deTienda, dePuntoDeVenta;
    p.tienda = Dial(tienda, false, deTienda);
    p.puntoDeVenta = Dial(puntoDeVenta, true, dePuntoDeVenta);
    p.texto = (p.correcta() ? QStringLiteral("Conexión correcta a la base de datos")
                            : QStringLiteral("No se estableció conexión a la base de datos")) +
              QStringLiteral("\n\n") + deTienda + QStringLiteral("\n\n") + dePuntoDeVenta;
    return p;
}
