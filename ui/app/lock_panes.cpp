#include "ui/app/lock_panes.h"

#include "core/app/command_table.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace mirelda::ui {

namespace {

const QString kLedsFolder = QStringLiteral("/sys/class/leds");

QString Text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

CLockPanes::CLockPanes(QStatusBar* statusBar) : QObject(statusBar)
{
    const std::array<std::string_view, 3> texts{mirelda::kCapsLockPane, mirelda::kNumLockPane,
                                                mirelda::kScrollLockPane};
    const std::array<const char*, 3> names{"capsLockPane", "numLockPane", "scrollLockPane"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(Text(texts[i]), statusBar);
        label->setObjectName(QLatin1String(names[i]));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(label->text()) + 12);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        statusBar->addPermanentWidget(label);
        panes_[i] = label;
    }
    Refresh();
    if (known_)
        qApp->installEventFilter(this);
}

std::optional<bool> CLockPanes::ReadLed(const QString& ledsFolder, Lock lock)
{
    static const char* const suffixes[] = {"::capslock", "::numlock", "::scrolllock"};
    const QString suffix = QLatin1String(suffixes[lock]);
    std::optional<bool> state;
    const QStringList leds = QDir(ledsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& led : leds) {
        if (!led.endsWith(suffix))
            continue;
        QFile file(ledsFolder + QLatin1Char('/') + led + QLatin1String("/brightness"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const bool on = file.read(16).trimmed().toInt() != 0;
        state = state.value_or(false) || on;
    }
    return state;
}

void CLockPanes::Refresh()
{
    known_ = false;
    for (int i = 0; i < 3; ++i) {
        const std::optional<bool> on = ReadLed(kLedsFolder, static_cast<Lock>(i));
        known_ = known_ || on.has_value();
        // Lit when the lock is on; greyed when it is off or cannot be known.
        panes_[i]->setEnabled(on.value_or(false));
    }
}

bool CLockPanes::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
            QTimer::singleShot(50, this, &CLockPanes::Refresh); // the LED follows the key shortly
    } else if (event->type() == QEvent::ApplicationActivate) {
        Refresh(); // the locks may have changed while another program had the keyboard
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mirelda::ui
