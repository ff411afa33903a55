#include "print/DrawSurface.h"

#include "core/Twips.h"
#include "print/SkippedPage.h"
#include "store/AppError.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <cmath>

namespace {

double perInch(DrawSurface::Units u, int dpi)
{
    switch (u) {
    case DrawSurface::Twips: return TwipsPerInch;
    case DrawSurface::Himetric: return HimetricPerInch;
    case DrawSurface::Pixels: break;
    }
    return dpi;
}

AppError printerError() { return AppError(482, QStringLiteral("Printer error")); }
} // namespace

DrawSurface::DrawSurface() = default;
DrawSurface::~DrawSurface() = default;

void DrawSurface::attach(QPaintDevice *device)
{
    m_device = device;
    m_dpiX = device->logicalDpiX();
    m_dpiY = device->logicalDpiY();
    if (!m_painter.begin(device))
        throw printerError();
    applyState();
}

void DrawSurface::detach()
{
    if (m_painter.isActive())
        m_painter.end();
}

void DrawSurface::applyState()
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setFont(m_font);
}

double DrawSurface::scaleWidth() const { return m_device ? scaleX(m_device->width(), Pixels, m_scaleMode) : 0.0; }

double DrawSurface::scaleHeight() const { return m_device ? scaleY(m_device->height(), Pixels, m_scaleMode) : 0.0; }

void DrawSurface::setFont(const QFont &font)
{
    m_font = font;
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

double DrawSurface::scaleX(double value, Units from, Units to) const
{
    return value / perInch(from, m_dpiX) * perInch(to, m_dpiX);
}

double DrawSurface::scaleY(double value, Units from, Units to) const
{
    return value / perInch(from, m_dpiY) * perInch(to, m_dpiY);
}

double DrawSurface::textHeight(const QString &text) const
{
    const QFontMetrics fm(m_font, m_device);
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const int lines = int(t.count(QLatin1Char('\n'))) + 1;
    return scaleY(double(fm.height()) * lines, Pixels, m_scaleMode);
}

double DrawSurface::textWidth(const QString &text) const
{
    const QFontMetrics fm(m_font, m_device);
    int widest = 0;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString &line : t.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return scaleX(widest, Pixels, m_scaleMode);
}

void DrawSurface::Line(double x1, double y1, double x2, double y2, const QColor &color, bool box)
{
    const int l = int(std::lround(toPixelsX(x1)));
    const int t = int(std::lround(toPixelsY(y1)));
    const int r = int(std::lround(toPixelsX(x2)));
    const int b = int(std::lround(toPixelsY(y2)));
    if (box) {
        boxPixels(l, t, r, b, m_drawWidth, color);
    } else {
        m_painter.setPen(QPen(color, m_drawWidth));
        m_painter.drawLine(l, t, r, b);
    }
    m_currentX = x2;
    m_currentY = y2;
}

void DrawSurface::paintPicture(const QImage &picture, double x, double y, double width, double height)
{
    if (picture.isNull())
        return;
    const QRectF target(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
    m_painter.drawImage(target, picture);
}

void DrawSurface::printText(const QString &text, bool newLine)
{
    const QFontMetrics fm(m_font, m_device);
    m_painter.setPen(m_foreColor);
    m_painter.drawText(QPointF(toPixelsX(m_currentX), toPixelsY(m_currentY) + fm.ascent()), text);
    if (newLine) {
        m_currentY += textHeight(text);
        m_currentX = 0;
    } else {
        m_currentX += textWidth(text);
    }
}

void DrawSurface::boxPixels(int left, int top, int right, int bottom, int penWidth, const QColor &color)
{
    QPen pen(color, penWidth < 1 ? 1 : penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRect(QPoint(left, top), QSize(right - left, bottom - top)));
}

void DrawSurface::linePixels(int x1, int y1, int x2, int y2, int penWidth, const QColor &color)
{
    m_painter.setPen(QPen(color, penWidth < 1 ? 1 : penWidth));
    m_painter.drawLine(x1, y1, x2, y2);
}

void DrawSurface::fillPixels(int left, int top, int right, int bottom, const QColor &color)
{
    if (right <= left || bottom <= top)
        return;
    m_painter.fillRect(QRect(left, top, right - left, bottom - top), color);
}

// A text laid out into a width; height in pixels.
struct DrawSurface::Lines {
    std::unique_ptr<QTextLayout> layout;
    int height = 0;
};

DrawSurface::Lines DrawSurface::layOut(const QString &text, int widthPx, unsigned flags) const
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A single line shows its line breaks as blanks.
    t.replace(QLatin1Char('\n'), (flags & DT::SingleLine) ? QChar(QLatin1Char(' ')) : QChar(QChar::LineSeparator));
    Lines lines;
    lines.layout = std::make_unique<QTextLayout>(t, m_font, m_device);
    const Qt::Alignment align = (flags & DT::Center)  ? Qt::AlignHCenter
                                : (flags & DT::Right) ? Qt::AlignRight
                                                      : Qt::AlignLeft;
    QTextOption option(align);
    // A word wider than the whole line is broken inside; every other break is between words.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lines.layout->setTextOption(option);
    lines.layout->beginLayout();
    double y = 0;
    for (;;) {
        QTextLine line = lines.layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(1, widthPx));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    lines.layout->endLayout();
    lines.height = std::max(int(std::ceil(y)), QFontMetrics(m_font, m_device).height());
    return lines;
}

int DrawSurface::wrappedHeightPixels(const QString &text, int widthPx, unsigned flags) const
{
    return layOut(text, widthPx, flags).height;
}

double DrawSurface::printWrapped(const QString &text, double x, double y, double width)
{
    const Lines lines = layOut(text, int(std::floor(toPixelsX(width))), DT::Left);
    m_painter.setPen(m_foreColor);
    const QPointF at(toPixelsX(x), toPixelsY(y));
    for (int i = 0; i < lines.layout->lineCount(); ++i)
        lines.layout->lineAt(i).draw(&m_painter, at);
    return scaleY(lines.height, Pixels, m_scaleMode);
}

void DrawSurface::textPixels(const QString &text, int left, int top, int right, int bottom, unsigned flags)
{
    if (right <= left || bottom <= top)
        return;
    const Lines lines = layOut(text, right - left, flags);
    const QTextLayout &layout = *lines.layout;
    const int room = bottom - top;
    // A cell's edges are rounded to whole pixels, so its last line may reach a pixel or two further.
    constexpr int Slack = 2;
    int shown = 0;
    double used = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (i > 0 && line.y() + line.height() > room + Slack)
            break;
        ++shown;
        used = line.y() + line.height();
    }
    double y = top;
    // Vertical placement only applies to a single line, as with the platform's call.
    if ((flags & DT::SingleLine) && (flags & DT::VCenter))
        y = top + std::max(0.0, (room - used) / 2);
    else if ((flags & DT::SingleLine) && (flags & DT::Bottom))
        y = top + std::max(0.0, room - used);
    m_painter.setPen(m_foreColor);
    m_painter.save();
    m_painter.setClipRect(QRect(left, top, right - left, bottom - top), Qt::IntersectClip);
    for (int i = 0; i < shown; ++i)
        layout.lineAt(i).draw(&m_painter, QPointF(left, y));
    m_painter.restore();
}

