#pragma once
#include "servicelib/LibTORVA.h"

class LibTORVAQt : public kesa5::LibTORVA {
public:
    QString LeeIni(const QString& seccion, const QString& clave, const QString& archivo) override;
    void EscribeIni(const QString& seccion, const QString& clave, const QString& valor, const QString& archivo) override;
    double ksVal(const QString& texto) override;
    void Resalta(QObject* caja) override;
    void Teclas(int& codigoTecla) override;
    void Enter(int& caracter, const QString& mascara) override;
};
