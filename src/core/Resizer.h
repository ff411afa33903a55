#pragma once
#include <QObject>
#include <QPointer>
#include <QVector>

class QWidget;

// Scales a window's controls with the window. The first resize of the window (when it is first
// shown) records every control's position, size and font size; every later resize places them
// in proportion to the window's inner size, always from the recorded values, so repeated
// resizing never accumulates rounding.
//
// Controls are the window's child widgets in creation order, and the children of plain
// containers (QWidget, QFrame, QGroupBox) among them, whose positions are scaled within their
// container. Left alone: widgets placed by a layout (the layout already sizes them), separate
// windows (dialogs, menus) and the internal parts of composite widgets. Attach it to the widget
// whose children are placed absolutely (for a QMainWindow, its central widget).
class Resizer : public QObject {
    Q_OBJECT
public:
    explicit Resizer(QWidget *parent);

    bool resizeFonts = false; // scale font sizes too, by the smaller of the two ratios
    bool keepAspect = false;  // keep the window's height-to-width ratio of the time it was loaded

    // Take the current layout as the reference.
    void rebuild();
    // Place the recorded controls for the window's current size.
    void refresh();

    bool hasRecords() const { return m_refWidth != 0.0f; }
    float aspectRatio() const { return m_aspect; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Record {
        QPointer<QWidget> control;
        float left = 0, top = 0, width = 0, height = 0;
        float fontSize = 0; // points; 0 when the font is set in pixels or missing
        float fontPixels = 0;
    };
    void load();
    static void collect(QWidget *container, QVector<QWidget *> &out);

    QWidget *m_parent;
    float m_refWidth = 0;
    float m_refHeight = 0;
    float m_aspect = 0;
    bool m_loaded = false;
    bool m_guard = false; // set while this resizer itself changes the window's height
    QVector<Record> m_records;
};
