#include "ui/app/window_geometry.h"

#include "core/app/window_fit.h"
#include "ui/widgets/settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace mirelda::ui {

namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kMaximizedKey = QStringLiteral("window/maximized");

mirelda::WindowRect ToWindowRect(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

} // namespace

void RestoreWindowGeometry(QWidget& window)
{
    const QSettings settings = MireldaSettings();
    const QRect saved = settings.value(kGeometryKey).toRect();
    // The screen that held the window's middle, if it is still there; else the primary one.
    QScreen* screen = saved.isValid() ? QGuiApplication::screenAt(saved.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const mirelda::WindowRect available =
        screen ? ToWindowRect(screen->availableGeometry()) : mirelda::WindowRect{};
    const mirelda::WindowRect fitted = saved.isValid() ? mirelda::FitInside(ToWindowRect(saved), available)
                                                       : mirelda::FirstWindowRect(available);
    window.setGeometry(fitted.x, fitted.y, fitted.width, fitted.height);
    if (settings.value(kMaximizedKey, false).toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void KeepFrameOnScreen(QWidget& window)
{
    if (window.isMaximized() || window.isFullScreen() || window.isMinimized())
        return;
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const QRect available = screen->availableGeometry();
    if (available.contains(frame))
        return;
    const mirelda::WindowRect fitted = mirelda::FitInside(ToWindowRect(frame), ToWindowRect(available));
    // The frame's margins stay as the window system draws them; the inside gets the rest.
    const int left = inner.left() - frame.left();
    const int top = inner.top() - frame.top();
    const int right = frame.right() - inner.right();
    const int bottom = frame.bottom() - inner.bottom();
    window.setGeometry(fitted.x + left, fitted.y + top, std::max(1, fitted.width - left - right),
                       std::max(1, fitted.height - top - bottom));
}

void SaveWindowGeometry(const QWidget& window)
{
    QSettings settings = MireldaSettings();
    // The place it takes again when it is no longer maximised.
    settings.setValue(kGeometryKey, window.normalGeometry());
    settings.setValue(kMaximizedKey, window.isMaximized());
}

} // namespace mirelda::ui
