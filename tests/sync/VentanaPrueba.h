#pragma once
// Stands for the main window in the send-run tests: it records, in order, everything the run
// shows, and lets a test act "while the window handles input" (press the button, break the
// network) through alProcesar.
#include "sync/VentanaEnvio.h"

#include <QMap>
#include <QStringList>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

class VentanaPrueba : public VentanaEnvio {
public:
    QStringList eventos;
    std::function<void()> alProcesar;
    QString boton = u"Enviar ahora"_s;
    QString label3, label5;

    struct Linea {
        QString texto;
        bool marcada = false;
    };
    std::vector<Linea> lineas;

    // An entry as the product-line list shows it: the name, then the Id far to the right.
    void agregaLineaMarcada(int id, const QString& nombre, bool marcada) {
        lineas.push_back({QString(5, u' ') + nombre + QString(200, u' ') + QString::number(id), marcada});
    }
    // The events since the last call.
    QStringList toma() {
        QStringList e = eventos;
        eventos.clear();
        return e;
    }

    QString botonEnvio() const override { return boton; }
    void setBotonEnvio(const QString& texto) override { eventos << u"boton="_s + (boton = texto); }
    void setLabel3(const QString& texto) override { eventos << u"label3="_s + (label3 = texto); }
    void setLabel5(const QString& texto) override { eventos << u"label5="_s + (label5 = texto); }
    void setLabel3Visible(bool v) override { eventos << u"label3Visible=%1"_s.arg(v); }
    void setLabel5Visible(bool v) override { eventos << u"label5Visible=%1"_s.arg(v); }
    void setPorcenVisible(bool v) override { eventos << u"porcenVisible=%1"_s.arg(v); }
    QObject* pctPorcen() override { return nullptr; }
    void procesarEventos() override {
        eventos << u"procesar"_s;
        if (alProcesar) alProcesar();
    }

    QString dato(int indice) const override { return datos.value(indice); }
    void setDato(int indice, const QString& texto) override { datos[indice] = texto; }
    void setTemporizador(bool activo) override { eventos << u"temporizador=%1"_s.arg(activo); }
    void setInfo(const QString& texto) override { eventos << u"info="_s + texto; }
    void setImagenesVisible(bool v) override { eventos << u"imagenesVisible=%1"_s.arg(v); }
    void setImagenesMarcada(bool v) override { eventos << u"imagenes=%1"_s.arg(v); }
    int lineasCuenta() const override { return static_cast<int>(lineas.size()); }
    QString lineaTexto(int i) const override { return lineas.at(static_cast<size_t>(i)).texto; }
    bool lineaMarcada(int i) const override { return lineas.at(static_cast<size_t>(i)).marcada; }
    void setLineaMarcada(int i, bool m) override { lineas.at(static_cast<size_t>(i)).marcada = m; }
    void agregaLinea(const QString& texto) override { lineas.push_back({texto, false}); }
    void setLabel4(const QString& texto) override { eventos << u"label4="_s + texto; }

private:
    QMap<int, QString> datos;
};
