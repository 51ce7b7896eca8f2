// vantrel-icon: writes the window's icon as the PNG files that are installed
// with the program: the 48 x 28 original, and the same centred on a
// transparent 48 x 48 square, since icon themes only take square sizes.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "window_icon.h"

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() == 2 && arguments[1] == QLatin1String("--version")) {
        std::fputs("vantrel-icon " VANTREL_VERSION "\n", stdout);
        return 0;
    }
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: vantrel-icon ORIGINAL.png SQUARE.png\n");
        return 2;
    }

    const QImage original = vantrelIconImage();
    const int side = std::max(original.width(), original.height());
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((side - original.width()) / 2, (side - original.height()) / 2, original);
    painter.end();

    const std::pair<const QImage*, QString> outputs[] = {{&original, arguments[1]}, {&square, arguments[2]}};
    for (const auto& [image, file] : outputs) {
        if (!image->save(file, "PNG")) {
            std::fprintf(stderr, "vantrel-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
