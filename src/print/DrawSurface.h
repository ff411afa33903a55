#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPrinter;

// Flags of the platform's DrawText call, as the table renderer combines them.
namespace DT {
constexpr unsigned Left = 0x0;
constexpr unsigned Center = 0x1;
constexpr unsigned Right = 0x2;
constexpr unsigned VCenter = 0x4;
constexpr unsigned Bottom = 0x8;
constexpr unsigned WordBreak = 0x10;
constexpr unsigned SingleLine = 0x20;
constexpr unsigned NoPrefix = 0x800;
} // namespace DT

// What a picture box or the printer offers to the table printer: a scale (twips unless changed),
// a current position, a font, text measuring, lines, pictures, and the few device calls in
// pixels (border, solid fill, text into a rectangle). One painter does the work for every device,
// so the preview, the paper and a PDF file come out of the same code.
class DrawSurface {
public:
    enum Units { Twips = 1, Pixels = 3, Himetric = 8 };

    virtual ~DrawSurface();
    DrawSurface(const DrawSurface &) = delete;
    DrawSurface &operator=(const DrawSurface &) = delete;

    // The printer (and a PDF file) starts new pages; a picture box grows instead.
    virtual bool isPrinter() const = 0;

    Units scaleMode() const { return m_scaleMode; }
    void setScaleMode(Units mode) { m_scaleMode = mode; }
    double scaleWidth() const;
    double scaleHeight() const;
    double currentX() const { return m_currentX; }
    void setCurrentX(double x) { m_currentX = x; }
    double currentY() const { return m_currentY; }
    void setCurrentY(double y) { m_currentY = y; }

    const QFont &currentFont() const { return m_font; }
    void setFont(const QFont &font);
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &c) { m_foreColor = c; }
    int drawWidth() const { return m_drawWidth; }
    void setDrawWidth(int pixels) { m_drawWidth = pixels < 1 ? 1 : pixels; }

    // Height of the text in the current font and scale: one line height per line, so an empty
    // text measures one line.
    double textHeight(const QString &text) const;
    double textWidth(const QString &text) const;
    // Height in pixels of the text wrapped into widthPx the way textPixels lays it out: at word
    // boundaries, inside a word only where the word alone is wider. With DT::SingleLine the
    // text's own line breaks count as blanks. An empty text measures one line.
    int wrappedHeightPixels(const QString &text, int widthPx, unsigned flags) const;

    double scaleX(double value, Units from, Units to) const;
    double scaleY(double value, Units from, Units to) const;
    int dpiX() const { return m_dpiX; }
    int dpiY() const { return m_dpiY; }

    // Scale units. A box is the outline only.
    void Line(double x1, double y1, double x2, double y2, const QColor &color, bool box = false);
    // The whole picture stretched into the rectangle.
    void paintPicture(const QImage &picture, double x, double y, double width, double height);
    // Text at the current position; with newLine the position moves to the start of the next
    // line, otherwise behind the text.
    void printText(const QString &text, bool newLine = true);
    // Text wrapped into the width at (x, y), left aligned; returns the height it took.
    double printWrapped(const QString &text, double x, double y, double width);

    // Device calls in pixels with the platform's geometry. The border runs through both corners.
    void boxPixels(int left, int top, int right, int bottom, int penWidth, const QColor &color);
    void linePixels(int x1, int y1, int x2, int y2, int penWidth, const QColor &color);
    // Right and bottom are outside the fill.
    void fillPixels(int left, int top, int right, int bottom, const QColor &color);
    // Text into the rectangle (right and bottom outside) in the fore colour, wrapped to its width
    // as wrappedHeightPixels measures. Only lines that fit the rectangle's height are drawn (the
    // first always), so what a file holds is what the paper shows.
    void textPixels(const QString &text, int left, int top, int right, int bottom, unsigned flags);
    // One page's part of a text too tall for a page: the lines that begin from pixels into the
    // wrapped text (as textPixels wraps it) and fit the rectangle's height, drawn from its top
    // when paint is set. Returns where the first line left out begins, or -1 when none is left.
    double textSlice(const QString &text, int left, int top, int right, int bottom, unsigned flags, double from,
                     bool paint);

protected:
    DrawSurface();
    // Begins painting on the device; the surface's state carries over.
    void attach(QPaintDevice *device);
    void detach();
    void applyState();
    QPaintDevice *device() const { return m_device; }
    QPainter m_painter;

private:
    struct Lines;
    Lines layOut(const QString &text, int widthPx, unsigned flags) const;
    double toPixelsX(double v) const { return scaleX(v, m_scaleMode, Pixels); }
    double toPixelsY(double v) const { return scaleY(v, m_scaleMode, Pixels); }

    QPaintDevice *m_device = nullptr;
    int m_dpiX = 96;
    int m_dpiY = 96;
    Units m_scaleMode = Twips;
    double m_currentX = 0;
    double m_currentY = 0;
    QFont m_font;
    QColor m_foreColor = Qt::black;
    int m_drawWidth = 1;
};

// A picture box: the on-screen preview surface. It keeps what was drawn when it grows.
class ImageSurface : public DrawSurface {
public:
    ImageSurface(double widthTwips, double heightTwips, int dpi = 96);
    ~ImageSurface() override;

    bool isPrinter() const override { return false; }

    double widthTwips() const;
    double heightTwips() const;
    // New parts are painted in the back colour.
    void setSizeTwips(double widthTwips, double heightTwips);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &c) { m_backColor = c; }
    // Clears to the back colour and puts the position at the top left.
    void cls();
    // A copy of what has been drawn so far.
    QImage image() const;

private:
    QImage m_image;
    QColor m_backColor = Qt::white;
};

class SkippedPage;

// The printer or a PDF file: one page after another.
class PageSurface : public DrawSurface {
public:
    // The device stays the caller's; painting begins at once. With fromPage > 0 only the pages
    // fromPage to toPage (0: to the end) reach the device: the others are drawn and measured
    // alike, and thrown away.
    explicit PageSurface(QPagedPaintDevice *device, int fromPage = 0, int toPage = 0);
    ~PageSurface() override;

    // The system's default printer with the given orientation.
    static std::unique_ptr<PageSurface> defaultPrinter(QPageLayout::Orientation orientation);
    // A printer the user has set up (printer, copies, pages) in the print dialog.
    static std::unique_ptr<PageSurface> chosenPrinter(std::unique_ptr<QPrinter> printer);
    // A PDF file with the given page layout (its margins stand for the printer's unprintable edge).
    static std::unique_ptr<PageSurface> pdfFile(const QString &path, const QPageLayout &layout, int dpi = 600);

    bool isPrinter() const override { return true; }
    // Starts the next sheet; the position goes back to the top left.
    void newPage();
    // Ends the print document; nothing can be drawn afterwards.
    void endDoc();
    int pageCount() const { return m_pages; } // of the whole document
    int printedPages() const { return m_printed; } // of those, the ones that reached the device

private:
    bool printsPage(int page) const { return m_from <= 0 || (page >= m_from && (m_to <= 0 || page <= m_to)); }
    // Drawing goes on, on a page that is thrown away.
    void skipPage();

    QPagedPaintDevice *m_pagedDevice;
    std::unique_ptr<QPagedPaintDevice> m_owned;
    std::unique_ptr<SkippedPage> m_skipped;
    int m_from = 0;
    int m_to = 0;
    int m_pages = 1;
    int m_printed = 0;
};
