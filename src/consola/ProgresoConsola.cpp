#include "consola/ProgresoConsola.h"

#include "consola/Terminal.h"
#include "registro/ResumenEnvio.h"

#include <QTextStream>

ProgresoConsola::ProgresoConsola(QTextStream& salida) : salida_(salida) { reloj_.start(); }

bool ProgresoConsola::SalidaEsTerminal() { return Terminal::SalidaEsTerminal(); }

QString ProgresoConsola::Linea(int hechos, int total, qint64 ms) {
    QString linea = QStringLiteral("Productos %1 de %2").arg(hechos).arg(total);
    if (hechos <= 0 || ms <= 0) return linea;
    const double porSegundo = hechos * 1000.0 / static_cast<double>(ms);
    linea += QStringLiteral(", %1 productos/s").arg(porSegundo, 0, 'f', 1);
    if (hechos < total)
        linea += QStringLiteral(", faltan ") +
                 ResumenEnvio::Duracion(static_cast<qint64>((total - hechos) * 1000.0 / porSegundo));
    return linea;
}

void ProgresoConsola::Muestra(int hechos, int total) {
    const QString linea = Linea(hechos, total, reloj_.elapsed());
    // A carriage return goes back to the line's start; blanks cover what a longer line left.
    salida_ << '\r' << linea << QString(std::max<qsizetype>(0, ancho_ - linea.size()), QLatin1Char(' '));
    ancho_ = std::max(ancho_, linea.size());
    salida_.flush();
}

void ProgresoConsola::Termina() {
    if (ancho_ == 0) return;
    salida_ << '\n';
    salida_.flush();
    ancho_ = 0;
}