double DrawSurface::textSlice(const QString &text, int left, int top, int right, int bottom, unsigned flags,
                              double from, bool paint)
{
    const Lines lines = layOut(text, std::max(1, right - left), flags);
    const QTextLayout &layout = *lines.layout;
    constexpr int Slack = 2;
    const int room = bottom - top;
    int first = 0;
    while (first < layout.lineCount() && layout.lineAt(first).y() < from - 0.5)
        ++first;
    int end = first;
    while (end < layout.lineCount()) {
        const QTextLine line = layout.lineAt(end);
        if (line.y() - from + line.height() > room + Slack)
            break;
        ++end;
    }
    if (paint && end > first && right > left && bottom > top) {
        m_painter.setPen(m_foreColor);
        m_painter.save();
        m_painter.setClipRect(QRect(left, top, right - left, bottom - top), Qt::IntersectClip);
        for (int i = first; i < end; ++i)
            layout.lineAt(i).draw(&m_painter, QPointF(left, top - from));
        m_painter.restore();
    }
    return end < layout.lineCount() ? layout.lineAt(end).y() : -1.0;
}

// ---------------------------------------------------------------------------------------------

ImageSurface::ImageSurface(double widthTwips, double heightTwips, int dpi)
{
    const int w = std::max(1, int(std::lround(widthTwips * dpi / TwipsPerInch)));
    const int h = std::max(1, int(std::lround(heightTwips * dpi / TwipsPerInch)));
    m_image = QImage(w, h, QImage::Format_RGB32);
    if (m_image.isNull())
        throw AppError(7, QStringLiteral("Out of memory"));
    const int dpm = int(std::lround(dpi / 0.0254));
    m_image.setDotsPerMeterX(dpm);
    m_image.setDotsPerMeterY(dpm);
    m_image.fill(m_backColor);
    attach(&m_image);
}

