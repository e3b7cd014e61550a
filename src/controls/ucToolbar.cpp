#include "controls/ucToolbar.h"

#include <algorithm>

#include <QEvent>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace qb {

namespace {

constexpr int kButtonExtra = 7; // button edge = icon size + 7
constexpr int kSeparatorGap = 6; // room a separator takes in the bar
constexpr int kImageOffset = 3; // image corner from the button's corner
constexpr int kPressedShift = 1; // the image moves one more pixel when pressed

int mouseButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

QColor shifted(const QColor& color, int delta)
{
    auto clamp = [delta](int c) { return std::clamp(c + delta, 0, 255); };
    return QColor(clamp(color.red()), clamp(color.green()), clamp(color.blue()));
}

// A rectangle from its left, top and exclusive right and bottom edges.
QRect fromEdges(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

} // namespace

ucToolbar::ucToolbar(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_backColor = palette().color(QPalette::Button);
    rebuildColours();
}

ucToolbar::~ucToolbar() = default;

void ucToolbar::rebuildColours()
{
    m_highlight = shifted(m_backColor, 63);
    m_shadow = shifted(m_backColor, -64);
    // The 8x8 checkerboard of checked buttons: rows alternate 0xAA and 0x55;
    // set bits show the background, clear bits the highlight.
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        const int bits = (y % 2 == 0) ? 0xAA : 0x55;
        for (int x = 0; x < 8; ++x) {
            const bool set = bits & (0x80 >> x);
            pattern.setPixelColor(x, y, set ? m_backColor : m_highlight);
        }
    }
    m_pattern = QPixmap::fromImage(pattern);
}

void ucToolbar::BuildToolbar(
    const QPixmap& Image, const QColor& MaskColor, int IconSize, const QString& FormatMask)
{
    m_buttons.clear();
    m_hot = 0;
    m_held = 0;
    m_barLength = 0;
    m_iconSize = IconSize > 0 ? IconSize : 1;
    m_buttonSize = m_iconSize + kButtonExtra;

    // The images: squares cut from the strip, the mask colour made transparent.
    QList<QPixmap> images;
    if (!Image.isNull()) {
        const QImage strip = Image.toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb mask = MaskColor.rgb() & 0x00FFFFFF;
        for (int x = 0; x + m_iconSize <= strip.width(); x += m_iconSize) {
            QImage icon = strip.copy(x, 0, m_iconSize, m_iconSize);
            for (int py = 0; py < icon.height(); ++py) {
                auto* line = reinterpret_cast<QRgb*>(icon.scanLine(py));
                for (int px = 0; px < icon.width(); ++px) {
                    if ((line[px] & 0x00FFFFFF) == mask)
                        line[px] = 0;
                }
            }
            images.append(QPixmap::fromImage(icon));
        }
    }
    if (images.isEmpty()) {
        updateGeometry();
        update();
        return; // no picture: no buttons
    }

    const QString mask
        = FormatMask.isEmpty() ? QString(images.size(), QLatin1Char('N')) : FormatMask.toUpper();
    const bool horizontal = m_orientation == 0;
    const int size = m_buttonSize;
    int offset = 0;
    for (const QChar c : mask) {
        if (c == QLatin1Char('N') || c == QLatin1Char('C') || c == QLatin1Char('O')) {
            offset += size;
            Button b;
            b.kind = c == QLatin1Char('N') ? Plain : c == QLatin1Char('C') ? Check : Option;
            b.enabled = isEnabled();
            // Along the bar from offset - size to offset, across from 0 to
            // size - 1, then one pixel right and down.
            b.rect = horizontal ? fromEdges(offset - size + 1, 1, offset + 1, size)
                                : fromEdges(1, offset - size + 1, size, offset + 1);
            b.inner = b.rect.adjusted(2, 2, -2, -2);
            if (m_buttons.size() < images.size())
                b.image = images.at(m_buttons.size());
            m_buttons.append(b);
        } else if (c == QLatin1Char('|') && !m_buttons.isEmpty()) {
            offset += kSeparatorGap;
            Button& previous = m_buttons.last();
            const QRect& in = previous.inner;
            const int edge = horizontal ? in.x() + in.width() : in.y() + in.height();
            previous.separator = horizontal
                ? fromEdges(edge + 4, in.top(), edge + 5, in.bottom() + 1)
                : fromEdges(in.left(), edge + 4, in.right() + 1, edge + 5);
        }
    }
    m_barLength = offset + 2;
    // The bar keeps its thickness and may grow along its length.
    if (horizontal)
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    else
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    updateGeometry();
    update();
}

void ucToolbar::SetToolTips(const QString& New_ToolTips)
{
    m_toolTips = New_ToolTips.split(QLatin1Char('|'));
}

