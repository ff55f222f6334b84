#pragma once
#include "servicelib/Objeto.h"
#include <QString>

class QObject;

namespace kesa5 {

// INI access, text-to-number and the key handling of the settings boxes.
class LibTORVA : public Objeto {
public:
    // The value stored under the key, "" when the key (or the file) is absent.
    virtual QString LeeIni(const QString& seccion, const QString& clave, const QString& archivo) = 0;
    virtual void EscribeIni(const QString& seccion, const QString& clave, const QString& valor, const QString& archivo) = 0;
    // The number written at the start of the text, read like BASIC's Val: blanks skipped,
    // optional sign, digits and one decimal point, up to the first other character.
    virtual double ksVal(const QString& texto) = 0;
    // Highlights a text box on focus (selects its text).
    virtual void Resalta(QObject* caja) = 0;
    // Key-down filter of the settings boxes; may change or cancel (0) the key code.
    virtual void Teclas(int& codigoTecla) = 0;
    // Key-press filter: may change or cancel (0) the character according to the mask.
    virtual void Enter(int& caracter, const QString& mascara) = 0;
};

}  // namespace kesa5
