#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace Twips {

namespace {
double logicalDpi()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchX();
    return 96.0;
}
} // namespace

int toPixels(int twips)
{
    return int(std::lround(twips * logicalDpi() / 1440.0));
}

int fromPixels(int pixels)
{
    return int(std::lround(pixels * 1440.0 / logicalDpi()));
}

QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect(left, top, width, height));
}

} // namespace Twips
