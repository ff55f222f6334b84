#include "config/Lineas.h"

#include "config/Configuracion.h"
#include "servicelib/Compartidos.h"

namespace {
const QString kSeccionLineas = QStringLiteral("Líneas a pasar");
QString claveLinea(qint64 id) { return QStringLiteral("Linea ") + QString::number(id); }
}

qint64 IdDeLinea(const QString& textoItem) {
    // Ten characters hold at most 9999999999, beyond 32 bits: keep 64.
    return static_cast<qint64>(G().libTORVA->ksVal(textoItem.right(10)));
}

void ActualizaCuentaLineas(VistaConfiguracion& vista) {
    int marcadas = 0;
    for (int i = 0; i < vista.lineasCuenta(); ++i)
        if (vista.lineaMarcada(i)) ++marcadas;
    Config().LineasMarcadas = static_cast<std::int16_t>(std::min(marcadas, 32767));
    vista.setLabel4(QString::number(Config().LineasMarcadas));
}

void LeerLineas(VistaConfiguracion& vista) {
    if (vista.lineasCuenta() == 0 && G().BasesDD) {
        kesa5::BasesDD& bd = *G().BasesDD;
        ConexionPtr cn;
        RecordsetPtr rs;
        if (bd.AbrirBdD(cn, bd.cMiBase)) {
            try {
                bd.AbrirTabla(rs, cn, QStringLiteral("lineas ORDER BY LINEA"), QStringLiteral("Id, Linea"));
                for (; rs && !rs->EOF_(); rs->MoveNext()) {
                    const QString id = rs->Texto(QStringLiteral("ID"));
                    vista.agregaLinea(QString(5, QLatin1Char(' ')) + rs->Texto(QStringLiteral("linea")) +
                                      QString(200, QLatin1Char(' ')) + id);
                    if (G().libTORVA->LeeIni(kSeccionLineas, QStringLiteral("Linea ") + id, G().ArchivoLineas) ==
                        QStringLiteral("1"))
                        vista.setLineaMarcada(vista.lineasCuenta() - 1, true);
                }
            } catch (const std::exception&) {
                // A point-of-sale database without a usable `lineas` table leaves the list as
                // far as it got; the send then takes every line when none is marked.
            }
        }
        bd.CierraTabla(rs);
        bd.CierraBdD(cn);
    }
    ActualizaCuentaLineas(vista);
}

void MarcarLineas(VistaConfiguracion& vista, bool bMarcar) {
    for (int i = 0; i < vista.lineasCuenta(); ++i) vista.setLineaMarcada(i, bMarcar);
    ActualizaCuentaLineas(vista);
}

void GuardarLineas(const VistaConfiguracion& vista) {
    // An empty list means the lines could not be read from the point-of-sale database: the
    // saved selection is kept rather than wiped.
    if (vista.lineasCuenta() == 0) return;
    G().DeArchivos->BorraArchivo(G().ArchivoLineas);
    for (int i = 0; i < vista.lineasCuenta(); ++i) {
        const qint64 id = IdDeLinea(vista.lineaTexto(i));
        if (vista.lineaMarcada(i)) G().libTORVA->EscribeIni(kSeccionLineas, claveLinea(id), QStringLiteral("1"), G().ArchivoLineas);
    }
}
