#include "app/RegistroSoporte.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

QString RegistroSoporte::RutaJunto(const QString& archivoIni) {
    const QFileInfo ini(QDir::fromNativeSeparators(archivoIni));
    return QDir::toNativeSeparators(ini.path() + QLatin1Char('/') + ini.completeBaseName() + QStringLiteral(".log"));
}

QString RegistroSoporte::EscapaControles(const QString& texto) {
    QString r;
    r.reserve(texto.size());
    for (const QChar c : texto) {
        const char16_t u = c.unicode();
        if (u == u'\\') r += QStringLiteral("\\\\");
        else if (u == u'\n') r += QStringLiteral("\\n");
        else if (u == u'\r') r += QStringLiteral("\\r");
        else if (u == u'\t') r += QStringLiteral("\\t");
        else if (u < 0x20 || u == 0x7f) r += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        // C1 controls, line and paragraph separators, and the direction overrides that can
        // make a line read otherwise than it is.
        else if ((u >= 0x80 && u < 0xa0) || u == 0x2028 || u == 0x2029 || (u >= 0x202a && u <= 0x202e) ||
                 (u >= 0x2066 && u <= 0x2069))
            r += QStringLiteral("\\u{%1}").arg(u, 4, 16, QLatin1Char('0'));
        else r += c;
    }
    return r;
}

void RegistroSoporte::Escribe(const QString& tipo, const QString& texto) const {
    const QByteArray linea = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                              QLatin1Char(' ') + tipo + QStringLiteral(": ") + EscapaControles(texto))
                                 .toUtf8()
                                 .left(static_cast<qsizetype>(std::max<qint64>(64, limite_ / 4))) +
                             '\n';
    // The window and a scheduled "-enviar" share the file: one writer (and one rotation) at a time.
    QLockFile candado(ruta_ + QStringLiteral(".lock"));
    candado.setStaleLockTime(30000);
    const bool conCandado = candado.tryLock(2000);
    QFile f(ruta_);
    if (f.exists() && f.size() + linea.size() > limite_) {
        const QString anterior = ruta_ + QStringLiteral(".1");
        QFile::remove(anterior);
        if (!QFile::rename(ruta_, anterior)) QFile::remove(ruta_);  // bounded even when it cannot be kept
    }
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        f.write(linea);
        f.close();
    }
    if (conCandado) candado.unlock();
}
