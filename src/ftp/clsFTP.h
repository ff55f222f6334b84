#pragma once
// An FTP session: one connection to one server, through which files are sent and fetched whole
// or in 255-byte chunks with progress events, remote files renamed and deleted, remote folders
// made, removed, listed and entered. Every failure gives a result (False, -2, empty text or no
// list) and a text kept for GetLastErrorMessage; the session itself shows nothing.
//
// The server is given as "host", "host:port" or "[IPv6]:port", optionally after "ftp://"
// ("ftp.example.com", "127.0.0.1:2121", "ftp://ftp.example.com:21"); port 21 when none is given.
// A path after the host is ignored: use SetFTPDirectory. Names travel to the server as UTF-8.
//
// Remote paths may be absolute or relative to the session's current folder, which the session
// keeps itself (it starts at the folder the server puts the user in).
#include "ftp/TransporteCurl.h"
#include "ftp/cDirList.h"

#include <QObject>
#include <QString>
#include <memory>

class QFileDevice;

class clsFTP : public QObject {
    Q_OBJECT
public:
    explicit clsFTP(QObject* parent = nullptr);
    ~clsFTP() override;

    // The latest listing; a new empty one when there is none.
    std::shared_ptr<cDirList> Directory();
    QString GetLastErrorMessage() const;

    // Closes an earlier connection first, then connects and logs in (passive or active as set).
    bool OpenConnection(const QString& sServer, const QString& sUser, const QString& sPassWord);
    void CloseConnection();

    bool SimpleFTPPutFile(const QString& sLocal, const QString& sRemote);
    bool RenameFTPFile(const QString& sExisting, const QString& sNewName);
    bool CreateFTPDirectory(const QString& sDirectory);
    bool RemoveFTPDirectory(const QString& sDirectory);
    bool DeleteFTPFile(const QString& sRemote);
    // Chunked transfers with FileTransferProgress; both paths are trimmed, and an empty one gives
    // False at once, with no request and no message.
    bool FTPUploadFile(const QString& sLocal, const QString& sRemote);
    bool FTPDownloadFile(const QString& sLocal, const QString& sRemote);
    // Replaces an existing local file of that name; a failed fetch leaves it as it was.
    bool SimpleFTPGetFile(const QString& sLocal, const QString& sRemote);

    // The session's current folder; empty text when the server cannot be reached.
    QString GetFTPDirectory();
    bool SetFTPDirectory(const QString& sDir);
    // Bytes of the remote file; -1 when there is no such file (nothing recorded), -2 on failure.
    // Sizes from 2 GiB up read as 2147483647.
    int GetFTPFileSize(const QString& sFile);

    // The entries matching `sFilter` (see clsFTP.cpp); no list (nullptr) when nothing matches or
    // the listing fails.
    std::shared_ptr<cDirList> GetDirectoryListing(const QString& sFilter);

    void SetTransferASCII();
    void SetTransferBinary();
    void SetModeActive();
    // Takes effect at the next OpenConnection, as does SetModeActive.
    void SetModePassive();
    // Explicit TLS ("ftpes"), from the next OpenConnection on: 0 none (the default); 1 when the
    // server offers it, its certificate not checked; 2 required, the server's certificate
    // verified against the CA file `sCertificadoCA` (the system's authorities when empty).
    void SetCifrado(int iModo, const QString& sCertificadoCA = QString());

    // The continue flag: while False, a chunked upload sends no further chunk.
    bool blSigue() const;
    void blSigue(bool vNewValue);

signals:
    // Bytes moved so far and the size of the whole file.
    void FileTransferProgress(int lCurrentBytes, int lTotalBytes);

private:
    void registra(const QString& etiqueta, const ResultadoCurl& r);
    void registraLocal(const QString& etiqueta, int codigo, const QFileDevice& archivo);
    bool abreLocal(QFileDevice& archivo, int modo, const QString& etiqueta, int codigo);
    QString absoluta(const QString& ruta) const;
    bool ordena(const QString& etiqueta, const QStringList& lineas);
    void borraIncompleto(const QString& ruta);
    void emiteProgreso(qint64 actual, qint64 total);
    // Lists `carpeta` into the session's list, keeping the names that match `patron` (all when
    // empty); `leidas` counts the entries the server sent.
    ResultadoCurl lista(const QString& carpeta, const QString& patron, int& leidas);

    bool continuar_ = true;
    bool ascii_ = true;     // ASCII transfers until SetTransferBinary
    bool pasivo_ = false;   // active mode until SetModePassive
    int cifrado_ = 0;
    QString certificadoCA_;
    QString ultimoError_;
    std::shared_ptr<cDirList> lista_;
    QString carpeta_ = QStringLiteral("/");
    TransporteCurl transporte_;
};
