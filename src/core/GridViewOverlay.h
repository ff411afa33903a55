#pragma once
#include "core/GridView.h"

#include <QHeaderView>

// A fixed part of the grid: no frame, headers, scroll bars or focus of its own.
class GridView::Overlay : public QTableView {
public:
    Overlay(GridView *owner, const QString &name) : QTableView(owner)
    {
        setObjectName(name); // qt_ prefix: internal part, left alone by the resizer
        setFrameShape(QFrame::NoFrame);
        horizontalHeader()->hide();
        verticalHeader()->hide();
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFocusPolicy(Qt::NoFocus);
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setShowGrid(false);
        setAutoScroll(false);
        setWordWrap(false);
        for (QHeaderView *h : {horizontalHeader(), verticalHeader()}) {
            h->setMinimumSectionSize(0);
            h->setSectionResizeMode(QHeaderView::Fixed);
        }
        viewport()->setMouseTracking(true);
    }

protected:
    void scrollContentsBy(int dx, int dy) override
    {
        QTableView::scrollContentsBy(dx, dy);
        alignTopRow(this);
    }
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        alignTopRow(this);
    }
};
