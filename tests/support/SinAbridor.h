#pragma once
// While it lives, the system has no program to open a file of the given extension with, as on a
// computer without a desktop: on Linux no xdg-open on the PATH; on Windows the user's own class
// for the extension names a file type that has no program.
#include <QByteArray>
#include <QString>

namespace prueba {
class SinAbridor {
public:
    explicit SinAbridor(const QString& extension);
    ~SinAbridor();
    // Why the system still has a program for it; empty when it has none.
    QString porQueNo() const { return porQueNo_; }
    SinAbridor(const SinAbridor&) = delete;
    SinAbridor& operator=(const SinAbridor&) = delete;

private:
    QString extension_;
    QByteArray anterior_;
    bool habia_ = false;
    QString porQueNo_;
};
}