QString ucToolbar::toolTipOf(int Index) const
{
    return Index >= 1 && Index <= m_toolTips.size() ? m_toolTips.at(Index - 1) : QString();
}

void ucToolbar::EnableButton(int Index, bool Enable)
{
    if (!valid(Index))
        return;
    Button& b = button(Index);
    b.enabled = Enable;
    if (!Enable) {
        // A disabled button shows no hover frame.
        b.inside = false;
        b.look = b.checked ? Pressed : Flat;
    }
    redraw(Index);
}

bool ucToolbar::IsButtonEnabled(int Index) const
{
    return valid(Index) && button(Index).enabled;
}

bool ucToolbar::IsButtonChecked(int Index) const
{
    return valid(Index) && button(Index).checked;
}

int ucToolbar::buttonLook(int Index) const
{
    return valid(Index) ? button(Index).look : Flat;
}

int ucToolbar::buttonKind(int Index) const
{
    return valid(Index) ? button(Index).kind : Plain;
}

QRect ucToolbar::buttonRect(int Index) const
{
    return valid(Index) ? button(Index).rect : QRect();
}

QRect ucToolbar::separatorRect(int Index) const
{
    return valid(Index) ? button(Index).separator : QRect();
}

void ucToolbar::CheckButton(int Index)
{
    if (!valid(Index))
        return;
    Button& b = button(Index);
    if (b.kind == Plain || b.checked)
        return;
    b.checked = true;
    b.look = Pressed;
    redraw(Index);
    if (b.kind == Option)
        clearOptionGroup(Index);
    makeHot(Index);
    emit ButtonCheck(Index, b.rect.left(), b.rect.top());
}

void ucToolbar::clearOptionGroup(int index)
{
    // The run of buttons around index up to the nearest separators.
    int last = index;
    while (last < ButtonsCount() && button(last).separator.isNull())
        ++last;
    int first = index;
    while (first > 1 && button(first - 1).separator.isNull())
        --first;
    for (int i = first; i <= last; ++i) {
        Button& b = button(i);
        if (i == index || b.kind != Option || !b.checked)
            continue;
        b.checked = false;
        b.look = Flat;
        redraw(i);
    }
}

void ucToolbar::setBackColor(const QColor& color)
{
    m_backColor = color;
    rebuildColours();
    update();
}

void ucToolbar::setBarOrientation(int orientation)
{
    m_orientation = orientation == 1 ? 1 : 0;
}

void ucToolbar::setBarEdge(bool edge)
{
    m_barEdge = edge;
    update();
}

QSize ucToolbar::sizeHint() const
{
    const int thickness = m_buttonSize > 0 ? m_buttonSize + 1 : 0;
    return m_orientation == 0 ? QSize(m_barLength, thickness) : QSize(thickness, m_barLength);
}

int ucToolbar::buttonAt(const QPoint& pos) const
{
    for (int i = 1; i <= ButtonsCount(); ++i) {
        if (button(i).enabled && button(i).rect.contains(pos))
            return i;
    }
    return 0;
}

void ucToolbar::setLook(int index, int look)
{
    if (valid(index) && button(index).look != look) {
        button(index).look = look;
        redraw(index);
    }
}

void ucToolbar::leaveHot()
{
    if (!valid(m_hot))
        return;
    Button& b = button(m_hot);
    const bool wasInside = b.inside;
    b.inside = false;
    if (!b.checked)
        b.look = Flat;
    if (wasInside || !b.checked)
        redraw(m_hot);
}

void ucToolbar::makeHot(int index)
{
    m_hot = index;
    const QString tip = toolTipOf(index);
    // A button without an entry keeps the tooltip the hot-spot had before.
    if (index <= m_toolTips.size())
        m_tipText = tip;
}

void ucToolbar::trackHot(const QPoint& pos)
{
    if (valid(m_hot) && button(m_hot).rect.contains(pos))
        return;
    leaveHot();
    m_hot = 0;
    const int index = buttonAt(pos);
    if (index > 0)
        makeHot(index);
}

void ucToolbar::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_held == 0)
        trackHot(pos);
    if (!valid(m_hot) || !button(m_hot).enabled)
        return;
    Button& b = button(m_hot);
    const bool inside = b.rect.contains(pos);
    const bool insideChanged = b.inside != inside;
    b.inside = inside;
    int look = b.look;
    if (inside && (event->buttons() & Qt::LeftButton) && m_held == 1)
        look = Pressed;
    else if (inside)
        look = b.checked ? b.look : Raised;
    else
        look = b.checked ? b.look : Flat;
    if (look != b.look) {
        setLook(m_hot, look);
    } else if (insideChanged) {
        redraw(m_hot);
    }
}

