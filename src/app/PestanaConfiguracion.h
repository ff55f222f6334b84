#pragma once
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Tab 1 "Configuración": the settings boxes txtDato(0..18) with the encryption choices, the
// product-line list and the buttons. It owns what a box needs (its mask, its input handling
// through the service library, its check as the focus leaves) and the connection test; the
// window wires the buttons that change its mode (Cancelar, Grabar).
class PestanaConfiguracion : public QWidget {
public:
    explicit PestanaConfiguracion(QWidget* parent = nullptr);

    // Settings "box" `indice`: txtDato 0 to 18, then the encryption controls and the table prefix
    // (Claves::kCaja*).
    QString dato(int indice) const;
    void setDato(int indice, const QString& texto);

    // The product lines: the Id is kept in each item, the name is what it shows.
    int lineasCuenta() const;
    qint64 lineaId(int indice) const;
    bool lineaMarcada(int indice) const;
    void setLineaMarcada(int indice, bool marcada);
    void agregaLinea(qint64 id, const QString& nombre);

    // The check of a box as its focus leaves; false keeps the focus there.
    bool ValidaDato(int indice);
    // The checks "Grabar" makes before anything is written; false when it must not save (the
    // user has been told why and the focus is on the box to correct).
    bool ListaParaGrabar();
    void chkVerPass_Click();
    void cmdProbar_Click();

    QWidget* Picture1 = nullptr;
    std::array<QLineEdit*, 19> txtDato{};
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* chkVerPass = nullptr;
    QListWidget* lstLineas = nullptr;
    QPushButton* cmdTodas = nullptr;
    QPushButton* cmdNoTodas = nullptr;
    QPushButton* cmdCancelar = nullptr;
    QPushButton* cmdGrabar = nullptr;
    QPushButton* cmdProbar = nullptr;
    QComboBox* cmbCifradoWeb = nullptr;
    QLineEdit* txtCertificadoCAWeb = nullptr;
    QComboBox* cmbCifradoFTP = nullptr;
    QLineEdit* txtCertificadoCAFTP = nullptr;
    QLineEdit* txtPrefijoWeb = nullptr;  // the shop's table prefix, below the shop's database

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    int indiceDeCaja(QObject* objeto) const;
};
