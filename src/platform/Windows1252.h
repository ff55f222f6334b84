#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// The Windows form of Latin-1, in which text saved by Windows editors and by the point-of-sale
// product arrives: Latin-1 except for 0x80..0x9F, which hold the euro sign, curly quotes and a
// few letters. Qt converts only Latin-1, so the 32 differences are kept here.
namespace Windows1252 {
QString decodifica(const QByteArray& bytes);
// Nothing when a character has no byte in Windows-1252.
std::optional<QByteArray> codifica(const QString& texto);
}
