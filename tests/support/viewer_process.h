#pragma once
// The real viewer program started as a separate process on the offscreen platform, with
// MIRELDA_PROBE=1: it prints "article N caption" for each article that becomes current and
// answers its own message boxes, printing them ("message caption|text").

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace apptest {

class ViewerProcess
{
  public:
    static constexpr int kWaitMs = 20000;

    // `extraEnvironment`: NAME=value entries over the test's own environment.
    explicit ViewerProcess(const QStringList& args,
                           const QString& program = QStringLiteral(MIRELDA_BINARY_DIR "/mirelda"),
                           const QStringList& extraEnvironment = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("MIRELDA_PROBE"), QStringLiteral("1"));
        for (const QString& entry : extraEnvironment)
            env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, args);
    }
    ~ViewerProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    // Waits for a line that starts with `prefix`; lines read on the way are kept.
    bool WaitForLine(const QString& prefix, int ms = kWaitMs)
    {
        QDeadlineTimer deadline(ms);
        while (true) {
            Drain();
            for (; consumed < lines.size(); ++consumed)
                if (lines[consumed].startsWith(prefix)) {
                    ++consumed;
                    return true;
                }
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
    }
    // Every line printed so far that starts with `prefix`.
    QStringList LinesStartingWith(const QString& prefix)
    {
        Drain();
        QStringList found;
        for (const QString& line : lines)
            if (line.startsWith(prefix))
                found << line;
        return found;
    }
    // Lines printed since the last WaitForLine match.
    QStringList Unread()
    {
        Drain();
        return lines.mid(consumed);
    }
    // Hands a line to the viewer's probe (what a user would do) and waits until it is done.
    bool Command(const QString& line)
    {
        process.write(line.toUtf8() + '\n');
        return WaitForLine(QStringLiteral("done ") + line);
    }
    bool Ends(int ms = kWaitMs)
    {
        return process.state() == QProcess::NotRunning || process.waitForFinished(ms);
    }

    QProcess process;
    QStringList lines;
    qsizetype consumed = 0;

  private:
    void Drain()
    {
        // What the viewer has written so far is in the pipe: take all of it without waiting.
        while (process.state() == QProcess::Running && process.waitForReadyRead(0)) {
        }
        while (process.canReadLine())
            lines << QString::fromUtf8(process.readLine().chopped(1));
    }
};

} // namespace apptest
