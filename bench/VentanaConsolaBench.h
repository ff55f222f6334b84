#pragma once
// The window of the send run on a terminal: the counter every tenth of the run, nothing else.
#include "sync/VentanaEnvio.h"

#include <QString>
#include <QStringList>
#include <cstdio>

class VentanaConsolaBench : public VentanaEnvio {
public:
    QString botonEnvio() const override { return boton_; }
    void setBotonEnvio(const QString& texto) override { boton_ = texto; }
    void setLabel3(const QString&) override {}
    void setLabel5(const QString& texto) override {
        // "Producto n de m": shown at 10 %, 20 % ...
        if (!texto.startsWith(QStringLiteral("Producto "))) return;
        const QStringList partes = texto.split(QLatin1Char(' '));
        const int n = partes.value(1).toInt(), m = partes.value(3).toInt();
        if (m >= 10 && n % (m / 10) == 0) std::fprintf(stderr, "  %s\n", qUtf8Printable(texto));
    }
    void setLabel3Visible(bool) override {}
    void setLabel5Visible(bool) override {}
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
    QString lineaTexto(int) const override { return QString(); }
    bool lineaMarcada(int) const override { return false; }
    void setLineaMarcada(int, bool) override {}
    void agregaLinea(const QString&) override {}
    void setLabel4(const QString&) override {}

private:
    QString boton_ = QStringLiteral("Enviar ahora");
};
