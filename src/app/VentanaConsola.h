#pragma once
#include "config/ClavesConfiguracion.h"
#include "sync/VentanaEnvio.h"

#include <QList>
#include <QPair>
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
    QString lineaTexto(int i) const override { return lineas_.at(i).first; }
    bool lineaMarcada(int i) const override { return lineas_.at(i).second; }
    void setLineaMarcada(int i, bool marcada) override { lineas_[i].second = marcada; }
    void agregaLinea(const QString& texto) override { lineas_.append({texto, false}); }
    void setLabel4(const QString&) override {}
    QString botonEnvio() const override { return boton_; }
    void setBotonEnvio(const QString& texto) override { boton_ = texto; }
    void setLabel3(const QString& texto) override { label3_ = texto; }
    void setLabel5(const QString& texto) override;
    void productoEnviado(int n, int m, const QString& clave, const QString& descripcion) override;
    void setLabel3Visible(bool) override {}
    void setLabel5Visible(bool) override {}
    void setPorcenVisible(bool) override {}
    QObject* pctPorcen() override { return nullptr; }
    void procesarEventos() override {}

    // On a terminal the products written update one progress line instead of printing a line each.
    void setProgreso(ProgresoConsola* progreso) { progreso_ = progreso; }
    // The product text of the chunk being written ("Clave: ..."), which names the key of a failed one.
    const QString& textoProducto() const { return label3_; }

private:
    QTextStream& salida_;
    std::array<QString, Claves::kCajas> datos_;
    QList<QPair<QString, bool>> lineas_;
    QString boton_ = QStringLiteral("Enviar ahora");
    QString label3_;
    ProgresoConsola* progreso_ = nullptr;
};
