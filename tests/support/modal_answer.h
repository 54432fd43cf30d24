#pragma once
// Answering the dialogs a window opens with exec(), for the QtTest programs: the test arranges
// the answer before it runs the command that opens the dialog.

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace mirelda::test {

// Runs `answer` on the next modal dialog once it is up (looking every 10 ms, for at most about
// two seconds).
inline void AnswerNextModal(std::function<void(QWidget*)> answer, int triesLeft = 200)
{
    QTimer::singleShot(10, qApp, [answer = std::move(answer), triesLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else if (triesLeft > 0)
            AnswerNextModal(std::move(answer), triesLeft - 1);
    });
}

// Presses the default button of every message box that opens while it lives (or closes a box
// without one), keeping what each one said.
class MessageAnswerer : public QObject
{
  public:
    struct Seen
    {
        QString caption, text;
        QMessageBox::Icon icon;
        bool hadParent;
        bool busyCursor; // an override cursor (the wait cursor) was over the box
    };
    QList<Seen> seen;

    MessageAnswerer() { qApp->installEventFilter(this); }
    ~MessageAnswerer() override { qApp->removeEventFilter(this); }
    MessageAnswerer(const MessageAnswerer&) = delete;
    MessageAnswerer& operator=(const MessageAnswerer&) = delete;

    // "caption|text" of each box, in order.
    QStringList CaptionsAndTexts() const
    {
        QStringList list;
        for (const Seen& s : seen)
            list << s.caption + QStringLiteral("|") + s.text;
        return list;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && !box->property("answered").toBool()) {
            box->setProperty("answered", true);
            seen.append({box->windowTitle(), box->text(), box->icon(), box->parentWidget() != nullptr,
                         QGuiApplication::overrideCursor() != nullptr});
            QTimer::singleShot(0, box, [box] {
                if (QAbstractButton* b = box->defaultButton())
                    b->click();
                else
                    box->close();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace mirelda::test
