#include "app/VistaPreviaConsola.h"

#include "servicelib/TextoImprimible.h"

#include <exception>

int ImprimeVistaPrevia(clsProcedimenti& proc, QTextStream& salida, QTextStream& errores) {
    VistaPreviaEnvio v;
    try {
        v = proc.VistaPrevia();
    } catch (const std::exception& e) {
        errores << "La vista previa no pudo leer las bases de datos: " << TextoImprimible(QString::fromUtf8(e.what())) << "\n";
        return 1;
    }
    if (!v.leida) {
        errores << "La vista previa no pudo abrir la base de datos del punto de venta o la de la tienda"
                << (v.motivo.isEmpty() ? QString() : QStringLiteral(": ") + TextoImprimible(v.motivo)) << "\n";
        return 1;
    }
    for (const VistaPreviaEnvio::Nuevo& n : v.nuevos)
        salida << "Nuevo: " << TextoImprimible(n.clave) << " «" << TextoImprimible(n.titulo) << "» ("
               << (n.nombre.isEmpty() ? QStringLiteral("nombre: su número de entrada") : QStringLiteral("nombre: ") + n.nombre)
               << ")\n";
    for (const VistaPreviaEnvio::Cambio& c : v.cambios)
        salida << "Cambio: " << TextoImprimible(c.clave) << " " << c.campo << ": "
               << (c.falta ? QStringLiteral("(no está)") : TextoImprimible(c.antes)) << " → "
               << TextoImprimible(c.despues) << (c.motivo.isEmpty() ? QString() : QStringLiteral(" (") + c.motivo + QLatin1Char(')'))
               << "\n";
    for (const VistaPreviaEnvio::Nota& n : v.notas)
        salida << "Se conserva: " << TextoImprimible(n.clave) << " " << TextoImprimible(n.texto) << "\n";
    for (const QString& aviso : v.avisos) errores << "Aviso: " << TextoImprimible(aviso) << "\n";
    salida << "Al día: " << v.total - v.cambiarian << " productos\n";
    salida << "Vista previa: " << v.cambiarian << " de " << v.total << " productos cambiarían (nuevos: "
           << v.nuevos.size() << ")\n";
    salida.flush();
    return 0;
}
