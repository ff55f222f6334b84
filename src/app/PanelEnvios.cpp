#include "app/PanelEnvios.h"

#include "registro/ResumenEnvio.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

PanelEnvios::PanelEnvios(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelEnvios"));
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    lblUltimoEnvio = new QLabel(QStringLiteral("Último envío: ninguno todavía"), this);
    lblUltimoEnvio->setObjectName(QStringLiteral("lblUltimoEnvio"));
    lblUltimoEnvio->setTextFormat(Qt::PlainText);  // reasons carry text from the databases
    lblUltimoEnvio->setWordWrap(true);
    lblUltimoEnvio->setTextInteractionFlags(Qt::TextSelectableByMouse);
    capa->addWidget(lblUltimoEnvio);
    lblUltimoCompleto = new QLabel(this);
    lblUltimoCompleto->setObjectName(QStringLiteral("lblUltimoCompleto"));
    lblUltimoCompleto->setTextFormat(Qt::PlainText);
    lblUltimoCompleto->setVisible(false);
    capa->addWidget(lblUltimoCompleto);

    tblHistorial = new QTableWidget(0, 6, this);
    tblHistorial->setObjectName(QStringLiteral("tblHistorial"));
    tblHistorial->setHorizontalHeaderLabels({QStringLiteral("Terminó"), QStringLiteral("Duración"),
                                             QStringLiteral("Enviados"), QStringLiteral("Nuevos"),
                                             QStringLiteral("Cambiados"), QStringLiteral("Resultado")});
    tblHistorial->verticalHeader()->setVisible(false);
    tblHistorial->verticalHeader()->setDefaultSectionSize(tblHistorial->fontMetrics().height() + 4);
    // Each column as wide as what it holds; the result takes the rest of the width.
    tblHistorial->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblHistorial->horizontalHeader()->setStretchLastSection(true);
    tblHistorial->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistorial->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHistorial->setWordWrap(false);
    capa->addWidget(tblHistorial, 1);
}

QString PanelEnvios::Carga(const QString& ruta) {
    historial_ = std::make_unique<HistorialEnvios>(ruta);
    const QString aviso = historial_->Cargar();
    Muestra();
    if (!aviso.isEmpty()) Avisa(aviso);
    return aviso;
}

const EnvioRegistrado* PanelEnvios::ultimo() const {
    return historial_ && !historial_->Envios().isEmpty() ? &historial_->Envios().first() : nullptr;
}

void PanelEnvios::Avisa(const QString& texto) { lblUltimoEnvio->setText(texto); }

void PanelEnvios::Muestra() {
    const QList<EnvioRegistrado> envios = historial_ ? historial_->Envios() : QList<EnvioRegistrado>{};
    lblUltimoEnvio->setText(envios.isEmpty() ? QStringLiteral("Último envío: ninguno todavía")
                                             : ResumenEnvio::UltimoEnvio(envios.first()));
    lblUltimoCompleto->setText(ResumenEnvio::UltimoCompleto(historial_ ? historial_->UltimoCompleto() : nullptr));
    lblUltimoCompleto->setVisible(!envios.isEmpty());
    tblHistorial->setRowCount(static_cast<int>(envios.size()));
    for (int i = 0; i < envios.size(); ++i) {
        const EnvioRegistrado& e = envios[i];
        const QStringList celdas{e.fin.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                 ResumenEnvio::Duracion(e.duracionMs),
                                 ResumenEnvio::Productos(e),
                                 QString::number(e.nuevos),
                                 QString::number(e.cambiados),
                                 ResumenEnvio::Resultado(e)};
        for (int c = 0; c < celdas.size(); ++c) {
            auto* celda = new QTableWidgetItem(celdas[c]);
            if (c == celdas.size() - 1) celda->setToolTip(celdas[c]);
            if (e.fallido()) celda->setForeground(QColor(0xa0, 0, 0));
            tblHistorial->setItem(i, c, celda);
        }
    }
}