ImageSurface::~ImageSurface() { detach(); }

double ImageSurface::widthTwips() const { return scaleX(m_image.width(), Pixels, Twips); }
double ImageSurface::heightTwips() const { return scaleY(m_image.height(), Pixels, Twips); }

void ImageSurface::setSizeTwips(double widthTwips, double heightTwips)
{
    const int w = std::max(1, int(std::lround(scaleX(widthTwips, Twips, Pixels))));
    const int h = std::max(1, int(std::lround(scaleY(heightTwips, Twips, Pixels))));
    if (w == m_image.width() && h == m_image.height())
        return;
    QImage grown(w, h, QImage::Format_RGB32);
    if (grown.isNull())
        throw AppError(7, QStringLiteral("Out of memory"));
    grown.setDotsPerMeterX(m_image.dotsPerMeterX());
    grown.setDotsPerMeterY(m_image.dotsPerMeterY());
    grown.fill(m_backColor);
    detach();
    {
        QPainter p(&grown);
        p.drawImage(0, 0, m_image);
    }
    m_image = grown;
    attach(&m_image);
}

void ImageSurface::cls()
{
    m_image.fill(m_backColor);
    setCurrentX(0);
    setCurrentY(0);
}

QImage ImageSurface::image() const { return m_image.copy(); }

// ---------------------------------------------------------------------------------------------

PageSurface::PageSurface(QPagedPaintDevice *device, int fromPage, int toPage)
    : m_pagedDevice(device), m_from(fromPage), m_to(toPage)
{
    // The device is begun only once a page for it comes: a range past the last page prints nothing.
    if (printsPage(1)) {
        attach(device);
        m_printed = 1;
    } else {
        skipPage();
    }
}

PageSurface::~PageSurface() { detach(); }

std::unique_ptr<PageSurface> PageSurface::defaultPrinter(QPageLayout::Orientation orientation)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
        throw printerError();
    printer->setPageOrientation(orientation);
    auto surface = std::make_unique<PageSurface>(printer.get());
    surface->m_owned = std::move(printer);
    return surface;
}

std::unique_ptr<PageSurface> PageSurface::chosenPrinter(std::unique_ptr<QPrinter> printer)
{
    if (!printer->isValid())
        throw printerError();
    // A range the dialog handed to the printing system itself is left as PrintRange AllPages.
    const bool range = printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0;
    auto surface = std::make_unique<PageSurface>(printer.get(), range ? printer->fromPage() : 0,
                                                 range ? printer->toPage() : 0);
    surface->m_owned = std::move(printer);
    return surface;
}

std::unique_ptr<PageSurface> PageSurface::pdfFile(const QString &path, const QPageLayout &layout, int dpi)
{
    auto writer = std::make_unique<QPdfWriter>(path);
    writer->setResolution(dpi);
    writer->setCreator(QStringLiteral("Torvane"));
    if (!writer->setPageLayout(layout))
        throw printerError();
    std::unique_ptr<PageSurface> surface;
    try {
        surface = std::make_unique<PageSurface>(writer.get());
    } catch (const AppError &) {
        throw AppError(75, QStringLiteral("Path/File access error"));
    }
    surface->m_owned = std::move(writer);
    return surface;
}

void PageSurface::skipPage()
{
    detach();
    if (!m_skipped)
        m_skipped = std::make_unique<SkippedPage>(*m_pagedDevice);
    attach(m_skipped.get());
}

void PageSurface::newPage()
{
    if (!m_painter.isActive())
        throw printerError();
    const bool wasPrinting = device() == m_pagedDevice;
    ++m_pages;
    const bool printing = printsPage(m_pages);
    if (wasPrinting && printing) {
        if (!m_pagedDevice->newPage())
            throw printerError();
    } else if (wasPrinting) {
        // Past the last page asked for: the document is complete.
        if (!m_painter.end())
            throw printerError();
        skipPage();
    } else if (printing) {
        detach();
        attach(m_pagedDevice);
    }
    if (printing)
        ++m_printed;
    applyState();
    setCurrentX(0);
    setCurrentY(0);
}

void PageSurface::endDoc()
{
    if (m_painter.isActive() && !m_painter.end())
        throw printerError();
}
