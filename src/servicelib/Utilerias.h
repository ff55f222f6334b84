#pragma once
#include "servicelib/Objeto.h"
#include <QString>

class QObject;

namespace kesa5 {

// Scrambling of stored settings and the skinned message box.
class Utilerias : public Objeto {
public:
    QObject* ElMenu = nullptr;  // the window that owns the message boxes
    virtual QString Encripta(const QString& texto) = 0;
    virtual QString DesEncripta(const QString& texto) = 0;
    virtual int MsgBoxSkn(const QString& prompt, int botones, const QString& titulo, int extra) = 0;
};

}  // namespace kesa5
