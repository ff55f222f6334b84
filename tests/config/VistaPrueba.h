#pragma once
// A stand-in for the main window's settings controls, recording what the settings logic
// shows; the real window is exercised by the tests under tests/app.
#include "config/ClavesConfiguracion.h"
#include "config/VistaConfiguracion.h"

#include <QList>
#include <array>

class VistaPrueba : public VistaConfiguracion {
public:
    std::array<QString, Claves::kCajas> datos;
    bool temporizador = false;
    QString info;
    bool imagenesVisible = true;
    bool imagenesMarcada = true;
    struct Linea {
        qint64 id;
        QString nombre;
        bool marcada;
    };
    QList<Linea> lineas;
    QString label4;

    QString dato(int i) const override { return datos.at(static_cast<size_t>(i)); }
    void setDato(int i, const QString& t) override { datos.at(static_cast<size_t>(i)) = t; }
    void setTemporizador(bool a) override { temporizador = a; }
    void setInfo(const QString& t) override { info = t; }
    void setImagenesVisible(bool v) override { imagenesVisible = v; }
    void setImagenesMarcada(bool m) override { imagenesMarcada = m; }
    int lineasCuenta() const override { return static_cast<int>(lineas.size()); }
    qint64 lineaId(int i) const override { return lineas.at(i).id; }
    bool lineaMarcada(int i) const override { return lineas.at(i).marcada; }
    void setLineaMarcada(int i, bool m) override { lineas[i].marcada = m; }
    void agregaLinea(qint64 id, const QString& nombre) override { lineas.append({id, nombre, false}); }
    void setLabel4(const QString& t) override { label4 = t; }
};
