#pragma once
// What the FTP tests share: a session logged in to the test server, a folder of the test's own
// on that server (its files are also read and written directly in the server's root folder),
// a local temporary folder, and the progress events seen.
#include "ftp/clsFTP.h"
#include "support/ServidoresPrueba.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
using Avisos = std::vector<std::pair<int, int>>;

// Whether the session's last error message begins with `inicio` (showing it when not).
::testing::AssertionResult mensajeEmpiezaCon(const clsFTP& ftp, const char* inicio);

class PruebaFTP : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "127.0.0.1:<port>" of the test server.
    QString direccion() const;
    // The test's folder as the client names it ("/f<unique>") and a file in it.
    QString remota(const QString& nombre = {}) const;
    // The same on the server's disk.
    QString enServidor(const QString& nombre = {}) const;
    QString local(const QString& nombre) const;
    // Makes a command fail (a missing file deleted) and gives the message it left, for tests
    // that show a later call does not replace it.
    QString mensajePrevio();

    static QByteArray contenido(qsizetype largo, int semilla = 1);
    static void escribe(const QString& ruta, const QByteArray& datos);
    static QByteArray lee(const QString& ruta);
    static bool existe(const QString& ruta);

    prueba::ServidorFTP servidor_;
    QString carpeta_;
    QTemporaryDir dirLocal_;
    clsFTP ftp_;
    Avisos avisos_;
};
