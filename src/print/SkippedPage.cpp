#include "print/SkippedPage.h"

#include <QPaintEngine>

// Takes every drawing call and does nothing with it.
class SkippedPage::Engine : public QPaintEngine {
public:
    Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override {}
    void drawPath(const QPainterPath &) override {}
    using QPaintEngine::drawPolygon;
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &, const QTextItem &) override {}
    Type type() const override { return User; }
};

SkippedPage::SkippedPage(const QPaintDevice &paper)
    : m_engine(std::make_unique<Engine>()), m_width(paper.width()), m_height(paper.height()),
      m_widthMM(paper.widthMM()), m_heightMM(paper.heightMM()), m_depth(paper.depth()), m_colors(paper.colorCount()),
      m_dpiX(paper.logicalDpiX()), m_dpiY(paper.logicalDpiY()), m_physicalDpiX(paper.physicalDpiX()),
      m_physicalDpiY(paper.physicalDpiY()), m_ratio(paper.devicePixelRatio())
{
}

SkippedPage::~SkippedPage() = default;

QPaintEngine *SkippedPage::paintEngine() const { return m_engine.get(); }

int SkippedPage::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_width;
    case PdmHeight: return m_height;
    case PdmWidthMM: return m_widthMM;
    case PdmHeightMM: return m_heightMM;
    case PdmNumColors: return m_colors;
    case PdmDepth: return m_depth;
    case PdmDpiX: return m_dpiX;
    case PdmDpiY: return m_dpiY;
    case PdmPhysicalDpiX: return m_physicalDpiX;
    case PdmPhysicalDpiY: return m_physicalDpiY;
    case PdmDevicePixelRatio: return int(m_ratio);
    case PdmDevicePixelRatioScaled: return int(m_ratio * devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}
