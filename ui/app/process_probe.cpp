#include "ui/app/process_probe.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace mirelda::ui {

namespace {

class MessageBoxAnswerer : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && !box->property("mireldaProbed").toBool()) {
            box->setProperty("mireldaProbed", true);
            ProcessProbe::Report(QStringLiteral("message ") + box->windowTitle() + QLatin1Char('|') +
                                 box->text());
            QTimer::singleShot(0, box, [box] {
                if (QAbstractButton* button = box->defaultButton())
                    button->click();
                else
                    box->close();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace ProcessProbe {

bool Enabled()
{
    return qEnvironmentVariableIntValue("MIRELDA_PROBE") == 1;
}

void Report(const QString& line)
{
    if (!Enabled())
        return;
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Install(QApplication& application)
{
    if (Enabled())
        application.installEventFilter(new MessageBoxAnswerer(&application));
}

void SetCommandHandler(std::function<void(const QString& line)> handler)
{
    if (!Enabled() || !qApp)
        return;
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(input, &QSocketNotifier::activated, input, [input, buffer, handler] {
        char bytes[512];
        const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (n <= 0) {
            input->setEnabled(false); // the test closed its end
            return;
        }
        buffer->append(bytes, n);
        qsizetype end;
        while ((end = buffer->indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(buffer->left(end));
            buffer->remove(0, end + 1);
            handler(line);
            Report(QStringLiteral("done ") + line);
        }
    });
}

} // namespace ProcessProbe

} // namespace mirelda::ui
