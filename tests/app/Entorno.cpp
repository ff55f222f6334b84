#include "Entorno.h"

#include "consola/Arranque.h"
#include "platform/ArchivoIniTexto.h"

#include <QDir>
#include <QFile>

namespace prueba {

Respuestas::Respuestas() {
    anterior_ = Dialogos::instalar([this](const QString& p, int b, const QString& t) {
        vistos.append({p, b, t});
        return siguientes.isEmpty() ? Dialogos::respuestaPorDefecto(b) : siguientes.takeFirst();
    });
}
Respuestas::~Respuestas() { Dialogos::instalar(anterior_); }

CarpetaPrograma::CarpetaPrograma() { qputenv("XDG_CONFIG_HOME", config_.path().toUtf8()); }

QString CarpetaPrograma::ini() const {
    return dir_.filePath(Arranque::NombreEjecutable() + QStringLiteral(".ini"));
}

void CarpetaPrograma::creaHost(const QString& lineasS0W) {
    QDir().mkpath(host());
    QFile f(host() + QStringLiteral("/S0W.ini"));
    f.open(QIODevice::WriteOnly);
    f.write((QStringLiteral("[S0W]\n") + lineasS0W).toUtf8());
    f.close();
    escribe(QStringLiteral("Configuración"), QStringLiteral("Ruta de Sartenal Premium"), host());
}

void CarpetaPrograma::escribe(const QString& seccion, const QString& clave, const QString& valor) const {
    ArchivoIniTexto::escribe(ini(), seccion, clave, valor);
}

QString CarpetaPrograma::lee(const QString& seccion, const QString& clave) const {
    return ArchivoIniTexto::lee(ini(), seccion, clave);
}

QString CarpetaPrograma::leeS0W(const QString& clave) const {
    return ArchivoIniTexto::lee(host() + QStringLiteral("/S0W.ini"), QStringLiteral("S0W"), clave);
}

}
