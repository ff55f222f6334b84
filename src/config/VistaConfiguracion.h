#pragma once
#include <QString>
#include <QtGlobal>

// What the settings and product-line logic needs of the main window. The window
// implements it; the headless send implements it without any widget.
class VistaConfiguracion {
public:
    virtual ~VistaConfiguracion() = default;

    // The settings boxes txtDato(0..18), then the encryption controls (Claves::kCaja*, 19..22).
    virtual QString dato(int indice) const = 0;
    virtual void setDato(int indice, const QString& texto) = 0;

    // The send timer (Timer1) and the countdown label (lblInfo).
    virtual void setTemporizador(bool activo) = 0;
    virtual void setInfo(const QString& texto) = 0;

    // The image check box chkImagenes.
    virtual void setImagenesVisible(bool visible) = 0;
    virtual void setImagenesMarcada(bool marcada) = 0;

    // The product-line check list lstLineas and its count label Label4. Each entry is a line
    // of the point of sale: its Id (what the send's query and the saved selection use) and
    // its name (what the list shows).
    virtual int lineasCuenta() const = 0;
    virtual qint64 lineaId(int indice) const = 0;
    virtual bool lineaMarcada(int indice) const = 0;
    virtual void setLineaMarcada(int indice, bool marcada) = 0;
    virtual void agregaLinea(qint64 id, const QString& nombre) = 0;
    virtual void setLabel4(const QString& texto) = 0;
};
