#include "config/AjustarDesdeLinea.h"

#include "config/ClavesConfiguracion.h"
#include "config/ValidaAjuste.h"
#include "servicelib/Compartidos.h"

#include <QStringDecoder>

#include <utility>
#include <vector>

namespace {
// A line read from the input without its line ending; nothing when it is not valid UTF-8.
std::optional<QString> deUtf8(QByteArray linea) {
    while (linea.endsWith('\n') || linea.endsWith('\r')) linea.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texto = utf8.decode(linea);
    if (utf8.hasError()) return std::nullopt;
    return texto;
}

// The keys "-ajustar" accepts, one a line, as a typo's answer.
void ListaClaves(QTextStream& errores) {
    errores << "Claves válidas de la sección \"" << Claves::kSeccion << "\":\n";
    errores << "  " << Claves::kRutaHost << "\n  " << Claves::basePrincipal().nombre << "\n";
    for (const Claves::Clave& c : Claves::deEnvio()) errores << "  " << c.nombre << "\n";
}
}

int AjustarDesdeLinea(const QStringList& pares, QTextStream& salida, QTextStream& errores,
                      const LectorEntrada& entrada) {
    if (pares.isEmpty()) {
        errores << "Uso: moravi -ajustar \"Clave=valor\" ...  (claves de la sección \"" << Claves::kSeccion << "\")\n";
        return 2;
    }
    std::vector<std::pair<const Claves::Clave*, QString>> cambios;
    for (const QString& par : pares) {
        const qsizetype igual = par.indexOf(QLatin1Char('='));
        const QString nombre = igual < 0 ? par : par.left(igual).trimmed();
        const Claves::Clave* clave = Claves::busca(nombre);
        if (igual < 0 || !clave) {
            errores << "Clave desconocida: \"" << nombre << "\". No se cambió nada.\n";
            ListaClaves(errores);
            return 2;
        }
        QString valor = par.mid(igual + 1);
        if (valor == QStringLiteral("-")) {
            const std::optional<QByteArray> linea = entrada ? entrada(nombre) : std::nullopt;
            if (!linea) {
                errores << "No llegó ningún valor para \"" << nombre
                        << "\" por la entrada estándar. No se cambió nada.\n";
                return 2;
            }
            const std::optional<QString> texto = deUtf8(*linea);
            if (!texto) {
                errores << "El valor para \"" << nombre
                        << "\" leído de la entrada estándar no es texto UTF-8 válido. No se cambió nada.\n";
                return 2;
            }
            valor = *texto;
        } else if (valor.contains(QChar::ReplacementCharacter)) {
            // The command line arrives decoded from UTF-8, with each invalid byte replaced.
            errores << "El valor para \"" << nombre << "\" no es texto UTF-8 válido. No se cambió nada.\n";
            return 2;
        }
        if (clave->tipo != Claves::Tipo::Texto) {
            QString motivo;
            const auto bueno = ValidaAjuste::validaEntrada(*clave, valor, motivo);
            if (!bueno) {
                errores << "Valor no válido para \"" << nombre << "\": \"" << valor << "\" " << motivo
                        << ". No se cambió nada.\n";
                return 2;
            }
            valor = *bueno;
        }
        cambios.emplace_back(clave, valor);
    }
    QList<kesa5::CambioIni> porGrabar;
    for (const auto& [clave, valor] : cambios)
        porGrabar.append({Claves::kSeccion, clave->nombre, clave->encriptada ? G().Utilerias->Encripta(valor) : valor});
    if (const QString error = G().libTORVA->EscribeIniVarias(porGrabar, G().ArchivoIni, false); !error.isEmpty()) {
        errores << error << ". No se cambió nada.\n";
        return 1;
    }
    // Users and passwords are shown masked, as on the screen.
    for (const auto& [clave, valor] : cambios)
        salida << clave->nombre << " = " << (clave->secreta ? QStringLiteral("********") : valor)
               << (clave->encriptada ? " (guardado encriptado)" : "") << "\n";
    salida.flush();
    return 0;
}
