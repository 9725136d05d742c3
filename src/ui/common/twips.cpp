#include "ui/common/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace dr::ui {

static double g_override = 0;

void setTwipsPerPixel(double tpp) { g_override = tpp > 0 ? tpp : 0; }

double twipsPerPixel() {
    if (g_override > 0) return g_override;
    QScreen* s = QGuiApplication::primaryScreen();
    double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    if (dpi <= 0) dpi = 96.0;
    return 1440.0 / dpi;
}

int toPx(int64_t twips) { return static_cast<int>(std::llround(static_cast<double>(twips) / twipsPerPixel())); }

int64_t toTwips(int px) { return std::llround(px * twipsPerPixel()); }

static QSize screenPx() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

int64_t screenWidthTwips() { return toTwips(screenPx().width()); }
int64_t screenHeightTwips() { return toTwips(screenPx().height()); }

} // namespace dr::ui
