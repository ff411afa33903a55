#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel w(QStringLiteral("Torvane"));
    w.show();
    return app.exec();
}
