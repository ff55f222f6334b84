#pragma once
#include "servicelib/Utilerias.h"

class UtileriasQt : public kesa5::Utilerias {
public:
    QString Encripta(const QString& texto) override;
    QString DesEncripta(const QString& texto) override;
    int MsgBoxSkn(const QString& prompt, int botones, const QString& titulo, int extra) override;
};
