#include "config/Lineas.h"

#include "config/Configuracion.h"
#include "servicelib/Categorias.h"
#include "servicelib/Compartidos.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {
const QString kSeccionLineas = QStringLiteral("Líneas a pasar");
QString claveLinea(qint64 id) { return QStringLiteral("Linea ") + QString::number(id); }
}


void ActualizaCuentaLineas(VistaConfiguracion& vista) {
    int marcadas = 0;
    for (int i = 0; i < vista.lineasCuenta(); ++i)
        if (vista.lineaMarcada(i)) ++marcadas;
    Config().LineasMarcadas = static_cast<std::int16_t>(std::min(marcadas, 32767));
    vista.setLabel4(QString::number(Config().LineasMarcadas));
}

namespace {
// The saved selection, read once: the first value of each key, names without regard to case.
struct SeleccionGuardada {
    QHash<QString, QString> guardado;
    bool hayMarcadas = false;
    bool legible = false;
    QString error;

    SeleccionGuardada() {
        QList<QPair<QString, QString>> claves;
        legible = G().libTORVA->LeeSeccionIni(kSeccionLineas, G().ArchivoLineas, claves, error);
        for (const auto& [clave, valor] : claves) {
            if (!guardado.contains(clave.toLower())) guardado.insert(clave.toLower(), valor);
            hayMarcadas = hayMarcadas || valor == QStringLiteral("1");
        }
    }
    bool marcada(const QString& id) const {
        return guardado.value(QStringLiteral("linea ") + id.toLower()) == QStringLiteral("1");
    }
};
}

void LeerLineas(VistaConfiguracion& vista) {
    if (vista.lineasCuenta() == 0 && G().BasesDD) {
        const SeleccionGuardada seleccion;
        const bool legible = seleccion.legible;
        const bool hayMarcadas = seleccion.hayMarcadas;
        const QString& error = seleccion.error;

        // The whole list is read before any of it is shown: a list cut short by an error would
        // make a selection of some lines look like a selection of fewer (or of none: every line).
        struct Item {
            qint64 id;
            QString nombre;
            bool marcada;
        };
        QList<Item> items;
        bool completa = false;
        kesa5::BasesDD& bd = *G().BasesDD;
        ConexionPtr cn;
        RecordsetPtr rs;
        if (bd.AbrirBdD(cn, bd.cMiBase)) {
            try {
                bd.AbrirTabla(rs, cn, QStringLiteral("lineas ORDER BY LINEA"), QStringLiteral("Id, Linea"));
                for (; rs && !rs->EOF_(); rs->MoveNext()) {
                    const QString id = rs->Texto(QStringLiteral("ID"));
                    items.append({static_cast<qint64>(G().libTORVA->ksVal(id)), rs->Texto(QStringLiteral("linea")),
                                  seleccion.marcada(id)});
                }
                completa = true;
            } catch (const std::exception& e) {
                // A point-of-sale database without a usable `lineas` table leaves the list empty;
                // the next send tries again.
                qCDebug(lcConfig) << "no se pudieron leer las líneas de productos:" << e.what();
            }
        }
        bd.CierraTabla(rs);
        bd.CierraBdD(cn);
        for (const Item& item : items) {
            vista.agregaLinea(item.id, item.nombre);
            if (item.marcada) vista.setLineaMarcada(vista.lineasCuenta() - 1, true);
        }

        Config().SeleccionIlegible.clear();
        if (!legible)
            Config().SeleccionIlegible =
                QStringLiteral("No se pudo leer la selección de líneas guardada. ") + error + u'.';
        else if (!completa && hayMarcadas)
            Config().SeleccionIlegible = QStringLiteral(
                                             "No se pudo leer la lista de líneas de la base de datos y hay "
                                             "líneas marcadas en \"%1\".")
                                             .arg(QDir::toNativeSeparators(G().ArchivoLineas));
    }
    ActualizaCuentaLineas(vista);
}

void RestauraMarcasLineas(VistaConfiguracion& vista) {
    const SeleccionGuardada seleccion;
    if (!seleccion.legible) return;  // marks that cannot be read are left as they are shown
    for (int i = 0; i < vista.lineasCuenta(); ++i)
        vista.setLineaMarcada(i, seleccion.marcada(QString::number(vista.lineaId(i))));
    ActualizaCuentaLineas(vista);
}

void MarcarLineas(VistaConfiguracion& vista, bool bMarcar) {
    for (int i = 0; i < vista.lineasCuenta(); ++i) vista.setLineaMarcada(i, bMarcar);
    ActualizaCuentaLineas(vista);
}

QString GuardarLineas(const VistaConfiguracion& vista) {
    // An empty list means the lines could not be read from the point-of-sale database: the
    // saved selection is kept rather than wiped.
    if (vista.lineasCuenta() == 0) return {};
    QList<kesa5::CambioIni> marcadas;
    for (int i = 0; i < vista.lineasCuenta(); ++i)
        if (vista.lineaMarcada(i)) marcadas.append({kSeccionLineas, claveLinea(vista.lineaId(i)), QStringLiteral("1")});
    if (marcadas.isEmpty()) {
        // A selection that could not be read is not turned into "every line" by a save that
        // marks nothing: only lines the user marks replace it.
        if (!Config().SeleccionIlegible.isEmpty()) return {};
        G().DeArchivos->BorraArchivo(G().ArchivoLineas);
        if (QFileInfo::exists(G().ArchivoLineas))
            return QStringLiteral("No se pudo borrar \"%1\"").arg(QDir::toNativeSeparators(G().ArchivoLineas));
        return {};
    }
    const QString error = G().libTORVA->EscribeIniVarias(marcadas, G().ArchivoLineas, true);
    if (error.isEmpty()) Config().SeleccionIlegible.clear();
    return error;
}
