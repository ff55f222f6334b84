#pragma once
// A small real filesystem of its own (tmpfs) for one test, mounted under a temporary folder
// and unmounted when the object goes, so that a test can fill a disk to the last byte.
// Mounting needs root (as under scripts/test and CI); elsewhere the test is skipped.
#include <QString>
#include <QTemporaryDir>

namespace prueba {

class SistemaPequeno {
public:
    explicit SistemaPequeno(qint64 bytes = 1024 * 1024);
    ~SistemaPequeno();
    SistemaPequeno(const SistemaPequeno&) = delete;
    SistemaPequeno& operator=(const SistemaPequeno&) = delete;

    bool montado() const { return montado_; }
    QString porQueNo() const { return porQueNo_; }
    QString ruta() const { return dir_.path(); }
    // Fills every free byte with a filler file; libera() removes it.
    void llena();
    void libera();

private:
    QTemporaryDir dir_;
    bool montado_ = false;
    QString porQueNo_;
};

}

// At the start of a test that needs the small filesystem `s`.
#define SALTA_SIN_SISTEMA_PEQUENO(s)                                                                      \
    if (!(s).montado())                                                                                \
    GTEST_SKIP() << "No se pudo montar un tmpfs pequeño para llenar el disco (" << (s).porQueNo().toStdString() \
                 << ")"
