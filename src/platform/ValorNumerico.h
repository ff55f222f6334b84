#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// Text-to-number rules shared by the service library stand-in and the settings.
namespace ValorNumerico {
// BASIC's Val: leading blanks skipped, optional sign, digits and one decimal point,
// stopping at the first other character. "12abc" is 12, "abc" and "" are 0.
double val(const QString& texto);
// A whole number in the signed 16-bit range written alone in the text (blanks around it
// allowed); nothing otherwise.
std::optional<std::int16_t> entero16(const QString& texto);
}
