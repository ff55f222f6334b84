#pragma once
#include <QList>
#include <QString>

// One row of the field-relation grid: the point-of-sale field and its counterparts.
struct Estrucs {
    QString DeSR;
    QString DeWeb;
    QString TablaExterna;
    QString LlaveEnProds;
    QString LlaveEnTablaExterna;
};

// The field-relation collection handed to the settings read and the send run; nothing fills it.
using ColeccionCampos = QList<Estrucs>;
