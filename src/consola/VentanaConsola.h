#pragma once
#include <QCoreApplication>
#include "config/ClavesConfiguracion.h"
#include "sync/VentanaEnvio.h"

#include <QList>
#include <QTextStream>
#include <array>

class ProgresoConsola;

// The send's window when there is none (moravi -enviar): the settings and the product lines
// are kept in memory, and each product written is printed on standard output.
class VentanaConsola : public VentanaEnvio {
public:
    explicit VentanaConsola(QTextStream& salida) : salida_(salida) {}

    QString dato(int indice) const override { return datos_.at(static_cast<size_t>(indice)); }
    void setDato(int indice, const QString& texto) override { datos_.at(static_cast<size_t>(indice)) = texto; }
    void setTemporizador(bool) override {}
    void setInfo(const QString&) override {}
    void setImagenesVisible(bool) override {}
    void setImagenesMarcada(bool) override {}
    int lineasCuenta() const override { return static_cast<int>(lineas_.size()); }
    qint64 lineaId(int i) const override { return lineas_.at(i).id; }
    bool lineaMarcada(int i) const override { return lineas_.at(i).marcada; }
    void setLineaMarcada(int i, bool marcada) override { lineas_[i].marcada = marcada; }
    void agregaLinea(qint64 id, const QString& nombre) override { lineas_.append({id, nombre, false}); }
    void setLabel4(const QString&) override {}
    void envioIniciado() override {}
    void loteIniciado(int, int, const QString&, const QString&) override {}
    void loteEscrito(int n, int m, const QString& clave, const QString& descripcion) override;
    void productoEnviado(int n, int m, const QString& clave, const QString& descripcion, Cambio cambio) override;
    void envioTerminado(const ResultadoEnvio&) override {}
    void setPorcenVisible(bool) override {}
    QObject* pctPorcen() override { return nullptr; }
    // A TERM or INT is heard here (SenalesDeFin), between chunks and during the reads.
    void procesarEventos() override { QCoreApplication::processEvents(); }

    // On a terminal the products written update one progress line instead of printing a line each.
    void setProgreso(ProgresoConsola* progreso) { progreso_ = progreso; }
    // To a file or a pipe: a line for every product, not only those created or changed ("-todos").
    void setTodos(bool todos) { todos_ = todos; }

private:
    QTextStream& salida_;
    std::array<QString, Claves::kCajas> datos_;
    struct Linea {
        qint64 id;
        QString nombre;
        bool marcada;
    };
    QList<Linea> lineas_;
    ProgresoConsola* progreso_ = nullptr;
    bool todos_ = false;
};
