#pragma once
// The main window's place, size and maximised state, kept from one run to the next in the
// settings ($XDG_CONFIG_HOME/mirelda/mirelda.conf, group "window") and always restored
// inside the available area of the screen it opens on, whatever that screen's scale factor.

class QWidget;

// Before the first show: the saved place fitted to its screen, or a first place that fits
// the primary screen; maximised again when it was.

namespace mirelda::ui {

void RestoreWindowGeometry(QWidget& window);
// Once shown, when the window system has framed the window: the frame too inside the screen.
void KeepFrameOnScreen(QWidget& window);
// At close.
void SaveWindowGeometry(const QWidget& window);

} // namespace mirelda::ui
