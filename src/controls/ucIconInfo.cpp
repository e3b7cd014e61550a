#include "controls/ucIconInfo.h"

#include <algorithm>

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSizeGrip>
#include <QWindow>

namespace qb {

namespace {

const QString kEllipsis = QStringLiteral("...");

bool isSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
    return c == QLatin1Char('/');
#endif
}

// Length of the root the shortened path keeps: "/", "C:\", "\\server\share\".
int rootLength(const QString& path)
{
#ifdef Q_OS_WIN
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':'))
        return (path.size() > 2 && isSeparator(path.at(2))) ? 3 : 2;
    if (path.size() >= 2 && isSeparator(path.at(0)) && isSeparator(path.at(1))) {
        int seen = 0;
        for (int i = 2; i < path.size(); ++i) {
            if (isSeparator(path.at(i)) && ++seen == 2)
                return i + 1;
        }
        return int(path.size());
    }
#endif
    return (!path.isEmpty() && isSeparator(path.at(0))) ? 1 : 0;
}

// The text cut at the right with "..." until it fits.
QString elideRight(const QString& text, const QFontMetrics& fm, int width)
{
    for (qsizetype n = text.size() - 1; n >= 0; --n) {
        const QString candidate = text.left(n) + kEllipsis;
        if (fm.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    return QString();
}

void drawThinSunkenEdge(QPainter& painter, const QRect& r, const QPalette& palette)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// A rectangle from its left, top and exclusive right and bottom edges; an
// inverted one is kept as it is so that its width tells how much room is missing.
QRect fromEdges(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

} // namespace

QString CompactPath(const QString& path, const QFontMetrics& fm, int width)
{
    if (width <= 0)
        return QString();
    if (fm.horizontalAdvance(path) <= width)
        return path;

    int lastSeparator = -1;
    for (int i = int(path.size()) - 1; i >= 0; --i) {
        if (isSeparator(path.at(i))) {
            lastSeparator = i;
            break;
        }
    }
    const int root = rootLength(path);
    if (lastSeparator < root)
        return elideRight(path, fm, width); // nothing between root and file name

    const QString head = path.left(root);
    const QString middle = path.mid(root, lastSeparator - root);
    const QString tail = path.mid(lastSeparator); // the separator and the file name
    // Keep as much of the middle's start as fits, the rest gives way to "...".
    for (qsizetype keep = middle.size() - 1; keep >= 0; --keep) {
        const QString candidate = head + middle.left(keep) + kEllipsis + tail;
        if (fm.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    // Not even the root fits beside the file name: drop it, then cut the name.
    const QString shortest = kEllipsis + tail;
    if (fm.horizontalAdvance(shortest) <= width)
        return shortest;
    return elideRight(shortest, fm, width);
}

ucIconInfo::ucIconInfo(QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(kHeight);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    watchWindow();
    layoutStrip();
}

ucIconInfo::~ucIconInfo() = default;

QSize ucIconInfo::sizeHint() const
{
    return QSize(600, kHeight);
}

QSize ucIconInfo::minimumSizeHint() const
{
    return QSize(kGripSize, kHeight);
}

QRect ucIconInfo::panelRect(int index) const
{
    return index >= 1 && index <= 4 ? m_panels[index - 1] : QRect();
}

QRect ucIconInfo::textRect(int index) const
{
    return index >= 1 && index <= 4 ? m_texts[index - 1] : QRect();
}

int ucIconInfo::pvTextFileWidth() const
{
    return std::max(0, m_texts[0].width());
}

void ucIconInfo::watchWindow()
{
    QWidget* top = window();
    if (top == m_watched)
        return;
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = top != this ? top : nullptr;
    if (m_watched)
        m_watched->installEventFilter(this);
}

bool ucIconInfo::eventFilter(QObject* watched, QEvent* event)
{
    // Maximising the window hides the grip, restoring brings it back.
    if (watched == m_watched && event->type() == QEvent::WindowStateChange)
        layoutStrip();
    return QWidget::eventFilter(watched, event);
}

bool ucIconInfo::event(QEvent* event)
{
    // The window to watch may change when the strip or an ancestor moves.
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show) {
        watchWindow();
        layoutStrip();
    }
    return QWidget::event(event);
}

void ucIconInfo::layoutStrip()
{
    const int w = width();
    const QWidget* top = window();
    const int grip = (top && top->isMaximized()) ? 0 : kGripSize;
    m_grip = fromEdges(w - grip, 0, w, kHeight);
    m_panels[0] = fromEdges(0, 0, w - grip - 411, kHeight);
    m_panels[1] = fromEdges(w - grip - 409, 0, w - grip, kHeight);
    m_panels[2] = QRect();
    m_panels[3] = QRect();
    for (int i = 0; i < 4; ++i) {
        const QRect& p = m_panels[i];
        m_texts[i] = p.isNull()
            ? QRect()
            : fromEdges(p.left() + 4, p.top() + 2, p.left() + p.width() - 4, p.top() + p.height());
    }
    Refresh();
}

void ucIconInfo::Refresh()
{
    m_shownFile = m_textFile;
    const qsizetype nul = m_shownFile.indexOf(QChar(0));
    if (nul >= 0)
        m_shownFile.truncate(nul);
    for (int i = 0; i < 3; ++i)
        m_shownInfo[i] = m_textInfo[i];
    update();
}

void ucIconInfo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), kHeight), palette().color(QPalette::Button));
    for (const QRect& panel : m_panels)
        drawThinSunkenEdge(painter, panel, palette());

    if (m_grip.width() > 0) {
        QStyleOptionSizeGrip option;
        option.initFrom(this);
        option.rect = m_grip;
        option.corner = Qt::BottomRightCorner;
        style()->drawControl(QStyle::CE_SizeGrip, &option, &painter, this);
    }

    painter.setPen(palette().color(QPalette::ButtonText));
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    auto drawIn = [&](const QRect& r, const QString& text) {
        if (r.width() <= 0 || r.height() <= 0 || text.isEmpty())
            return;
        painter.save();
        painter.setClipRect(r);
        painter.drawText(r, flags, text);
        painter.restore();
    };
    drawIn(m_texts[0], CompactPath(m_shownFile, painter.fontMetrics(), pvTextFileWidth()));
    for (int i = 0; i < 3; ++i)
        drawIn(m_texts[i + 1], m_shownInfo[i]);
}

void ucIconInfo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutStrip();
}

bool ucIconInfo::overGrip(const QPoint& pos) const
{
    return m_grip.width() > 0 && pos.x() >= m_grip.left();
}

void ucIconInfo::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const QPoint delta = event->globalPosition().toPoint() - m_dragStart;
        window()->resize((m_dragSize + QSize(delta.x(), delta.y())).expandedTo(QSize(1, 1)));
        return;
    }
    if (overGrip(event->position().toPoint()))
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
}

void ucIconInfo::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !overGrip(event->position().toPoint()))
        return;
    QWidget* top = window();
    // The window system resizes from the bottom-right corner as if its border
    // had been pressed; where it cannot, the strip resizes the window itself.
    if (QWindow* handle = top->windowHandle();
        handle && handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge))
        return;
    m_dragging = true;
    m_dragStart = event->globalPosition().toPoint();
    m_dragSize = top->size();
}

void ucIconInfo::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

} // namespace qb
