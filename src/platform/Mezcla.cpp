#include "platform/Mezcla.h"

#include <QByteArray>

namespace Mezcla {
namespace {
const QByteArray kClave = QByteArrayLiteral("Moravi-sync/kesa5");
const QChar kMarca = QLatin1Char('K');

char mezclaByte(char b, qsizetype i) {
    return static_cast<char>(b ^ kClave[i % kClave.size()] ^ static_cast<char>((i * 37 + 11) & 0xFF));
}
}

QString encripta(const QString& texto) {
    QByteArray bytes = texto.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = mezclaByte(bytes[i], i);
    return kMarca + QString::fromLatin1(bytes.toHex().toUpper());
}

QString desencripta(const QString& texto) {
    const QString t = texto.trimmed();
    if (!t.startsWith(kMarca) || (t.size() - 1) % 2 != 0) return texto;
    const QString hex = t.mid(1);
    for (QChar c : hex)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return texto;
    QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = mezclaByte(bytes[i], i);
    return QString::fromUtf8(bytes);
}
}
