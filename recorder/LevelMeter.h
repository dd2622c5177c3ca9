#pragma once

// A bar that shows how loud the sound coming in is, in decibels from -60 dBFS
// (empty) to 0 dBFS (full). It is repainted only when the level changes.

#include <QWidget>

namespace recorder {

class LevelMeter : public QWidget
{
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr);

    // The loudest sample just heard, 0 .. 1.
    void setLevel(float peak);
    double fill() const { return m_fill; } // 0 .. 1

    QSize sizeHint() const override { return {200, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_fill = 0;
};

} // namespace recorder
