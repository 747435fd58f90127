#include "report/reportengine.h"

#include "model/errors.h"
#include "report/fonts.h"

#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QtMath>

#include <cmath>

namespace ReportEngine {

namespace {

constexpr double TenthsMmPerInch = 254.0;

double tenthsMmToReportPx(int tenths) { return tenths * ReportDpi / TenthsMmPerInch; }

// Text is measured on an image of report resolution, so an auto-sized label
// has the same size whatever screen the program runs on.
const QPaintDevice *measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(ReportDpi / 0.0254));
        image.setDotsPerMeterY(qRound(ReportDpi / 0.0254));
        return image;
    }();
    return &device;
}

QFont baseQFont(const ReportFont &rf, double pointSize)
{
    QFont font;
    font.setFamilies(FontFamilies(rf.family));
    font.setPointSizeF(pointSize);
    font.setBold(rf.bold);
    // Unhinted glyphs scale linearly, so a line of text has the same length
    // at every resolution and fits the size measured for it.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

QFont ReportFont::deviceFont(double deviceDpiY) const
{
    // The painter already scales report pixels to device pixels; the device
    // resolves points by its own resolution, so take that back out.
    return baseQFont(*this, pointSize * ReportDpi / deviceDpiY);
}

QFont ReportFont::reportFont() const
{
    return baseQFont(*this, pointSize);
}

// ---------------------------------------------------------------- labels

ReportLabel::ReportLabel(QString name, ReportFont font)
    : ReportElement(Kind::Label, std::move(name)), m_font(std::move(font))
{
}

void ReportLabel::setCaption(const QString &text)
{
    m_caption = text;
    adjustBounds();
}

void ReportLabel::setFont(const ReportFont &font)
{
    m_font = font;
    adjustBounds();
}

void ReportLabel::setAlignment(Qt::Alignment a)
{
    m_alignment = a & Qt::AlignHorizontal_Mask;
    adjustBounds();
}

void ReportLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    adjustBounds();
}

void ReportLabel::adjustBounds()
{
    if (!m_autoSize)
        return;
    const QFontMetricsF metrics(m_font.reportFont(), measuringDevice());
    const int width = qCeil(metrics.horizontalAdvance(m_caption));
    const int height = qCeil(metrics.height());
    QRect r = m_geometry;
    if (m_alignment & Qt::AlignRight)
        r.setLeft(r.left() + r.width() - width);
    else if (m_alignment & Qt::AlignHCenter)
        r.setLeft(r.left() + (r.width() - width) / 2);
    r.setSize(QSize(width, height));
    m_geometry = r;
}

void ReportLabel::paint(QPainter &painter, double deviceDpiY) const
{
    const QRectF r(m_geometry);
    if (!m_transparent)
        painter.fillRect(r, Qt::white);
    if (m_caption.isEmpty())
        return;
    painter.save();
    if (!m_autoSize)
        painter.setClipRect(r, Qt::IntersectClip);
    painter.setFont(m_font.deviceFont(deviceDpiY));
    painter.setPen(m_font.color);
    // An auto-sized label may be a hair short at another resolution; never
    // wrap or elide, the text just runs on.
    painter.drawText(r, int(m_alignment | Qt::AlignTop) | Qt::TextSingleLine | Qt::TextDontClip, m_caption);
    painter.restore();
}

// ---------------------------------------------------------------- shapes and pictures

void ReportShape::paint(QPainter &painter, double) const
{
    const QRectF r(m_geometry);
    if (r.isEmpty())
        return;
    // Outline as a filled frame, not a pen: edges stay on report pixels at
    // every scale and a one-pixel rectangle is a clean rule.
    painter.fillRect(r, m_outline);
    if (r.width() > 2 && r.height() > 2)
        painter.fillRect(r.adjusted(1, 1, -1, -1), m_fill);
}

void ReportImage::setPicture(const QImage &image)
{
    m_picture = image;
    m_drawing = {};
    if (!image.isNull())
        m_geometry.setSize(image.deviceIndependentSize().toSize());
}

void ReportImage::setPicture(const ReportDrawing &drawing)
{
    m_drawing = drawing;
    m_picture = QImage();
    if (!drawing.isNull())
        m_geometry.setSize(drawing.size);
}

