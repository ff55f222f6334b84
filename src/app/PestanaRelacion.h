#pragma once
#include "servicelib/LibTORVA.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <array>

class QLineEdit;
class QTableWidget;

// Tab 2 "Relación de campos": the field-relation grid mhgReja, and the settings kept only in
// the settings file (the image-table and size/colour boxes of the configuration tab), which
// it holds hidden: they are filled and saved, never shown.
class PestanaRelacion : public QWidget {
public:
    PestanaRelacion(const std::array<QLineEdit*, 19>& txtDato, QWidget* parent = nullptr);

    // The grid's headers, fixed columns and widths (a width stored in section "Reja" of the
    // settings file replaces its column's default when above 0).
    void preparaReja();
    // Each grid row's columns 1 to 5, as "Grabar" saves them.
    QList<QStringList> filasReja() const;
    // The columns' widths as the settings file keeps them (twips), for the shutdown.
    QList<kesa5::CambioIni> anchosReja() const;
    // On coming forward: the grid's one data row gets the focus.
    void alMostrarse();

    QTableWidget* mhgReja = nullptr;
};
