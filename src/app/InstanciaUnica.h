#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// One window per program folder: the first start holds a lock file and listens on a local
// socket, both named after the folder (and the user); a later start from the same folder asks
// it to show its window and ends. The headless modes never come here.
class InstanciaUnica : public QObject {
public:
    explicit InstanciaUnica(const QString& carpeta);
    ~InstanciaUnica() override;

    // True when this is the first start: it now answers later ones by calling `mostrar`.
    // False when another one runs: it was asked to show its window (`avisada` says whether it heard).
    bool Toma(std::function<void()> mostrar);
    bool avisada() const { return avisada_; }

    // The name of the local socket and of the lock file for `carpeta`.
    static QString Nombre(const QString& carpeta);

private:
    QString nombre_;
    std::unique_ptr<QLockFile> candado_;
    QLocalServer* servidor_ = nullptr;
    bool avisada_ = false;
};
