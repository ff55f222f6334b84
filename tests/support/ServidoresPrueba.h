#pragma once
// Reaching the throwaway servers that scripts/test starts (see scripts/lib/servicios.sh).
#include <QString>
#include <QStringList>
#include <vector>

namespace prueba {

struct ServidorBD {
    QString host;
    int puerto = 0;
    QString usuario;
    QString clave;
};
// From MORAVI_TEST_DB_*; fails the current test (and returns empty) when they are not set.
ServidorBD servidorBD();

struct ServidorFTP {
    int puerto = 0;
    QString raiz;     // local folder the server serves
    QString usuario;
    QString clave;
};
ServidorFTP servidorFTP();

// The throwaway certificate authority that signed the test servers' certificates, and one
// that did not. From MORAVI_TEST_CA / MORAVI_TEST_CA_AJENA; fails the test when not set.
struct Certificados {
    QString ca;
    QString caAjena;
};
Certificados certificados();

// A database of its own for one test, dropped when the object goes. Statements run through
// a direct client connection so the code under test is not used to check itself.
class BaseTemporal {
public:
    // `scripts`: SQL files under tests/fixtures to load (e.g. "wordpress-tables.sql").
    explicit BaseTemporal(const QStringList& scripts = {});
    ~BaseTemporal();
    BaseTemporal(const BaseTemporal&) = delete;
    BaseTemporal& operator=(const BaseTemporal&) = delete;

    const QString& nombre() const { return nombre_; }
    // Runs one or more statements (separated by ";" at line ends); fails the test on error.
    void ejecuta(const QString& sql);
    // Rows of a query, each row its columns joined by "|" (NULL written as "NULL").
    QStringList filas(const QString& sql);
    // The single value of a one-row, one-column query.
    QString valor(const QString& sql);

private:
    QString nombre_;
};

QString rutaFixture(const QString& archivo);

}
