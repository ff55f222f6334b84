#include "registro/ResumenEnvio.h"

namespace ResumenEnvio {

namespace {
const QString kFecha = QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

QString Duracion(qint64 ms) {
    if (ms < 10000) return QString::number(ms / 1000.0, 'f', 1) + QStringLiteral(" s");
    const qint64 s = (ms + 500) / 1000;
    if (s < 60) return QString::number(s) + QStringLiteral(" s");
    if (s < 3600) return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60, 2, 10, QLatin1Char('0'));
}

QString Resultado(const EnvioRegistrado& e, Avisos avisos) {
    QString t;
    if (e.completo()) t = QStringLiteral("completo");
    else if (e.resultado == QLatin1String("interrumpido")) t = QStringLiteral("interrumpido ") + Productos(e);
    else if (e.resultado == QLatin1String("otro-envio")) t = QStringLiteral("otro envío en curso, no se hizo");
    else t = QStringLiteral("falló: ") + e.mensaje;
    if (e.cuentaAvisos <= 0) return t;
    // A send that went on despite something is never told as plainly complete.
    if (avisos == Avisos::Contados)
        return t + (e.cuentaAvisos == 1 ? QStringLiteral(", con 1 aviso")
                                        : QStringLiteral(", con %1 avisos").arg(e.cuentaAvisos));
    return t + QStringLiteral(", con avisos: ") + e.avisos;
}

bool SinLeer(const EnvioRegistrado& e) { return e.total == 0 && !e.completo(); }

QString Productos(const EnvioRegistrado& e) {
    // "0 de 0" would read as if nothing had been selected.
    if (SinLeer(e)) return QStringLiteral("sin leer");
    return QStringLiteral("%1 de %2").arg(e.enviados).arg(e.total);
}

QString UltimoEnvio(const EnvioRegistrado& e) {
    const QString productos = SinLeer(e) ? QStringLiteral("Productos enviados: ninguno (no se llegaron a leer)")
                                         : QStringLiteral("Productos enviados: %1 (nuevos: %2, valores cambiados: %3)")
                                               .arg(Productos(e))
                                               .arg(e.nuevos)
                                               .arg(e.cambiados);
    return QStringLiteral("Último envío: %1, duró %2\n%3\nResultado: %4")
        .arg(e.fin.toString(kFecha), Duracion(e.duracionMs), productos, Resultado(e));
}

QString UltimoCompleto(const EnvioRegistrado* e) {
    if (!e) return QStringLiteral("Último envío completo: ninguno registrado");
    return QStringLiteral("Último envío completo: %1, productos %2 (nuevos: %3, valores cambiados: %4)")
        .arg(e->fin.toString(kFecha), Productos(*e))
        .arg(e->nuevos)
        .arg(e->cambiados);
}

QString Linea(const EnvioRegistrado& e, Avisos avisos) {
    return QStringLiteral("%1  %2  productos %3  nuevos %4  cambiados %5  %6")
        .arg(e.fin.toString(kFecha), Duracion(e.duracionMs), Productos(e))
        .arg(e.nuevos)
        .arg(e.cambiados)
        .arg(Resultado(e, avisos));
}

QString TextoIcono(const QString& titulo, const EnvioRegistrado* ultimo, const QDateTime& proximo) {
    QString t = titulo;
    // A long error message would make the tip unreadable: the main tab has it whole.
    QString resultado = ultimo ? Resultado(*ultimo) : QString();
    if (resultado.size() > 100) resultado = resultado.left(99) + QChar(0x2026);
    t += ultimo ? QStringLiteral("\nÚltimo envío: %1, %2").arg(ultimo->fin.toString(kFecha), resultado)
                : QStringLiteral("\nÚltimo envío: ninguno todavía");
    t += proximo.isValid() ? QStringLiteral("\nPróximo envío: ") + proximo.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                           : QStringLiteral("\nPróximo envío: sin envío automático");
    return t;
}

}
