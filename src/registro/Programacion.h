#pragma once
#include <QString>

// The send schedule's counting, without a window or a clock of its own: the main window's
// one-second timer calls Avanza on each tick and asks Vence whether a send is due.
// `Minutos` counts whole minutes since the last automatic send (or start-up), `Segundos` the
// seconds within the current minute.
class Programacion {
public:
    int Segundos = 0;
    int Minutos = 0;

    // One second more.
    void Avanza();
    // True when the minutes counted reach the interval (also when they already passed it, after
    // the interval was lowered); the count then starts again from zero.
    bool Vence(int intervaloMinutos);
    // Seconds until the next automatic send; never below zero. 32-bit: an interval above 546
    // minutes holds more seconds than 16 bits.
    int SegundosRestantes(int intervaloMinutos) const;
    // The same as hours, minutes and seconds.
    void TiempoRestante(int intervaloMinutos, int& horas, int& minutos, int& segundos) const;
    // The countdown label's text: "0 hors. 4 min. 59 segs.".
    QString TextoRestante(int intervaloMinutos) const;
    // A send starts (by hand or on schedule): the seconds start again, the minutes counted
    // towards the next automatic send stay.
    void EnvioEmpieza() { Segundos = 0; }

    // A send fell due while another was running: it is kept to run right after that one.
    void Aplaza() { pendiente_ = true; }
    // Whether a send is waiting; asking clears it.
    bool TomaPendiente();

private:
    bool pendiente_ = false;
};