void ReportImage::paint(QPainter &painter, double) const
{
    if (!m_drawing.isNull()) {
        // Corner on a whole device pixel: on screen the page sits at a
        // fraction of a pixel (10 mm of margin), and small pictures would blur.
        const QTransform toDevice = painter.transform();
        const QPointF corner = toDevice.map(QPointF(m_geometry.topLeft()));
        const QPointF snapped = toDevice.inverted().map(QPointF(std::round(corner.x()), std::round(corner.y())));
        m_drawing.draw(painter, QRectF(snapped, QSizeF(m_drawing.size)));
        return;
    }
    if (m_picture.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // A PDF would otherwise keep the bitmap as JPEG: smeared edges, shifted colours.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(QPointF(m_geometry.topLeft()), m_picture);
}

// ---------------------------------------------------------------- band

ReportBand::ReportBand(Report &owner, QString name, QSize size)
    : m_owner(owner), m_name(std::move(name)), m_size(size)
{
}

template <class T> T &ReportBand::add(std::unique_ptr<T> element)
{
    if (!element->name().isEmpty() && find(element->name()))
        throw KelvoraError(QStringLiteral("A component named %1 already exists.").arg(element->name()));
    T &ref = *element;
    m_elements.push_back(std::move(element));
    return ref;
}

ReportLabel &ReportBand::addLabel(const QString &name)
{
    return add(std::make_unique<ReportLabel>(name, m_owner.baseFont));
}

ReportShape &ReportBand::addShape(const QString &name)
{
    return add(std::make_unique<ReportShape>(name));
}

ReportImage &ReportBand::addImage(const QString &name)
{
    return add(std::make_unique<ReportImage>(name));
}

ReportElement *ReportBand::find(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const auto &element : m_elements) {
        if (element->name() == name)
            return element.get();
    }
    return nullptr;
}

bool ReportBand::destroy(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (auto it = m_elements.begin(); it != m_elements.end(); ++it) {
        if ((*it)->name() == name) {
            m_elements.erase(it);
            return true;
        }
    }
    return false;
}

void ReportBand::paint(QPainter &painter, double deviceDpiY) const
{
    painter.fillRect(QRect(QPoint(0, 0), m_size), m_color);
    for (const auto &element : m_elements) {
        if (!element->enabled())
            continue;
        painter.save();
        element->paint(painter, deviceDpiY);
        painter.restore();
    }
}

// ---------------------------------------------------------------- page

QSizeF PageSetup::paperSizeMm() const
{
    const QSizeF portrait(paperWidth / 10.0, paperLength / 10.0);
    return orientation == QPageLayout::Portrait ? portrait : portrait.transposed();
}

QPageLayout PageSetup::pageLayout() const
{
    const QPageSize size(QSizeF(paperWidth / 10.0, paperLength / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyOrientationMatch);
    return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// ---------------------------------------------------------------- report

ReportBand &Report::addTitleBand(const QString &name, QSize size)
{
    if (band(name))
        throw KelvoraError(QStringLiteral("A component named %1 already exists.").arg(name));
    m_bands.push_back(std::make_unique<ReportBand>(*this, name, size));
    return *m_bands.back();
}

ReportBand *Report::band(const QString &name) const
{
    for (const auto &b : m_bands) {
        if (b->name() == name)
            return b.get();
    }
    return nullptr;
}

QSize Report::paperSizePixels(double dpiX, double dpiY) const
{
    const QSizeF mm = page.paperSizeMm();
    return QSize(qRound(mm.width() / 25.4 * dpiX), qRound(mm.height() / 25.4 * dpiY));
}

void Report::paintPage(QPainter &painter, int pageNumber) const
{
    if (pageNumber < 1 || pageNumber > pageCount())
        return;
    const QPaintDevice *device = painter.device();
    const double dpiX = device->logicalDpiX();
    const double dpiY = device->logicalDpiY();

    painter.save();
    painter.scale(dpiX / ReportDpi, dpiY / ReportDpi);
    // Bands start at the top left corner of the printable area.
    painter.translate(tenthsMmToReportPx(page.leftMargin), tenthsMmToReportPx(page.topMargin));
    for (const auto &b : m_bands) {
        painter.save();
        b->paint(painter, dpiY);
        painter.restore();
        painter.translate(0, b->size().height());
    }
    painter.restore();
}

QImage Report::renderImage(double dpi) const
{
    QImage image(paperSizePixels(dpi, dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPage(painter);
    return image;
}

bool Report::writePdf(QIODevice *device) const
{
    QPdfWriter writer(device);
    writer.setPageLayout(page.pageLayout());
    writer.setResolution(1200);
    writer.setCreator(QStringLiteral("Лунофар"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    for (int n = 1; n <= pageCount(); ++n) {
        if (n > 1)
            writer.newPage();
        paintPage(painter, n);
    }
    return painter.end();
}

bool Report::writePdf(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return writePdf(&file);
}

// ---------------------------------------------------------------- preview

void Report::previewModal()
{
    if (m_previewing)
        return;
    QEventLoop loop;
    m_previewing = true;
    m_previewLoop = &loop;
    struct Reset {
        Report &r;
        ~Reset()
        {
            r.m_previewing = false;
            r.m_previewLoop = nullptr;
        }
    } reset{*this};

    if (onPreview)
        onPreview(*this);
    else
        m_previewing = false; // nothing shows the page, so nothing to wait for
    if (m_previewing)
        loop.exec();
}

void Report::endPreview()
{
    m_previewing = false;
    if (m_previewLoop)
        m_previewLoop->quit();
}

} // namespace ReportEngine
