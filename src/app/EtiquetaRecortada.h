#pragma once
#include <QLabel>

// A one-line label for texts of any length (product keys, descriptions, a send's progress):
// what does not fit ends in "…" with the whole text in its tooltip, so a long text never
// widens the window. text() keeps the whole text.
class EtiquetaRecortada : public QLabel {
public:
    explicit EtiquetaRecortada(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // True when the text is wider than the label (shown cut, whole in the tooltip).
    bool recortada() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
};
