#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// Where a window must be: horizontally centred, top at (screen - outer height) / d.
inline QPoint placed(QWidget* w, double d)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = w->frameGeometry().size();
    return {int((screen.width() - outer.width()) / 2.0), int((screen.height() - outer.height()) / d)};
}
