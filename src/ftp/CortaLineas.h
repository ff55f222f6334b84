#pragma once
// A server's listing cut into lines as its bytes arrive: one pass over each byte, and never more
// than one line's worth held, however the server sends it.
#include <QByteArray>
#include <functional>

class CortaLineas {
public:
    // The longest line taken, its line feed not counted. A listing line names one entry, a few
    // hundred bytes at most; a longer one is not a listing.
    static constexpr qsizetype kLargoMaximo = 64 * 1024;

    explicit CortaLineas(std::function<void(const QByteArray&)> alCompletar) : alCompletar_(std::move(alCompletar)) {}

    // Hands each line completed by these bytes (without its "\n") on. False once a line is longer
    // than kLargoMaximo: its bytes are dropped and nothing more is taken.
    bool agrega(const char* datos, qint64 largo);
    // The last line, which had no line feed; empty when there is none or a line was too long.
    QByteArray resto() const { return excedida_ ? QByteArray() : pendiente_; }
    bool excedida() const { return excedida_; }

private:
    std::function<void(const QByteArray&)> alCompletar_;
    QByteArray pendiente_;
    bool excedida_ = false;
};