void ucToolbar::mousePressEvent(QMouseEvent* event)
{
    if (m_held != 0)
        return;
    const QPoint pos = event->position().toPoint();
    trackHot(pos);
    if (!valid(m_hot) || !button(m_hot).enabled)
        return;
    Button& b = button(m_hot);
    b.inside = b.rect.contains(pos);
    m_held = mouseButtonCode(event->button());
    if (event->button() == Qt::LeftButton)
        setLook(m_hot, Pressed);
}

void ucToolbar::mouseReleaseEvent(QMouseEvent* event)
{
    const int released = mouseButtonCode(event->button());
    if (m_held == 0 || released != m_held)
        return;
    m_held = 0;
    if (!valid(m_hot) || !button(m_hot).enabled)
        return;
    const int index = m_hot;
    Button& b = button(index);
    b.inside = b.rect.contains(event->position().toPoint());
    if (!b.inside) {
        if (!b.checked)
            setLook(index, Flat);
        return;
    }
    bool becameChecked = false;
    if (released == 1) {
        switch (b.kind) {
        case Plain:
            setLook(index, Raised);
            break;
        case Check:
            b.checked = !b.checked;
            becameChecked = b.checked;
            b.look = b.checked ? Pressed : Flat;
            redraw(index);
            break;
        case Option:
            becameChecked = !b.checked;
            b.checked = true;
            b.look = Pressed;
            redraw(index);
            clearOptionGroup(index);
            break;
        }
    }
    if (b.kind == Plain)
        emit ButtonClick(index, released, b.rect.left(), b.rect.top());
    else if (becameChecked)
        emit ButtonCheck(index, b.rect.left(), b.rect.top());
}

void ucToolbar::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click acts as a click of its own.
    if (!(event->buttons() & (Qt::RightButton | Qt::MiddleButton)))
        mousePressEvent(event);
}

void ucToolbar::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_held == 0)
        leaveHot();
}

void ucToolbar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        for (Button& b : m_buttons) {
            b.enabled = isEnabled();
            if (!b.enabled) {
                b.inside = false;
                b.look = b.checked ? Pressed : Flat;
            }
        }
        m_held = 0;
        update();
    }
}

bool ucToolbar::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (valid(m_hot) && button(m_hot).enabled && button(m_hot).rect.contains(help->pos())
            && !m_tipText.isEmpty()) {
            QToolTip::showText(help->globalPos(), m_tipText, this, button(m_hot).rect);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ucToolbar::redraw(int index)
{
    if (valid(index))
        update(button(index).rect);
}

void ucToolbar::drawButton(QPainter& painter, int index) const
{
    const Button& b = button(index);
    if (b.checked && !b.inside)
        painter.fillRect(b.inner, QBrush(m_pattern));
    else
        painter.fillRect(b.rect, m_backColor);

    if (b.look != Flat) {
        const QColor topLeft = b.look == Pressed ? m_shadow : m_highlight;
        const QColor bottomRight = b.look == Pressed ? m_highlight : m_shadow;
        const QRect& r = b.rect;
        painter.setPen(topLeft);
        painter.drawLine(r.left(), r.top(), r.right(), r.top());
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
        painter.setPen(bottomRight);
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    }

    if (!b.image.isNull()) {
        const int shift = kImageOffset + (b.look == Pressed ? kPressedShift : 0);
        const QPoint at = b.rect.topLeft() + QPoint(shift, shift);
        if (b.enabled) {
            painter.drawPixmap(at, b.image);
        } else {
            const QPixmap disabled = QIcon(b.image).pixmap(b.image.size(), QIcon::Disabled);
            painter.drawPixmap(at, disabled);
        }
    }

    if (!b.separator.isNull()) {
        const QRect& s = b.separator;
        const bool horizontal = m_orientation == 0;
        painter.setPen(m_shadow);
        if (horizontal)
            painter.drawLine(s.left(), s.top(), s.left(), s.bottom());
        else
            painter.drawLine(s.left(), s.top(), s.right(), s.top());
        painter.setPen(m_highlight);
        if (horizontal)
            painter.drawLine(s.left() + 1, s.top(), s.left() + 1, s.bottom());
        else
            painter.drawLine(s.left(), s.top() + 1, s.right(), s.top() + 1);
    }
}

void ucToolbar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    for (int i = 1; i <= ButtonsCount(); ++i)
        drawButton(painter, i);
    if (m_barEdge) {
        // A raised frame around the drawing area, which spans the control's
        // length and the bar's thickness.
        const int thickness = m_buttonSize + 1;
        const QRect area = m_orientation == 0 ? QRect(0, 0, width(), thickness)
                                              : QRect(0, 0, thickness, height());
        painter.setPen(m_highlight);
        painter.drawLine(area.topLeft(), area.topRight());
        painter.drawLine(area.topLeft(), area.bottomLeft());
        painter.setPen(m_shadow);
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomRight());
    }
}

} // namespace qb
