#pragma once
// The window of the send run on a terminal: the counter every tenth of the run, nothing else.
#include "sync/VentanaEnvio.h"

#include <QString>
#include <cstdio>

class VentanaConsolaBench : public VentanaEnvio {
public:
    void envioIniciado() override {}
    void loteIniciado(int n, int m, const QString&, const QString&) override {
        // Shown at 10 %, 20 % ...
        if (m >= 10 && n % (m / 10) == 0) std::fprintf(stderr, "  Producto %d de %d\n", n, m);
    }
    void loteEscrito(int, int, const QString&, const QString&) override {}
    void envioTerminado(const ResultadoEnvio&) override {}
    void setPorcenVisible(bool) override {}
    QObject* pctPorcen() override { return nullptr; }
    void procesarEventos() override {}
    QString dato(int) const override { return QString(); }
    void setDato(int, const QString&) override {}
    void setTemporizador(bool) override {}
    void setInfo(const QString&) override {}
    void setImagenesVisible(bool) override {}
    void setImagenesMarcada(bool) override {}
    int lineasCuenta() const override { return 0; }
    qint64 lineaId(int) const override { return 0; }
    bool lineaMarcada(int) const override { return false; }
    void setLineaMarcada(int, bool) override {}
    void agregaLinea(qint64, const QString&) override {}
    void setLabel4(const QString&) override {}
};
