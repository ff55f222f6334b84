#pragma once
#include <QMainWindow>

class QTextBrowser;

// The description window opened with F1: what the program does and where its files are.
// One instance, modeless, independent of the main window; keeps its place and size.
class frmDescripcion : public QMainWindow {
    Q_OBJECT
public:
    // Shows the single instance, loading it (at its saved place) when it is not loaded.
    // Opens it (or brings it forward); the first time, centred on `sobre` unless a place was saved.
    static frmDescripcion* Mostrar(QWidget* sobre = nullptr);
    static bool abierta();
    static frmDescripcion* instancia();

    QTextBrowser* rtbTexto = nullptr;

    void mnDescrip_Click();
    void mnEditINI_Click();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    frmDescripcion();
    static QString textoDescripcion();
};
