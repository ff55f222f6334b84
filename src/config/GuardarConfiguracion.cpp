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
    const QString& sec = Claves::kSeccion;
    QList<kesa5::CambioIni> cambios;
    auto clara = [&](const QString& clave, const QString& valor) { cambios.append({sec, clave, valor}); };
    auto mezclada = [&](const char* clave, int caja) {
        cambios.append({sec, QString::fromUtf8(clave), util.Encripta(vista.dato(caja))});
    };
    auto numero = [&](int caja) { return QString::number(static_cast<qint64>(lib.ksVal(vista.dato(caja)))); };

    clara(Claves::kBasePrincipal, vista.dato(0));
    clara(Claves::kIntervalo, numero(1));
    mezclada("Usuario WEB", 3);
    mezclada("Contraseña WEB", 5);
    mezclada("Dirección IP", 4);
    mezclada("Base de datos WEB", 2);
    mezclada("Nombre de la tabla", 6);
    clara(Claves::kPuerto, numero(7));
    mezclada("Tabla externa para imágenes", 9);
    mezclada("Llave en productos para imagen", 10);
    mezclada("Llave en tabla externa para imagen", 11);
    mezclada("Dirección del FTP", 12);
    mezclada("Carpeta del FTP", 13);
    mezclada("Usuario del FTP", 14);
    mezclada("Password del FTP", 15);
    mezclada("Campo en tabla externa para imagen", 16);
    mezclada("Prefijo para el campo en tabla de imagen", 17);
    mezclada("Campo en productos para talla o color", 8);
    clara(Claves::kNumeroPrecio, vista.dato(18));
    clara(Claves::kCifradoWeb, vista.dato(Claves::kCajaCifradoWeb));
    clara(Claves::kCertificadoCAWeb, vista.dato(Claves::kCajaCertificadoCAWeb).trimmed());
    clara(Claves::kCifradoFTP, vista.dato(Claves::kCajaCifradoFTP));
    clara(Claves::kCertificadoCAFTP, vista.dato(Claves::kCajaCertificadoCAFTP).trimmed());

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
