#pragma once
#include <QString>
#include <QVariant>
#include <optional>

// A price or stock as the shop stores it: plain decimal text with "." and no trailing
// fractional zeros (12.50 -> "12.5", 10.00 -> "10", -3.000 -> "-3", -0.0 -> "0").
// Nothing for NULL, or for a value that is not a finite number.
std::optional<QString> TextoDecimal(const QVariant& valor);

// The same for a value the point of sale may hold as text the way a person types it: a decimal
// comma ("12,50"), grouping where it cannot be taken for decimals ("1.234,56", "1,234.56",
// "1.234.567"), a currency sign or blanks around it ("$ 7.00"). `ilegible` when there is a
// value but it cannot be read as a number (it is then never taken as 0); a single separator
// followed by exactly three digits of another kind than the number's other separator is read as
// a decimal point only when it is "." ("1,234" is ambiguous and not read).
struct LecturaDecimal {
    std::optional<QString> texto;
    bool ilegible = false;
};
LecturaDecimal LeeDecimal(const QVariant& valor);

// True when the decimal text (as TextoDecimal writes it) is above zero.
bool MayorQueCero(const QString& decimal);
