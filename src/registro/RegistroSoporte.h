#pragma once
#include <QString>

// The log for support, beside the settings file (`<program>.log`): one line per send and one
// per error or warning, each with its date and time. It never grows past its bound: when a
// line would take it past it, the file becomes `<program>.log.1` (replacing the one before)
// and a new one starts, so both together hold at most twice the bound.
class RegistroSoporte {
public:
    static constexpr qint64 kLimiteBytes = 1024 * 1024;

    explicit RegistroSoporte(const QString& ruta, qint64 limiteBytes = kLimiteBytes)
        : ruta_(ruta), limite_(limiteBytes) {}
    // The log beside the settings file `archivoIni` (moravi.ini -> moravi.log).
    static QString RutaJunto(const QString& archivoIni);

    // One line: "2026-12-08 11:40:02 <tipo>: <texto>", the text's control characters written
    // out as on the terminal (TextoImprimible). Writing never fails the caller: a log that
    // cannot be written is skipped.
    void Escribe(const QString& tipo, const QString& texto) const;

    const QString& Ruta() const { return ruta_; }

private:
    QString ruta_;
    qint64 limite_;
};
