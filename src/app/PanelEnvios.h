#pragma once
#include "registro/HistorialEnvios.h"

#include <QWidget>
#include <memory>

class QLabel;
class QTableWidget;

// The main tab's account of the sends: the last one in a few lines, and the history as a
// compact table, newest first.
class PanelEnvios : public QWidget {
public:
    explicit PanelEnvios(QWidget* parent = nullptr);

    // Reads the history file at `ruta`; the text returned tells about a file that had to be set aside.
    QString Carga(const QString& ruta);
    // Shows the history as it now stands (after a send was added to it).
    void Muestra();
    // Shows `texto` in place of the last send (a history that could not be read).
    void Avisa(const QString& texto);

    HistorialEnvios* historial() { return historial_.get(); }
    // The newest send, or nullptr when there is none.
    const EnvioRegistrado* ultimo() const;

    QLabel* lblUltimoEnvio = nullptr;
    QLabel* lblUltimoCompleto = nullptr;  // is the shop up to date, after a run of failures?
    QTableWidget* tblHistorial = nullptr;

private:
    std::unique_ptr<HistorialEnvios> historial_;
};
