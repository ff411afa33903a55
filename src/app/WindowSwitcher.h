#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

// Windows that replace each other: show the next one, then close the current one.
class WindowSwitcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes ownership of next (deleted on close). current may be null.
    void replace(QWidget *current, QWidget *next);
    void show(QWidget *next);
    QWidget *current() const { return m_current; }

signals:
    void switched(QWidget *next);

private:
    QPointer<QWidget> m_current;
};
