#include "platform/DocumentoIni.h"

#include "platform/Windows1252.h"

#include <QStringDecoder>

namespace {
const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

bool esAscii(const QByteArray& b) {
    for (const char c : b)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool esUtf8(const QByteArray& b) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString s = utf8.decode(b);
    return !utf8.hasError();
}

QString texto(const QByteArray& b) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8.decode(b);
    return utf8.hasError() ? Windows1252::decodifica(b) : s;
}

bool mismoNombre(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
bool esBlanco(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
}

DocumentoIni::DocumentoIni(const QByteArray& bytes) {
    QByteArray datos = bytes;
    if (datos.startsWith(kBom)) {
        bom_ = kBom;
        datos.remove(0, kBom.size());
    }
    for (qsizetype inicio = 0; inicio < datos.size();) {
        const qsizetype salto = datos.indexOf('\n', inicio);
        if (salto < 0) {
            lineas_.append({datos.mid(inicio), {}});
            break;
        }
        Linea l{datos.mid(inicio, salto - inicio), QByteArrayLiteral("\n")};
        if (l.texto.endsWith('\r')) {
            l.texto.chop(1);
            l.fin = QByteArrayLiteral("\r\n");
        }
        lineas_.append(l);
        inicio = salto + 1;
    }

    bool acentosUtf8 = !bom_.isEmpty(), otrosBytes = false;
    for (const Linea& l : lineas_) {
        if (esAscii(l.texto)) continue;
        (esUtf8(l.texto) ? acentosUtf8 : otrosBytes) = true;
    }
    windows1252_ = otrosBytes && !acentosUtf8;
    for (const Linea& l : lineas_)
        if (!l.fin.isEmpty()) {
            finDeLinea_ = l.fin;
            break;
        }
#ifdef Q_OS_WIN
    if (finDeLinea_.isEmpty()) finDeLinea_ = QByteArrayLiteral("\r\n");
#else
    if (finDeLinea_.isEmpty()) finDeLinea_ = QByteArrayLiteral("\n");
#endif
}

DocumentoIni::Analisis DocumentoIni::analiza(const QByteArray& linea) {
    const QByteArray t = linea.trimmed();
    if (t.isEmpty() || t.front() == ';' || t.front() == '#') return {};
    if (t.front() == '[') {
        const qsizetype cierre = t.indexOf(']');
        if (cierre < 0) return {};
        return {Tipo::Seccion, texto(t.mid(1, cierre - 1)).trimmed(), {}, 0};
    }
    const qsizetype igual = linea.indexOf('=');
    if (igual < 0) return {};
    const QString nombre = texto(linea.left(igual)).trimmed();
    if (nombre.isEmpty()) return {};
    qsizetype inicio = igual + 1;
    while (inicio < linea.size() && (linea[inicio] == ' ' || linea[inicio] == '\t')) ++inicio;
    QString valor = texto(linea.mid(inicio).trimmed());
    if (valor.size() >= 2 && valor.startsWith(QLatin1Char('"')) && valor.endsWith(QLatin1Char('"')))
        valor = valor.mid(1, valor.size() - 2);
    return {Tipo::Clave, nombre, valor, inicio};
}

qsizetype DocumentoIni::buscaClave(const QString& seccion, const QString& clave) const {
    bool dentro = false;
    for (qsizetype i = 0; i < lineas_.size(); ++i) {
        const Analisis a = analiza(lineas_[i].texto);
        if (a.tipo == Tipo::Seccion) dentro = mismoNombre(a.nombre, seccion);
        else if (a.tipo == Tipo::Clave && dentro && mismoNombre(a.nombre, clave)) return i;
    }
    return -1;
}

std::optional<QString> DocumentoIni::valor(const QString& seccion, const QString& clave) const {
    const qsizetype i = buscaClave(seccion, clave);
    if (i < 0) return std::nullopt;
    return analiza(lineas_[i].texto).valor;
}

QList<QPair<QString, QString>> DocumentoIni::claves(const QString& seccion) const {
    QList<QPair<QString, QString>> lista;
    bool dentro = false;
    for (const Linea& l : lineas_) {
        const Analisis a = analiza(l.texto);
        if (a.tipo == Tipo::Seccion) dentro = mismoNombre(a.nombre, seccion);
        else if (a.tipo == Tipo::Clave && dentro) lista.append({a.nombre, a.valor});
    }
    return lista;
}

bool DocumentoIni::tieneSeccion(const QString& seccion) const {
    for (const Linea& l : lineas_) {
        const Analisis a = analiza(l.texto);
        if (a.tipo == Tipo::Seccion && mismoNombre(a.nombre, seccion)) return true;
    }
    return false;
}

bool DocumentoIni::tieneContenido() const {
    for (const Linea& l : lineas_)
        if (analiza(l.texto).tipo != Tipo::Otra) return true;
    return false;
}

std::optional<QByteArray> DocumentoIni::cifra(const QString& t) const {
    if (windows1252_) return Windows1252::codifica(t);
    return t.toUtf8();
}

bool DocumentoIni::pon(const QString& seccion, const QString& clave, const QString& valor) {
    QString v = valor;
    if (!v.isEmpty() && (esBlanco(v.front()) || esBlanco(v.back()) ||
                         (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))))
        v = QLatin1Char('"') + v + QLatin1Char('"');
    const std::optional<QByteArray> bytesValor = cifra(v);
    if (!bytesValor) return false;

    if (const qsizetype i = buscaClave(seccion, clave); i >= 0) {
        Linea& l = lineas_[i];
        l.texto = l.texto.left(analiza(l.texto).inicioValor) + *bytesValor;
        return true;
    }

    const std::optional<QByteArray> bytesClave = cifra(clave);
    const std::optional<QByteArray> bytesSeccion = cifra(seccion);
    if (!bytesClave || !bytesSeccion) return false;
    const Linea nueva{*bytesClave + '=' + *bytesValor, finDeLinea_};
    // The end of the section's first block: after its last key, before the blank lines and
    // comments that lead to the next section.
    qsizetype ultima = -1;
    for (qsizetype i = 0; i < lineas_.size(); ++i) {
        const Analisis a = analiza(lineas_[i].texto);
        if (a.tipo == Tipo::Seccion) {
            if (ultima >= 0) break;
            if (mismoNombre(a.nombre, seccion)) ultima = i;
        } else if (a.tipo == Tipo::Clave && ultima >= 0) {
            ultima = i;
        }
    }
    if (ultima >= 0) {
        if (lineas_[ultima].fin.isEmpty()) lineas_[ultima].fin = finDeLinea_;
        lineas_.insert(ultima + 1, nueva);
        return true;
    }
    if (!lineas_.isEmpty()) {
        if (lineas_.last().fin.isEmpty()) lineas_.last().fin = finDeLinea_;
        if (!lineas_.last().texto.trimmed().isEmpty()) lineas_.append({{}, finDeLinea_});
    }
    lineas_.append({'[' + *bytesSeccion + ']', finDeLinea_});
    lineas_.append(nueva);
    return true;
}

QByteArray DocumentoIni::bytes() const {
    QByteArray salida = bom_;
    for (const Linea& l : lineas_) salida += l.texto + l.fin;
    return salida;
}
