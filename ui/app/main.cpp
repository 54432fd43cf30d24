#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTextStream(stdout) << QStringLiteral("mirelda ") + QLatin1String(MIRELDA_VERSION) << Qt::endl;
    return 0;
}
