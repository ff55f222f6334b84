#pragma once
#include <QElapsedTimer>
#include <QString>

class QTextStream;

// "-enviar" on a terminal: one progress line rewritten in place (products n of m, products
// per second, time left) instead of a line per chunk. Output to a file or a pipe keeps its
// lines, so logs and cron mail stay readable; this class is then not used.
class ProgresoConsola {
public:
    explicit ProgresoConsola(QTextStream& salida);

    // True when standard output is a terminal.
    static bool SalidaEsTerminal();
    // "Productos 40 de 120, 85.3 productos/s, faltan 0.9 s" after `ms` milliseconds.
    static QString Linea(int hechos, int total, qint64 ms);

    // Rewrites the line with the products done so far.
    void Muestra(int hechos, int total);
    // Ends the line (when one was shown), so what follows starts on a line of its own.
    void Termina();

private:
    QTextStream& salida_;
    QElapsedTimer reloj_;
    qsizetype ancho_ = 0;  // the longest line shown: a shorter one is padded over it
};
