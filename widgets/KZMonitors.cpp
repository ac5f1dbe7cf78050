#include "KZMonitors.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

KRect Inclusive(const QRect& r) {
    return {r.left(), r.top(), r.right(), r.bottom()};
}

}  // namespace

std::vector<KRect> KZMonitors() {
    std::vector<KRect> monitors;
    auto add = [&monitors](const QScreen* screen) {
        const KRect rect = Inclusive(screen->geometry());
        if (std::find(monitors.begin(), monitors.end(), rect) == monitors.end())
            monitors.push_back(rect);
    };
    if (const QScreen* primary = QGuiApplication::primaryScreen()) add(primary);
    for (const QScreen* screen : QGuiApplication::screens()) add(screen);
    return monitors;
}
