#include "consola/Arranque.h"

#include "config/ClavesConfiguracion.h"
#include "config/LeerConfiguracion.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/Dialogos.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Arranque {

QString NombreEjecutable() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

void PreparaRutas(const QString& carpetaDada) {
    const QString carpeta = carpetaDada.isEmpty() ? QCoreApplication::applicationDirPath() : carpetaDada;
    QDir::setCurrent(carpeta);
    G().ArchivoIni = QDir::toNativeSeparators(carpeta + QLatin1Char('/') + NombreEjecutable() + QStringLiteral(".ini"));
    G().ArchivoLineas = QDir::toNativeSeparators(carpeta + QStringLiteral("/LineasAenviar.ini"));
}

void CreaObjetosCompartidos() { G().crear(); }

bool PreparaHost(kesa5::LibTORVA& general, kesa5::DelRegistro& registro, kesa5::BasesDD& base,
                 const QString& archivoIni, bool conNombreDeBase) {
    std::shared_ptr<kesa5::LibTORVA> lib;
    std::shared_ptr<kesa5::DeArchivos> archivos;
    std::shared_ptr<kesa5::Utilerias> util;
    CrearObjeto(lib, QStringLiteral("libTORVA"));
    CrearObjeto(archivos, QStringLiteral("DeArchivos"));
    CrearObjeto(util, QStringLiteral("Utilerias"));
    if (!lib || !archivos || !util) return false;

    const QString carpeta =
        LeeIniConDefecto(Claves::kSeccion, Claves::kRutaHost, Claves::kRutaHostDefecto, general, archivoIni);
    if (registro.BuscarRegistroS0W(carpeta).isEmpty()) {
        const QString cr = QStringLiteral("\r");
        Dialogos::MsgBox(QStringLiteral("En el archivo de configuración de este programa") + cr + cr +
                             QLatin1Char('(') + archivoIni + QLatin1Char(')') + cr + cr +
                             QStringLiteral("debe indicarse la ruta correcta de Sartenal Premium.") + cr +
                             QStringLiteral("Ruta indicada e incorrecta: ") + cr + cr + carpeta,
                         Dialogos::Critical | Dialogos::OkOnly, QStringLiteral("Atención"));
        if (Dialogos::MsgBox(QStringLiteral("¿Desea editar el archivo de configuración?"),
                             Dialogos::Question | Dialogos::YesNo, QStringLiteral("Editar INI")) == Dialogos::ResultYes)
            archivos->AbreDocumento(archivoIni);
        return false;
    }

    base.cPuerto = 3306;
    base.cPassword.clear();
    base.cUsuario = QStringLiteral("root");

    // What is missing is added in one write, each key only while it still reads as it did, so
    // that sends starting together never write over each other's keys or the user's.
    const auto dato = [&](const char* nombre) { return registro.DatosS0W(QString::fromLatin1(nombre)); };
    QList<kesa5::CambioIni> faltan;
    const auto falta = [&](const char* nombre, const QString& valor) {
        faltan.append({QString(), QString::fromLatin1(nombre), valor, dato(nombre)});
    };
    if (lib->ksVal(dato("MySQLPuerto")) == 0) falta("MySQLPuerto", QString::number(base.cPuerto));
    if (dato("MySQLServer").trimmed().isEmpty()) falta("MySQLServer", dato("servidor"));
    if (dato("MySQLUsuario").trimmed().isEmpty()) falta("MySQLUsuario", util->Encripta(base.cUsuario));
    if (dato("MySQLPassword").trimmed().isEmpty()) falta("MySQLPassword", util->Encripta(base.cPassword));
    if (!faltan.isEmpty()) registro.GuardaVariosS0W(faltan);

    base.cPassword = util->DesEncripta(registro.DatosS0W(QStringLiteral("MySQLPassword")));
    base.cUsuario = util->DesEncripta(registro.DatosS0W(QStringLiteral("MySQLUsuario")));
    // A stored port that is not a number from 1 to 65535 keeps the standard 3306.
    const double puerto = lib->ksVal(registro.DatosS0W(QStringLiteral("MySQLPuerto")));
    base.cPuerto = puerto >= 1 && puerto <= 65535 ? static_cast<std::uint16_t>(puerto) : 3306;
    base.cRuta = registro.DatosS0W(QStringLiteral("MySQLServer"));

    if (conNombreDeBase)
        base.cMiBase = LeeIniConDefecto(Claves::kSeccion, Claves::kBasePrincipal, Claves::kBasePrincipalDefecto,
                                        general, archivoIni);
    return true;
}

QString TextoVersion() {
    return QStringLiteral("   v %1.%2.%3")
        .arg(MORAVI_VERSION_MAJOR)
        .arg(MORAVI_VERSION_MINOR)
        .arg(MORAVI_VERSION_PATCH);
}

bool ArranqueVisible(const QStringList& argumentos) {
    return argumentos.mid(1).join(QLatin1Char(' ')).contains(QStringLiteral("-torva"));
}

}
