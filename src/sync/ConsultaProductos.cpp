#include "sync/ConsultaProductos.h"

#include <QStringList>

QString FiltroLineas(const VistaConfiguracion& vista, std::int16_t lineasMarcadas) {
    if (lineasMarcadas <= 0) return QString();
    QStringList lineas;
    for (int i = 0; i < vista.lineasCuenta(); ++i)
        if (vista.lineaMarcada(i)) lineas << QStringLiteral("Linea=") + QString::number(vista.lineaId(i));
    if (lineas.isEmpty()) return QString();
    return QStringLiteral(" AND (") + lineas.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString ConsultaProductos(const VistaConfiguracion& vista, std::int16_t lineasMarcadas) {
    return QStringLiteral("productos WHERE Clave NOT LIKE 'XFDD%' AND Clave NOT LIKE 'XFCT%'") +
           FiltroLineas(vista, lineasMarcadas) + QStringLiteral(" ORDER BY Clave");
}
