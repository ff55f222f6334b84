#pragma once
#include "servicelib/Objeto.h"
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

class QObject;

namespace kesa5 {

// One key to store with EscribeIniVarias.
struct CambioIni {
    QString seccion;
    QString clave;
    QString valor;
    // When set, the key is stored only while the file still holds this value under it (an
    // absent key holds ""), checked under the write's lock: a default or a correction never
    // overwrites what another process stored since the file was read.
    std::optional<QString> siEra = std::nullopt;
};

// INI access, text-to-number and the key handling of the settings boxes.
class LibTORVA : public Objeto {
public:
    // The value stored under the key, "" when the key (or the file) is absent.
    virtual QString LeeIni(const QString& seccion, const QString& clave, const QString& archivo) = 0;
    // Files written here are readable by their owner only: the settings hold credentials.
    virtual void EscribeIni(const QString& seccion, const QString& clave, const QString& valor, const QString& archivo) = 0;
    // Stores every change with one write of the whole file, all or nothing: on any failure the
    // file stays byte for byte. With `soloEstos` the file then holds these keys and no others.
    // Writers of one file, in this process or others, take turns (a lock file beside it), and
    // each re-reads the file under the lock.
    // Returns "" when stored, otherwise what went wrong, in words for the user.
    virtual QString EscribeIniVarias(const QList<CambioIni>& cambios, const QString& archivo, bool soloEstos) = 0;
    // Every key of a section with its value, in file order, read at once; an absent file is an
    // empty section. False, with `error` saying why, when the file exists and cannot be read, or
    // holds sections or keys but not this section.
    virtual bool LeeSeccionIni(const QString& seccion, const QString& archivo, QList<QPair<QString, QString>>& claves,
                               QString& error) = 0;
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
