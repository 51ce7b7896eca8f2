// Colour values red + 256 x green + 65536 x blue applied to widgets.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

#include "results_listing.h"

inline QColor toQColor(vantrel::Colour colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline vantrel::Colour fromQColor(const QColor& colour)
{
    return vantrel::Colour(colour.red()) + 256 * vantrel::Colour(colour.green())
           + 65536 * vantrel::Colour(colour.blue());
}

inline void setRoleColour(QWidget* widget, QPalette::ColorRole role, vantrel::Colour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, toQColor(colour));
    widget->setPalette(palette);
}

inline vantrel::Colour roleColour(const QWidget* widget, QPalette::ColorRole role)
{
    return fromQColor(widget->palette().color(role));
}
