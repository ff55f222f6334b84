#include "config/ValidaAjuste.h"

#include "servicelib/Compartidos.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace ValidaAjuste {
namespace {
std::optional<long> entero(const QString& texto) {
    bool ok = false;
    const long v = texto.trimmed().toLong(&ok);
    return ok ? std::optional<long>(v) : std::nullopt;
}
}

bool prefijoValido(const QString& prefijo) {
    static const QRegularExpression valido(QStringLiteral("^[A-Za-z0-9_]+$"));
    return valido.match(prefijo).hasMatch();
}

QString corrigeNumero(const Claves::Clave& clave, const QString& texto) {
    switch (clave.tipo) {
    case Claves::Tipo::Puerto:
    case Claves::Tipo::Entero16: {
        const auto v = entero(texto);
        return v && clave.guardado.contiene(*v) ? QString::number(*v) : clave.defecto;
    }
    case Claves::Tipo::NumeroPrecio: {
        const QString t = texto.trimmed();
        const double v = G().libTORVA->ksVal(t);
        const bool numero = !t.isEmpty() && (t[0].isDigit() || t[0] == QLatin1Char('+'));
        // The whole part is what counts: 5.9 is price 5.
        return numero && v >= clave.guardado.minimo && v < clave.guardado.maximo + 1 ? texto : clave.defecto;
    }
    case Claves::Tipo::Cifrado: {
        const QString t = texto.trimmed();
        const auto v = entero(t);
        return v && clave.guardado.contiene(*v) && t.size() == 1 ? t : clave.defecto;
    }
    case Claves::Tipo::PrefijoTablas: return prefijoValido(texto.trimmed()) ? texto.trimmed() : clave.defecto;
    case Claves::Tipo::Texto:
    case Claves::Tipo::CertificadoCA: break;
    }
    return texto;
}

std::optional<QString> problemaCertificado(const QString& ruta) {
    const QString r = ruta.trimmed();
    if (r.isEmpty()) return std::nullopt;
    const QFileInfo f(r);
    if (!f.exists()) return QStringLiteral("No se encontró el archivo del certificado CA \"%1\"").arg(r);
    if (!f.isFile() || !f.isReadable())
        return QStringLiteral("El certificado CA \"%1\" no es un archivo que se pueda leer").arg(r);
    return std::nullopt;
}

std::optional<QString> validaEntrada(const Claves::Clave& clave, const QString& texto, QString& motivo) {
    const auto v = entero(texto);
    const bool enRango = v && clave.tecleado.contiene(*v);
    const QString de = QString::number(clave.tecleado.minimo), a = QString::number(clave.tecleado.maximo);
    switch (clave.tipo) {
    case Claves::Tipo::Entero16:
        if (enRango) return QString::number(*v);
        motivo = QStringLiteral("debe ser un número entero de %1 a %2").arg(de, a);
        return std::nullopt;
    case Claves::Tipo::Puerto:
        if (enRango) return QString::number(*v);
        motivo = QStringLiteral("debe ser un número de puerto de %1 a %2").arg(de, a);
        return std::nullopt;
    case Claves::Tipo::NumeroPrecio:
        if (enRango) return QString::number(*v);
        motivo = QStringLiteral("debe ser un número de %1 a %2").arg(de, a);
        return std::nullopt;
    case Claves::Tipo::Cifrado:
        if (enRango) return QString::number(*v);
        motivo = QStringLiteral(
            "debe ser 0 (sin cifrado), 1 (cifrado si el servidor lo ofrece) o 2 (cifrado "
            "verificado con el certificado CA)");
        return std::nullopt;
    case Claves::Tipo::CertificadoCA:
        // Stored as a full path: the program may run from another folder than this command.
        if (texto.trimmed().isEmpty()) return QString();
        if (const auto problema = problemaCertificado(texto)) {
            motivo = QStringLiteral("(") + *problema + QStringLiteral(")");
            return std::nullopt;
        }
        return QFileInfo(texto.trimmed()).absoluteFilePath();
    case Claves::Tipo::PrefijoTablas:
        if (prefijoValido(texto.trimmed())) return texto.trimmed();
        motivo = QStringLiteral("solo puede llevar letras, cifras y «_» (el habitual es %1)").arg(clave.defecto);
        return std::nullopt;
    case Claves::Tipo::Texto: break;
    }
    return texto;
}
}
