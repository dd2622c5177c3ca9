#include "LevelMeter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {

constexpr double FloorDb = -60;

} // namespace

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LevelMeter"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Input level"));
}

void LevelMeter::setLevel(float peak)
{
    const double db = peak > 0 ? 20 * std::log10(double(peak)) : FloorDb;
    const double fill = std::clamp((db - FloorDb) / -FloorDb, 0.0, 1.0);
    // Whole pixels: no repaint for a change nobody could see.
    if (std::lround(fill * width()) == std::lround(m_fill * width()))
        return;
    m_fill = fill;
    update();
}

void LevelMeter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(frame, palette().base());
    const int filled = static_cast<int>(std::lround(m_fill * (frame.width() - 1)));
    if (filled > 0) {
        // Green, then amber above -12 dBFS, red above -3 dBFS.
        const auto at = [&](double db) {
            return static_cast<int>((db - FloorDb) / -FloorDb * (frame.width() - 1));
        };
        const QRect bar(frame.left() + 1, frame.top() + 1, filled, frame.height() - 1);
        painter.fillRect(bar, QColor(0x3c, 0xa0, 0x46));
        if (filled > at(-12))
            painter.fillRect(QRect(at(-12) + 1, bar.top(), filled - at(-12), bar.height()),
                             QColor(0xe0, 0xa0, 0x20));
        if (filled > at(-3))
            painter.fillRect(QRect(at(-3) + 1, bar.top(), filled - at(-3), bar.height()),
                             QColor(0xd0, 0x30, 0x30));
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
}

} // namespace recorder
