#include "window_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

QImage vantrelIconImage()
{
    constexpr int kWidth = 48;
    constexpr int kHeight = 28;
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, 0, kHeight);
    background.setColorAt(0, QColor(18, 32, 74));
    background.setColorAt(1, QColor(6, 12, 30));
    painter.fillRect(image.rect(), background);

    // The output divided down: a square wave along the bottom.
    QPainterPath square;
    square.moveTo(2, 24);
    for (int x = 2; x < kWidth - 2; x += 12) {
        square.lineTo(x, 19);
        square.lineTo(x + 6, 19);
        square.lineTo(x + 6, 24);
        square.lineTo(std::min(x + 12, kWidth - 2), 24);
    }
    painter.setPen(QPen(QColor(255, 160, 40), 1.5));
    painter.drawPath(square);

    // The VCO: a fast sine in the upper half.
    QPainterPath sine;
    for (int i = 0; i <= 88; ++i) {
        const double x = 2 + i * 0.5;
        const double y = 9 - 6 * std::sin(x * 2 * std::numbers::pi / 8);
        if (i == 0)
            sine.moveTo(x, y);
        else
            sine.lineTo(x, y);
    }
    painter.setPen(QPen(QColor(90, 230, 140), 1.6));
    painter.drawPath(sine);
    painter.end();
    return image;
}

QIcon vantrelWindowIcon() { return QIcon(QPixmap::fromImage(vantrelIconImage())); }
