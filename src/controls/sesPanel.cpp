#include "sesPanel.h"

#include <cmath>

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

namespace qb {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kBorderInset = 0.5;   // the right and bottom border lines sit this far inside
constexpr double kStripMargin = 2.0;   // caption and footer lines start 2 mm from the left
constexpr double kStripRightInset = 2.5;
constexpr double kEtchDistance = 0.3;  // the second line of an etched pair
constexpr double kLabelLeft = 2.0;
constexpr double kLabelWidthInset = 4.5;

Qt::Alignment labelAlignment(int alignment)
{
    switch (alignment) {
    case 0:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case 1:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    }
}

const char* const kLineNames[] = { "LineTop",           "LineBottom",         "LineLeft",
                                   "LineRight",         "LineCaptionBorder1", "LineCaptionBorder2",
                                   "LineFooterBorder1", "LinefooterBorder2" };

} // namespace

sesPanel::sesPanel(QWidget* parent)
    : QWidget(parent)
    , m_lbl(new QLabel(this))
    , m_caption(QStringLiteral("Panel Caption"))
{
    m_lbl->setObjectName(QStringLiteral("lbl"));
    m_lbl->setText(m_caption);
    m_lbl->setAlignment(labelAlignment(m_alignment));
    m_lbl->setTextFormat(Qt::PlainText);
    // The panel covers what lies beneath it (it doubles as a wait notice).
    setAutoFillBackground(true);
    layoutPanel();
}

sesPanel::~sesPanel() = default;

QFont sesPanel::Font() const
{
    return m_lbl->font();
}

void sesPanel::setFont(const QFont& font)
{
    m_lbl->setFont(font);
    layoutPanel();
}

void sesPanel::setCaptionHeight(float millimetres)
{
    m_captionHeight = millimetres;
    layoutPanel();
}

void sesPanel::setAlignment(int alignment)
{
    // Only the text's alignment changes; the label stays where it is.
    m_alignment = alignment;
    m_lbl->setAlignment(labelAlignment(alignment));
}

void sesPanel::setCaption(const QString& caption)
{
    m_caption = caption;
    m_lbl->setText(caption);
    layoutPanel();
}

void sesPanel::setFooterHeight(float millimetres)
{
    m_footerHeight = millimetres;
    layoutPanel();
}

double sesPanel::mmToPixelsX(double millimetres) const
{
    return millimetres * logicalDpiX() / kMmPerInch;
}

double sesPanel::mmToPixelsY(double millimetres) const
{
    return millimetres * logicalDpiY() / kMmPerInch;
}

QLineF sesPanel::toPixels(const QLineF& mm) const
{
    return QLineF(std::round(mmToPixelsX(mm.x1())), std::round(mmToPixelsY(mm.y1())),
                  std::round(mmToPixelsX(mm.x2())), std::round(mmToPixelsY(mm.y2())));
}

QLineF sesPanel::line(const QString& name) const
{
    for (int i = 0; i < LineCount; ++i) {
        if (name == QLatin1String(kLineNames[i]))
            return m_lines[i].visible ? toPixels(m_lines[i].mm) : QLineF();
    }
    return QLineF();
}

void sesPanel::layoutPanel()
{
    const double w = width() * kMmPerInch / logicalDpiX();
    const double h = height() * kMmPerInch / logicalDpiY();
    const double right = w - kBorderInset;
    const double bottom = h - kBorderInset;

    m_lines[LineTop] = { QLineF(0, 0, right, 0), true };
    m_lines[LineBottom] = { QLineF(0, bottom, right, bottom), true };
    m_lines[LineLeft] = { QLineF(0, 0, 0, bottom), true };
    m_lines[LineRight] = { QLineF(right, 0, right, bottom), true };

    const bool hasCaption = !m_caption.isEmpty();
    const double captionY = m_captionHeight;
    m_lines[LineCaptionBorder1] = { QLineF(kStripMargin, captionY, w - kStripRightInset, captionY),
                                    hasCaption };
    m_lines[LineCaptionBorder2] = { m_lines[LineCaptionBorder1].mm.translated(0, kEtchDistance),
                                    hasCaption };
    m_lbl->setVisible(hasCaption);
    if (hasCaption) {
        const int labelHeight = QFontMetrics(m_lbl->font()).height();
        const int captionPx = int(std::round(mmToPixelsY(m_captionHeight)));
        const int top = (captionPx - labelHeight) / 2;
        const int left = int(std::round(mmToPixelsX(kLabelLeft)));
        const int labelWidth = int(std::round(mmToPixelsX(w - kLabelWidthInset)));
        m_lbl->setGeometry(left, top, std::max(0, labelWidth), labelHeight);
    }

    const bool hasFooter = m_footerHeight > 0;
    const double footerY = h - m_footerHeight;
    m_lines[LineFooterBorder1] = { QLineF(kStripMargin, footerY, w - kStripRightInset, footerY),
                                   hasFooter };
    m_lines[LinefooterBorder2] = { m_lines[LineFooterBorder1].mm.translated(0, kEtchDistance),
                                   hasFooter };
    update();
}

QRect sesPanel::contentsRectBelowCaption() const
{
    int top = 1;
    if (!m_caption.isEmpty())
        top = int(std::round(mmToPixelsY(m_captionHeight + kEtchDistance))) + 2;
    int bottom = height() - 2; // inside the bottom border line
    if (m_footerHeight > 0)
        bottom = int(std::round(mmToPixelsY(height() * kMmPerInch / logicalDpiY() - m_footerHeight))) - 1;
    const int right = int(std::round(mmToPixelsX(width() * kMmPerInch / logicalDpiX() - kBorderInset))) - 1;
    return QRect(QPoint(1, top), QPoint(right, bottom)).normalized();
}

void sesPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPanel();
}

void sesPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The label follows the container's font until a caption font of its own is set.
    if (event->type() == QEvent::FontChange)
        layoutPanel();
}

void sesPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor border = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    for (int i = 0; i < LineCount; ++i) {
        if (!m_lines[i].visible)
            continue;
        // The second line of each etched pair is the lighter one.
        painter.setPen((i == LineCaptionBorder2 || i == LinefooterBorder2) ? light : border);
        painter.drawLine(toPixels(m_lines[i].mm));
    }
}

} // namespace qb
