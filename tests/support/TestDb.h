#pragma once
#include "store/AppError.h"
#include "store/Database.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>

// The engine's number of the failure f throws, 0 when it runs through; its description in text.
inline int errorOf(const std::function<void()> &f, QString *text = nullptr)
{
    try {
        f();
    } catch (const AppError &e) {
        if (text)
            *text = e.description();
        return e.number();
    }
    return 0;
}

// The lock wait a test needs for a while (the tests' own is short), given back at the end of the scope.
class LockPatience {
public:
    explicit LockPatience(int ms) : m_earlier(Database::lockPatience()) { Database::setLockPatience(ms); }
    ~LockPatience() { Database::setLockPatience(m_earlier); }
    LockPatience(const LockPatience &) = delete;
    LockPatience &operator=(const LockPatience &) = delete;

private:
    int m_earlier;
};

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
