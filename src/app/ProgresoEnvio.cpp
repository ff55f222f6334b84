#include "app/ProgresoEnvio.h"

#include <QLocale>

void ProgresoEnvio::Empieza() {
    enCurso_ = true;
    n_ = m_ = 0;
    msAlUltimo_ = 0;
    escritura_.invalidate();
}

void ProgresoEnvio::LoteIniciado() {
    if (!escritura_.isValid()) escritura_.start();
}

void ProgresoEnvio::LoteEscrito(int n, int m) {
    n_ = n;
    m_ = m;
    msAlUltimo_ = escritura_.isValid() ? escritura_.elapsed() : 0;
}

qint64 ProgresoEnvio::SegundosRestantes() const {
    if (n_ <= 0 || m_ <= n_ || msAlUltimo_ <= 0) return m_ > 0 && n_ >= m_ ? 0 : -1;
    return (static_cast<qint64>(m_ - n_) * msAlUltimo_ / n_ + 999) / 1000;
}

QString ProgresoEnvio::Texto() const {
    if (m_ <= 0) return QStringLiteral("Leyendo productos…");
    QLocale local;
    local.setNumberOptions(local.numberOptions() & ~QLocale::OmitGroupSeparator);
    QString t = QStringLiteral("%1 de %2 productos").arg(local.toString(n_), local.toString(m_));
    const qint64 s = SegundosRestantes();
    if (s > 90) t += QStringLiteral(", faltan unos %1 min").arg((s + 30) / 60);
    else if (s > 0) t += QStringLiteral(", faltan unos %1 s").arg(s);
    return t;
}
