#include "servicelib/CrearObjeto.h"

#include "servicelib/Dialogos.h"
#include "servicelib/ErrorServicio.h"

#include <map>

namespace Registro {
namespace {
struct SinMayusculas {
    bool operator()(const QString& a, const QString& b) const {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }
};
std::map<QString, Fabrica, SinMayusculas>& tabla() {
    static std::map<QString, Fabrica, SinMayusculas> t;
    return t;
}
const QString kNoCrea = QStringLiteral("El componente no puede crear el objeto");
}

void registrar(const QString& nombreCompleto, Fabrica fabrica) { tabla()[nombreCompleto] = std::move(fabrica); }
void quitar(const QString& nombreCompleto) { tabla().erase(nombreCompleto); }

std::shared_ptr<Objeto> crear(const QString& nombreCompleto) {
    auto it = tabla().find(nombreCompleto);
    if (it == tabla().end()) throw ErrorServicio(429, kNoCrea);
    std::shared_ptr<Objeto> obj = it->second();
    if (!obj) throw ErrorServicio(429, kNoCrea);
    return obj;
}
}

void AlertaCreacion(int numero, const QString& descripcion, const QString& nombreCompleto) {
    Dialogos::MsgBox(QStringLiteral("Error nº ") + QString::number(numero) + QStringLiteral(", ") + descripcion +
                         QStringLiteral("\r\nIntentanto crear \"") + nombreCompleto + QLatin1Char('"'),
                     Dialogos::Critical, QStringLiteral("Alerta"));
}

bool CrearObjetoBase(std::shared_ptr<Objeto>& destino, const QString& clase, const QString& libreria) {
    const QString nombre = libreria + QLatin1Char('.') + clase;
    try {
        destino = Registro::crear(nombre);
        return true;
    } catch (const ErrorServicio& e) {
        destino.reset();
        AlertaCreacion(e.numero(), e.descripcion(), nombre);
        return false;
    } catch (const std::exception& e) {
        destino.reset();
        AlertaCreacion(429, QString::fromUtf8(e.what()), nombre);
        return false;
    }
}
