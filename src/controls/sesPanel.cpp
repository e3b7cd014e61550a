#include "controls/sesPanel.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

namespace qb {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kBorderInset = 0.5; // the right and bottom border lines sit this far inside
constexpr double kStripMargin = 2.0; // caption and footer lines start 2 mm from the left
constexpr double kStripRightInset = 2.5;
constexpr double kEtchDistance = 0.3; // the second line of an etched pair
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

const char* const kLineNames[] = {"LineTop", "LineBottom", "LineLeft", "LineRight",
    "LineCaptionBorder1", "LineCaptionBorder2", "LineFooterBorder1", "LinefooterBorder2"};

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
    Line lines[LineCount];
    computeLines(lines);
    for (int i = 0; i < LineCount; ++i) {
        if (name == QLatin1String(kLineNames[i]))
            return lines[i].visible ? toPixels(lines[i].mm) : QLineF();
    }
    return QLineF();
}

void sesPanel::computeLines(Line (&lines)[LineCount]) const
{
    const double w = width() * kMmPerInch / logicalDpiX();
    const double h = height() * kMmPerInch / logicalDpiY();
    const double right = w - kBorderInset;
    const double bottom = h - kBorderInset;

    lines[LineTop] = {QLineF(0, 0, right, 0), true};
    lines[LineBottom] = {QLineF(0, bottom, right, bottom), true};
    lines[LineLeft] = {QLineF(0, 0, 0, bottom), true};
    lines[LineRight] = {QLineF(right, 0, right, bottom), true};

    const bool hasCaption = !m_caption.isEmpty();
    const double captionY = m_captionHeight;
    lines[LineCaptionBorder1]
        = {QLineF(kStripMargin, captionY, w - kStripRightInset, captionY), hasCaption};
    lines[LineCaptionBorder2]
        = {lines[LineCaptionBorder1].mm.translated(0, kEtchDistance), hasCaption};

    const bool hasFooter = m_footerHeight > 0;
    const double footerY = h - m_footerHeight;
    lines[LineFooterBorder1]
        = {QLineF(kStripMargin, footerY, w - kStripRightInset, footerY), hasFooter};
    lines[LinefooterBorder2]
        = {lines[LineFooterBorder1].mm.translated(0, kEtchDistance), hasFooter};
}

void sesPanel::layoutPanel()
{
    // The lines are drawn from the current size; the caption label is placed here.
    const bool hasCaption = !m_caption.isEmpty();
    m_lbl->setVisible(hasCaption);
    if (hasCaption) {
        const double w = width() * kMmPerInch / logicalDpiX();
        const int labelHeight = QFontMetrics(m_lbl->font()).height();
        const int captionPx = int(std::round(mmToPixelsY(m_captionHeight)));
        const int top = (captionPx - labelHeight) / 2;
        const int left = int(std::round(mmToPixelsX(kLabelLeft)));
        const int labelWidth = int(std::round(mmToPixelsX(w - kLabelWidthInset)));
        m_lbl->setGeometry(left, top, std::max(0, labelWidth), labelHeight);
    }
    update();
}

QRect sesPanel::contentsRectBelowCaption() const
{
    // Inside the border, below the caption's lower line and above the footer's upper line.
    int top = 1;
    const QLineF caption = line(QStringLiteral("LineCaptionBorder2"));
    if (!caption.isNull())
        top = int(caption.y1()) + 2;
    int bottom = int(line(QStringLiteral("LineBottom")).y1()) - 1;
    const QLineF footer = line(QStringLiteral("LineFooterBorder1"));
    if (!footer.isNull())
        bottom = int(footer.y1()) - 2;
    const int right = int(line(QStringLiteral("LineRight")).x1()) - 1;
    return QRect(QPoint(1, top), QPoint(std::max(1, right), std::max(top, bottom)));
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
    Line lines[LineCount];
    computeLines(lines);
    QPainter painter(this);
    const QColor border = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    for (int i = 0; i < LineCount; ++i) {
        if (!lines[i].visible)
            continue;
        // The second line of each etched pair is the lighter one.
        painter.setPen((i == LineCaptionBorder2 || i == LinefooterBorder2) ? light : border);
        painter.drawLine(toPixels(lines[i].mm));
    }
}

} // namespace qb
