#pragma once
#include <QPaintDevice>
#include <memory>

// Stands in for a sheet of paper that is not to be printed (outside the pages asked for): it has
// the paper's size and resolution, so text measures and breaks exactly as on the paper, and keeps
// nothing drawn on it.
class SkippedPage : public QPaintDevice {
public:
    explicit SkippedPage(const QPaintDevice &paper);
    ~SkippedPage() override;
    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
    int m_width, m_height, m_widthMM, m_heightMM, m_depth, m_colors;
    int m_dpiX, m_dpiY, m_physicalDpiX, m_physicalDpiY;
    qreal m_ratio;
};
