#pragma once
#include "servicelib/LibTORVA.h"

class LibTORVAQt : public kesa5::LibTORVA {
public:
    QString LeeIni(const QString& seccion, const QString& clave, const QString& archivo) override;
    void EscribeIni(const QString& seccion, const QString& clave, const QString& valor, const QString& archivo) override;
    QString EscribeIniVarias(const QList<kesa5::CambioIni>& cambios, const QString& archivo, bool soloEstos) override;
    bool LeeSeccionIni(const QString& seccion, const QString& archivo, QList<QPair<QString, QString>>& claves,
                       QString& error) override;
    double ksVal(const QString& texto) override;
    void Resalta(QObject* caja) override;
    void Teclas(int& codigoTecla) override;
    void Enter(int& caracter, const QString& mascara) override;
};
