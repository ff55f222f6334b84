#pragma once
#include <QElapsedTimer>
#include <QString>

// How far a send is and about how long it still takes, from the chunks it reports as written:
// the rate is measured from the first chunk begun, so reading the shops does not count as
// writing. Shown on the main tab's bar and in the icon's tip.
class ProgresoEnvio {
public:
    void Empieza();                 // a send began (nothing read yet)
    void LoteIniciado();            // the first call starts the clock of the writes
    void LoteEscrito(int n, int m); // n of m products done

    bool enCurso() const { return enCurso_; }
    int hechos() const { return n_; }
    int total() const { return m_; }
    // "1.234 de 10.000 productos, faltan unos 3 min"; "Leyendo productos…" before any chunk.
    QString Texto() const;
    // Seconds left, or -1 while it cannot be told yet.
    qint64 SegundosRestantes() const;
    void Termina() { enCurso_ = false; }

private:
    bool enCurso_ = false;
    int n_ = 0, m_ = 0;
    QElapsedTimer escritura_;
    qint64 msAlUltimo_ = 0;
};
