#include "app/PestanaRelacion.h"

#include "app/Mensajes.h"
#include "servicelib/Compartidos.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <algorithm>

namespace {
// Column defaults of the field-relation grid, in twips, and their headers.
const int kAnchosReja[6] = {500, 2000, 2000, 2000, 3000, 3000};
const char* const kEncabezados[6] = {"",
                                     "Campo de Sartenal",
                                     "Equivalente en web",
                                     "Tabla externa",
                                     "Llave en tabla principal",
                                     "Llave en tabla externa"};

QString claveColumna(int i) { return QStringLiteral("Columna ") + QString::number(i); }
}

PestanaRelacion::PestanaRelacion(const std::array<QLineEdit*, 19>& txtDato, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PestanaRelacion"));
    QWidget* pagina = this;
    auto* capa = new QGridLayout(pagina);
    mhgReja = new QTableWidget(1, 6, pagina);
    mhgReja->setObjectName(QStringLiteral("mhgReja"));
    mhgReja->verticalHeader()->setVisible(false);
    mhgReja->setMinimumHeight(TwipsAPixeles(2655, this));
    capa->addWidget(mhgReja, 0, 0, 1, 2);

    // Settings kept only in the settings file: filled and saved, never shown.
    struct Oculta {
        const char* etiqueta;
        int caja;
    };
    const Oculta ocultas[] = {{"Nombre de la tabla de productos:", 6},
                              {"Tabla externa:", 9},
                              {"Campo llave en tabla de prods. web:", 10},
                              {"Campo llave en tabla externa:", 11},
                              {"Campo en tabla externa:", 16},
                              {"Prefijo a concatenar en el campo:", 17},
                              {"Campo llave en tabla de prods. web:", 8}};
    int r = 1;
    for (const Oculta& o : ocultas) {
        auto* l = new QLabel(QString::fromUtf8(o.etiqueta), pagina);
        l->setVisible(false);
        txtDato[o.caja]->setParent(pagina);
        txtDato[o.caja]->setVisible(false);
        capa->addWidget(l, r, 0);
        capa->addWidget(txtDato[o.caja], r++, 1);
    }
    capa->setRowStretch(r, 1);
}

void PestanaRelacion::preparaReja() {
    QStringList encabezados;
    for (const char* e : kEncabezados) encabezados << QString::fromUtf8(e);
    mhgReja->setHorizontalHeaderLabels(encabezados);
    for (int c = 0; c < 6; ++c) {
        mhgReja->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto* celda = new QTableWidgetItem;
        if (c >= 1) celda->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (c < 2) {  // the two fixed columns
            celda->setFlags(Qt::ItemIsEnabled);
            celda->setBackground(palette().button());
        }
        mhgReja->setItem(0, c, celda);
    }
    if (G().DeControles) G().DeControles->LaCeldaFG(mhgReja);
    for (int c = 0; c < 6; ++c) {
        mhgReja->setColumnWidth(c, TwipsAPixeles(kAnchosReja[c], this));
        const double guardado =
            G().libTORVA->ksVal(G().libTORVA->LeeIni(QStringLiteral("Reja"), claveColumna(c), G().ArchivoIni));
        if (guardado > 0 && guardado <= 32767)
            mhgReja->setColumnWidth(c, TwipsAPixeles(static_cast<int>(guardado), this));
    }
}

QList<QStringList> PestanaRelacion::filasReja() const {
    QList<QStringList> filas;
    for (int r = 0; r < mhgReja->rowCount(); ++r) {
        QStringList columnas;
        for (int c = 1; c < mhgReja->columnCount(); ++c) {
            const QTableWidgetItem* celda = mhgReja->item(r, c);
            columnas << (celda ? celda->text() : QString());
        }
        filas << columnas;
    }
    return filas;
}

QList<kesa5::CambioIni> PestanaRelacion::anchosReja() const {
    QList<kesa5::CambioIni> anchos;
    for (int c = 0; c < mhgReja->columnCount(); ++c) {
        const int twips = std::clamp(PixelesATwips(mhgReja->columnWidth(c), this), -32768, 32767);
        anchos.append({QStringLiteral("Reja"), claveColumna(c), QString::number(twips)});
    }
    return anchos;
}

void PestanaRelacion::alMostrarse() {
    if (mhgReja->rowCount() + 1 == 2) {
        mhgReja->setCurrentCell(0, 2);
        mhgReja->setFocus();
    }
}
