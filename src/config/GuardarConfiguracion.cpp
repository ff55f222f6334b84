#include "config/GuardarConfiguracion.h"

#include "config/ClavesConfiguracion.h"
#include "config/Lineas.h"
#include "servicelib/Compartidos.h"

Estrucs EstrucsDeFila(const QStringList& columnas) {
    auto col = [&](int i) { return i < columnas.size() ? columnas[i].trimmed() : QString(); };
    return Estrucs{col(0), col(1), col(2), col(3), col(4)};
}

QString GuardarConfiguracion(const VistaConfiguracion& vista, const QList<QStringList>& filasReja) {
    kesa5::LibTORVA& lib = *G().libTORVA;
    kesa5::Utilerias& util = *G().Utilerias;
    QList<kesa5::CambioIni> cambios;
    // Each key from its box in its stored form: scrambled, a number as the number read from
    // the box (the interval and the port), a CA file or a table prefix without blanks around
    // it, or as typed.
    auto guardado = [&](const Claves::Clave& c) {
        const QString dato = vista.dato(c.caja);
        if (c.encriptada) return util.Encripta(dato);
        if (c.tipo == Claves::Tipo::Entero16 || c.tipo == Claves::Tipo::Puerto)
            return QString::number(static_cast<qint64>(lib.ksVal(dato)));
        if (c.tipo == Claves::Tipo::CertificadoCA || c.tipo == Claves::Tipo::PrefijoTablas) return dato.trimmed();
        return dato;
    };
    cambios.append({Claves::kSeccion, Claves::kBasePrincipal, guardado(Claves::basePrincipal())});
    for (const Claves::Clave& c : Claves::deEnvio()) cambios.append({Claves::kSeccion, c.nombre, guardado(c)});

    const QString campos = QStringLiteral("Campos");
    for (const QStringList& fila : filasReja) {
        const Estrucs e = EstrucsDeFila(fila);
        cambios.append({campos, e.DeSR + QStringLiteral(".CampoWEB"), e.DeWeb});
        cambios.append({campos, e.DeSR + QStringLiteral(".TablaExterna"), e.TablaExterna});
        cambios.append({campos, e.DeSR + QStringLiteral(".CampoEnProds"), e.LlaveEnProds});
        cambios.append({campos, e.DeSR + QStringLiteral(".CampoEnTablaExt"), e.LlaveEnTablaExterna});
    }

    // The selection goes first: when it cannot be saved nothing is, and when the settings then
    // fail, the file of the selection still matches the marks on the screen.
    if (const QString error = GuardarLineas(vista); !error.isEmpty()) return error;
    return lib.EscribeIniVarias(cambios, G().ArchivoIni, false);
}
