#include "app/EtiquetaRecortada.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

EtiquetaRecortada::EtiquetaRecortada(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize EtiquetaRecortada::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize EtiquetaRecortada::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

bool EtiquetaRecortada::recortada() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void EtiquetaRecortada::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    const QRect area = contentsRect();
    const QString visible = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&pintor, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), visible, foregroundRole());
}

bool EtiquetaRecortada::event(QEvent* e) {
    // The whole text as the tooltip, only when it is cut (a set tooltip still wins).
    if (e->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (recortada()) QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
        else QToolTip::hideText();
        return true;
    }
    return QLabel::event(e);
}
