#include "core/Resizer.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <QWidget>

Resizer::Resizer(QWidget *parent) : QObject(parent), m_parent(parent)
{
    m_parent->installEventFilter(this);
    // A window given its size before the resizer is attached is already loaded; otherwise the
    // first resize event brings the size it was designed with.
    if (m_parent->testAttribute(Qt::WA_Resized))
        load();
}

void Resizer::load()
{
    m_loaded = true;
    m_refWidth = 0;
    if (m_parent->width() > 0)
        m_aspect = float(m_parent->height()) / float(m_parent->width());
}

bool Resizer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_parent && event->type() == QEvent::Resize) {
        if (!m_loaded)
            load();
        if (m_refWidth == 0.0f)
            rebuild();
        else
            refresh();
    }
    return QObject::eventFilter(watched, event);
}

static bool layoutHolds(const QLayout *layout, const QWidget *w)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == w)
            return true;
        if (item->layout() && layoutHolds(item->layout(), w))
            return true;
    }
    return false;
}

static bool isPlainContainer(const QWidget *w)
{
    const QMetaObject *mo = w->metaObject();
    return mo == &QWidget::staticMetaObject || mo == &QFrame::staticMetaObject || mo == &QGroupBox::staticMetaObject;
}

void Resizer::collect(QWidget *container, QVector<QWidget *> &out)
{
    for (QObject *child : container->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (!w || w->isWindow() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (container->layout() && layoutHolds(container->layout(), w))
            continue;
        out.append(w);
        if (isPlainContainer(w))
            collect(w, out);
    }
}

void Resizer::rebuild()
{
    m_refWidth = float(m_parent->width());
    m_refHeight = float(m_parent->height());
    QVector<QWidget *> controls;
    collect(m_parent, controls);
    m_records.clear();
    m_records.reserve(controls.size());
    for (QWidget *w : controls) {
        Record rec;
        rec.control = w;
        const QRect g = w->geometry();
        rec.left = float(g.x());
        rec.top = float(g.y());
        rec.width = float(g.width());
        rec.height = float(g.height());
        const QFont f = w->font();
        if (f.pointSizeF() > 0)
            rec.fontSize = float(f.pointSizeF());
        else if (f.pixelSize() > 0)
            rec.fontPixels = float(f.pixelSize());
        m_records.append(rec);
    }
}

void Resizer::refresh()
{
    if (m_guard || m_refWidth == 0.0f)
        return;
    if (keepAspect && m_aspect > 0) {
        const int wanted = qRound(float(m_parent->width()) * m_aspect);
        if (wanted != m_parent->height()) {
            m_guard = true;
            m_parent->resize(m_parent->width(), wanted);
            m_guard = false;
        }
    }
    const float hr = float(m_parent->width()) / m_refWidth;
    // A window laid out with no height scales only across.
    const float vr = m_refHeight > 0 ? float(m_parent->height()) / m_refHeight : 1.0f;
    const float fr = qMin(hr, vr);
    for (const Record &rec : std::as_const(m_records)) {
        QWidget *w = rec.control;
        if (!w) // deleted since the records were taken
            continue;
        if (resizeFonts && fr > 0) {
            QFont f = w->font();
            if (rec.fontSize > 0) {
                f.setPointSizeF(qMax(1.0, double(fr * rec.fontSize)));
                w->setFont(f);
            } else if (rec.fontPixels > 0) {
                f.setPixelSize(qMax(1, qRound(fr * rec.fontPixels)));
                w->setFont(f);
            }
        }
        w->setGeometry(qRound(hr * rec.left), qRound(vr * rec.top), qRound(hr * rec.width), qRound(vr * rec.height));
    }
}
