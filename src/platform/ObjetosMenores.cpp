#include "platform/ObjetosMenores.h"

#include <QObject>
#include <QSysInfo>
#include <QVariant>

void DeControlesQt::BarraPorcentaje(QObject* caja, int porcentaje) {
    // The bar is any control with an integer "value" property (a progress bar).
    if (caja) caja->setProperty("value", std::clamp(porcentaje, 0, 100));
}

void DeControlesQt::LaCeldaFG(QObject* reja) {
    // Cells are edited on double click, F2 or by typing (QAbstractItemView's edit triggers).
    if (reja) reja->setProperty("editTriggers", 2 | 8 | 16);
}

QString DeEquipoQt::NetName() { return QSysInfo::machineHostName(); }

void EfectosQt::PintarSkin(QObject* caja, QObject*, bool) {
    if (caja)
        caja->setProperty("styleSheet",
                          QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:1, "
                                         "stop:0 #1f4e79, stop:1 #4f9bd9); border-radius: 6px;"));
}
