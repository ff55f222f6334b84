#include "registro/Programacion.h"

#include <algorithm>

void Programacion::Avanza() {
    if (++Segundos >= 60) {
        Segundos = 0;
        ++Minutos;
    }
}

bool Programacion::Vence(int intervaloMinutos) {
    if (Minutos < intervaloMinutos) return false;
    Segundos = 0;
    Minutos = 0;
    return true;
}

int Programacion::SegundosRestantes(int intervaloMinutos) const {
    return std::max(0, intervaloMinutos * 60 - (Minutos * 60 + Segundos));
}

void Programacion::TiempoRestante(int intervaloMinutos, int& horas, int& minutos, int& segundos) const {
    const int total = SegundosRestantes(intervaloMinutos);
    horas = total / 3600;
    minutos = (total - horas * 3600) / 60;
    segundos = (total - horas * 3600) % 60;
}

QString Programacion::TextoRestante(int intervaloMinutos) const {
    int h = 0, m = 0, s = 0;
    TiempoRestante(intervaloMinutos, h, m, s);
    return QStringLiteral("%1 hors. %2 min. %3 segs.").arg(h).arg(m).arg(s);
}

bool Programacion::TomaPendiente() {
    const bool habia = pendiente_;
    pendiente_ = false;
    return habia;
}
