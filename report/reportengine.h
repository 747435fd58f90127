#pragma once
// A small banded report engine: one page, title bands printed once, and
// labels, rectangles and pictures placed in report pixels of 1/96 inch.
// The page is painted through QPainter on any device (printer, PDF writer,
// image, widget) at that device's resolution, so it has the same size on
// screen, on paper and in a PDF.
#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;
class QIODevice;
class QFont;
class QEventLoop;

namespace ReportEngine {

// Report pixels per inch.
inline constexpr double ReportDpi = 96.0;

struct ReportFont {
    QString family = QStringLiteral("Tahoma");
    double pointSize = 9.75; // 13 report pixels
    bool bold = false;
    QColor color = Qt::black;

    // The font to paint with on a device of the given vertical resolution,
    // under a painter scaled from report pixels to device pixels.
    QFont deviceFont(double deviceDpiY) const;
    // The font at report resolution, for measuring.
    QFont reportFont() const;
};

class ReportElement {
public:
    enum class Kind { Label, Shape, Image };

    ReportElement(Kind kind, QString name) : m_kind(kind), m_name(std::move(name)) {}
    virtual ~ReportElement() = default;
    ReportElement(const ReportElement &) = delete;
    ReportElement &operator=(const ReportElement &) = delete;

    Kind kind() const { return m_kind; }
    const QString &name() const { return m_name; }

    // Place on the band in report pixels.
    QRect geometry() const { return m_geometry; }
    void setGeometry(const QRect &r)
    {
        m_geometry = r;
        geometryChanged();
    }
    void setGeometry(int left, int top, int width, int height) { setGeometry(QRect(left, top, width, height)); }
    void moveTo(int left, int top) { m_geometry.moveTo(left, top); }
    void setTop(int top) { m_geometry.moveTop(top); }

    // A disabled element is not printed.
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) { m_enabled = on; }

    // Paints in report pixels; the painter is already scaled for its device.
    virtual void paint(QPainter &painter, double deviceDpiY) const = 0;

protected:
    virtual void geometryChanged() {}
    QRect m_geometry;

private:
    Kind m_kind;
    QString m_name;
    bool m_enabled = true;
};

class ReportLabel : public ReportElement {
public:
    explicit ReportLabel(QString name, ReportFont font = {});

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &text);

    const ReportFont &font() const { return m_font; }
    void setFont(const ReportFont &font);

    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter; text stands at the top.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment a);

    // An auto-sized label takes the size of its text; it keeps its left edge
    // when left-aligned, its right edge when right-aligned and its centre
    // when centred.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // Transparent, or filled with white behind the text.
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on) { m_transparent = on; }

    void paint(QPainter &painter, double deviceDpiY) const override;

protected:
    void geometryChanged() override { adjustBounds(); }

private:
    void adjustBounds();

    QString m_caption;
    ReportFont m_font;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_autoSize = false;
    bool m_transparent = false;
};

// A rectangle: a one-pixel outline around a filled inside. One pixel high or
// wide it is a rule in the outline colour.
class ReportShape : public ReportElement {
public:
    explicit ReportShape(QString name) : ReportElement(Kind::Shape, std::move(name)) {}

    QColor outline() const { return m_outline; }
    void setOutline(const QColor &c) { m_outline = c; }
    QColor fill() const { return m_fill; }
    void setFill(const QColor &c) { m_fill = c; }

    void paint(QPainter &painter, double deviceDpiY) const override;

private:
    QColor m_outline = Qt::black;
    QColor m_fill = Qt::white;
};

// A picture that draws itself into a rectangle at the device's own
// resolution: paper and PDF get vectors, not a scaled bitmap.
struct ReportDrawing {
    QSize size; // report pixels
    std::function<void(QPainter &, const QRectF &)> draw;
    bool isNull() const { return !draw; }
};

// A picture drawn at its own size with its top left corner at the element's
// place: a bitmap (its device-independent size) or a drawing. An empty
// picture draws nothing.
class ReportImage : public ReportElement {
public:
    explicit ReportImage(QString name) : ReportElement(Kind::Image, std::move(name)) {}

    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &image);
    const ReportDrawing &drawing() const { return m_drawing; }
    void setPicture(const ReportDrawing &drawing);
    bool isEmpty() const { return m_picture.isNull() && m_drawing.isNull(); }

    void paint(QPainter &painter, double deviceDpiY) const override;

private:
    QImage m_picture;
    ReportDrawing m_drawing;
};

class Report;

// A band printed once at the top of the page, without a data source.
class ReportBand {
public:
    ReportBand(Report &owner, QString name, QSize size);
    ReportBand(const ReportBand &) = delete;
    ReportBand &operator=(const ReportBand &) = delete;

    const QString &name() const { return m_name; }
    QSize size() const { return m_size; }
    QColor color() const { return m_color; }
    void setColor(const QColor &c) { m_color = c; }

    // Elements are painted in creation order. A non-empty name must be new
    // on the band (KelvoraError otherwise).
    ReportLabel &addLabel(const QString &name);
    ReportShape &addShape(const QString &name);
    ReportImage &addImage(const QString &name);

    ReportElement *find(const QString &name) const;
    template <class T> T *findAs(const QString &name) const { return dynamic_cast<T *>(find(name)); }
    // Destroys the element of that name; false if there is none.
    bool destroy(const QString &name);

    const std::vector<std::unique_ptr<ReportElement>> &elements() const { return m_elements; }

    void paint(QPainter &painter, double deviceDpiY) const;

private:
    template <class T> T &add(std::unique_ptr<T> element);

    Report &m_owner;
    QString m_name;
    QSize m_size;
    QColor m_color = Qt::white;
    std::vector<std::unique_ptr<ReportElement>> m_elements;
};

// The page, held in tenths of a millimetre.
struct PageSetup {
    int paperLength = 2970;
    int paperWidth = 2100;
    int leftMargin = 100;
    int topMargin = 100;
    int rightMargin = 100;
    int bottomMargin = 100;
    int columnSpace = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;

    // Paper size in millimetres as it lies (width × height after orientation).
    QSizeF paperSizeMm() const;
    QPageLayout pageLayout() const; // the paper, margins zero
};

class Report {
public:
    Report() = default;
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    PageSetup page;
    ReportFont baseFont; // new labels start with it

    ReportBand &addTitleBand(const QString &name, QSize size);
    ReportBand *band(const QString &name) const;
    const std::vector<std::unique_ptr<ReportBand>> &bands() const { return m_bands; }

    // Title bands fit on one page.
    int pageCount() const { return 1; }

    // Paper size in device pixels at the given resolution.
    QSize paperSizePixels(double dpiX, double dpiY) const;

    // Paints page `pageNumber` (from 1). The painter's origin is the paper's
    // top left corner and its unit one pixel of its device; the paper itself
    // is not filled.
    void paintPage(QPainter &painter, int pageNumber = 1) const;

    // The whole paper as a white image at `dpi`.
    QImage renderImage(double dpi) const;
    // Writes the report as a PDF of the page's paper size. False with
    // nothing written when the device cannot be opened.
    bool writePdf(QIODevice *device) const;
    bool writePdf(const QString &path) const;

    // Preview: calls the preview event, which shows the program's preview
    // window, then waits handling events until endPreview().
    std::function<void(Report &)> onPreview;
    void previewModal();
    void endPreview();
    bool previewing() const { return m_previewing; }

private:
    std::vector<std::unique_ptr<ReportBand>> m_bands;
    bool m_previewing = false;
    QEventLoop *m_previewLoop = nullptr;
};

} // namespace ReportEngine
