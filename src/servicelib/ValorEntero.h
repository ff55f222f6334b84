#pragma once
#include <QVariant>

// True when the value holds a whole number of any width, signed or not; such a value is
// written into SQL and into the shop as its plain decimal text.
inline bool EsEntero(const QVariant& valor) {
    switch (valor.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}
