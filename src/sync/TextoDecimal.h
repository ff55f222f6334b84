#pragma once
#include <QString>
#include <QVariant>
#include <optional>

// A price or stock as the shop stores it: plain decimal text with "." and no trailing
// fractional zeros (12.50 -> "12.5", 10.00 -> "10", -3.000 -> "-3", -0.0 -> "0").
// Nothing for NULL, or for a value that is not a finite number.
std::optional<QString> TextoDecimal(const QVariant& valor);

// True when the decimal text (as TextoDecimal writes it) is above zero.
bool MayorQueCero(const QString& decimal);
