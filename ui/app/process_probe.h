#pragma once
// What a test driving the real program from outside can observe. Off unless the
// environment variable MIRELDA_PROBE is set to 1; then the viewer
//  - prints one line on standard output for each article that becomes current:
//      "article <number> <caption>"
//  - and for each message box: "message <caption>|<text>", after which it presses the
//    box's default button (the box is shown as usual; nobody is there to answer it);
//  - hands each line it reads on standard input to the command handler the application
//    set (what a user's hands would do), then prints "done <line>".
// Nothing else changes.

#include <QString>

#include <functional>

class QApplication;

namespace mirelda::ui {

namespace ProcessProbe {

bool Enabled();
void Report(const QString& line);        // one line on stdout, flushed; nothing when disabled
void Install(QApplication& application); // the message-box answerer, when enabled
void SetCommandHandler(std::function<void(const QString& line)> handler); // nothing when disabled

} // namespace ProcessProbe

} // namespace mirelda::ui
