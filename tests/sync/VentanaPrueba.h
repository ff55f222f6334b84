#pragma once
// Stands for the main window in the send-run tests: it records, in order, everything the run
// shows, and lets a test act "while the window handles input" (press the button, break the
// network) through alProcesar.
#include "sync/TextosEnvio.h"
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
        qint64 id = 0;
        QString nombre;
        bool marcada = false;
    };
    std::vector<Linea> lineas;

    void agregaLineaMarcada(qint64 id, const QString& nombre, bool marcada) { lineas.push_back({id, nombre, marcada}); }
    // The events since the last call.
    QStringList toma() {
        QStringList e = eventos;
        eventos.clear();
        return e;
    }

    // The run's events, with the labels' texts the main window gives them.
    void envioIniciado() override {
        boton = u"Interrumpir"_s;
        eventos << u"iniciado"_s;
    }
    void loteIniciado(int n, int m, const QString& clave, const QString& descripcion) override {
        eventos << u"label3="_s + (label3 = TextosEnvio::ProductoEnCurso(clave, descripcion))
                << u"label5="_s + (label5 = TextosEnvio::ContadorEnCurso(n, m));
    }
    void loteEscrito(int n, int m, const QString& clave, const QString& descripcion) override {
        eventos << u"label3="_s + (label3 = TextosEnvio::ProductoEscrito(clave, descripcion))
                << u"label5="_s + (label5 = TextosEnvio::ContadorEscrito(n, m));
    }
    void envioTerminado(const ResultadoEnvio&) override {
        boton = u"Enviar ahora"_s;
        eventos << u"terminado"_s;
    }
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
    qint64 lineaId(int i) const override { return lineas.at(static_cast<size_t>(i)).id; }
    bool lineaMarcada(int i) const override { return lineas.at(static_cast<size_t>(i)).marcada; }
    void setLineaMarcada(int i, bool m) override { lineas.at(static_cast<size_t>(i)).marcada = m; }
    void agregaLinea(qint64 id, const QString& nombre) override { lineas.push_back({id, nombre, false}); }
    void setLabel4(const QString& texto) override { eventos << u"label4="_s + texto; }

private:
    QMap<int, QString> datos;
};
