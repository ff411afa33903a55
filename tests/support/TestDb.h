#pragma once
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder holding copies of the built seed databases.
class TestFolder {
public:
    TestFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    // Copies build/<name> into this folder (db.mdb, dbn.mdb, Info.doc) and returns the copy's path.
    QString copySeed(const QString &name, const QString &as = QString()) const;
    static QString buildFile(const QString &name);

private:
    QTemporaryDir m_dir;
};
