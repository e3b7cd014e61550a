#include "shell/Artwork.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace qb {

namespace {

QImage transparentCanvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void setup(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

QPen outline(const QColor& color, qreal width = 1.0)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A sheet of paper with a folded corner.
void drawSheet(QPainter& p, const QRectF& r)
{
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - 6, r.top());
    sheet.lineTo(r.right(), r.top() + 6);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    g.setColorAt(1, QColor(0xE4, 0xE8, 0xEE));
    p.setPen(outline(QColor(0x6B, 0x74, 0x80)));
    p.setBrush(g);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(r.right() - 6, r.top());
    fold.lineTo(r.right() - 6, r.top() + 6);
    fold.lineTo(r.right(), r.top() + 6);
    p.setBrush(QColor(0xCF, 0xD5, 0xDD));
    p.drawPath(fold);
}

void drawFolder(QPainter& p, bool open)
{
    const QColor edge(0x93, 0x66, 0x0E);
    p.setPen(outline(edge));
    QLinearGradient back(0, 6, 0, 26);
    back.setColorAt(0, QColor(0xF0, 0xC4, 0x4C));
    back.setColorAt(1, QColor(0xD9, 0x9A, 0x1E));
    p.setBrush(back);
    QPainterPath b;
    b.moveTo(2.5, 26.5);
    b.lineTo(2.5, 7.5);
    b.lineTo(11.5, 7.5);
    b.lineTo(13.5, 10.5);
    b.lineTo(27.5, 10.5);
    b.lineTo(27.5, 26.5);
    b.closeSubpath();
    p.drawPath(b);
    if (open) {
        drawSheet(p, QRectF(6.5, 5.5, 17, 14));
        QLinearGradient front(0, 14, 0, 27);
        front.setColorAt(0, QColor(0xFF, 0xE0, 0x7A));
        front.setColorAt(1, QColor(0xF2, 0xB8, 0x30));
        p.setPen(outline(edge));
        p.setBrush(front);
        QPainterPath f;
        f.moveTo(6.5, 14.5);
        f.lineTo(30.5, 14.5);
        f.lineTo(26.5, 26.5);
        f.lineTo(2.5, 26.5);
        f.closeSubpath();
        p.drawPath(f);
    } else {
        QLinearGradient front(0, 12, 0, 27);
        front.setColorAt(0, QColor(0xFF, 0xDA, 0x6A));
        front.setColorAt(1, QColor(0xEB, 0xAE, 0x2A));
        p.setBrush(front);
        p.drawRoundedRect(QRectF(2.5, 12.5, 25, 14), 1.5, 1.5);
    }
}

void drawBadge(
    QPainter& p, const QPointF& centre, qreal radius, const QColor& light, const QColor& dark)
{
    QRadialGradient g(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(outline(dark.darker(130)));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void drawOpen(QPainter& p)
{
    drawFolder(p, true);
}

void drawClose(QPainter& p)
{
    drawFolder(p, false);
    drawBadge(p, QPointF(23, 22), 7.5, QColor(0xFF, 0x7A, 0x6E), QColor(0xC0, 0x1E, 0x14));
    p.setPen(outline(Qt::white, 2.2));
    p.drawLine(QPointF(20, 19), QPointF(26, 25));
    p.drawLine(QPointF(26, 19), QPointF(20, 25));
}

void drawImport(QPainter& p)
{
    // A bank statement whose lines an arrow brings down into the book.
    drawSheet(p, QRectF(2.5, 2.5, 19, 22));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 9.5 + i * 3.6;
        p.setPen(outline(QColor(0x5A, 0x64, 0x70)));
        p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
        p.setPen(outline(i % 2 ? QColor(0xC0, 0x39, 0x2B) : QColor(0x1F, 0x5F, 0xA8)));
        p.drawLine(QPointF(12.5, y), QPointF(15.5, y));
    }
    QLinearGradient cover(0, 23, 0, 30);
    cover.setColorAt(0, QColor(0x1F, 0x7A, 0x5C));
    cover.setColorAt(1, QColor(0x0E, 0x45, 0x36));
    p.setPen(outline(QColor(0x0A, 0x30, 0x26)));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(9.5, 23.5, 21, 6), 1.5, 1.5);
    p.setPen(outline(QColor(0xE6, 0xEC, 0xE8)));
    p.drawLine(QPointF(11.5, 26.5), QPointF(28.5, 26.5));
    QPainterPath arrow;
    arrow.moveTo(20.5, 3.5);
    arrow.lineTo(26.5, 3.5);
    arrow.lineTo(26.5, 12.5);
    arrow.lineTo(30.5, 12.5);
    arrow.lineTo(23.5, 21.5);
    arrow.lineTo(16.5, 12.5);
    arrow.lineTo(20.5, 12.5);
    arrow.closeSubpath();
    QLinearGradient g(20, 0, 27, 0);
    g.setColorAt(0, QColor(0x6B, 0xD3, 0x6B));
    g.setColorAt(1, QColor(0x1E, 0x8A, 0x2E));
    p.setPen(outline(QColor(0x14, 0x5E, 0x1E)));
    p.setBrush(g);
    p.drawPath(arrow);
}

void drawAccountHeads(QPainter& p)
{
    // A ledger: cover, spine and a label with ruled lines.
    QLinearGradient cover(4, 0, 28, 0);
    cover.setColorAt(0, QColor(0x1D, 0x4E, 0x8C));
    cover.setColorAt(1, QColor(0x3B, 0x7E, 0xD0));
    p.setPen(outline(QColor(0x12, 0x33, 0x5E)));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(5.5, 2.5, 21, 27), 2, 2);
    p.setBrush(QColor(0x15, 0x3A, 0x6A));
    p.drawRect(QRectF(5.5, 2.5, 4, 27));
    p.setPen(outline(QColor(0xB8, 0x95, 0x3A)));
    p.setBrush(QColor(0xFB, 0xF3, 0xDC));
    p.drawRect(QRectF(12.5, 7.5, 11, 13));
    p.setPen(outline(QColor(0x7A, 0x6A, 0x4A)));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(14.5, 10.5 + i * 3), QPointF(21.5, 10.5 + i * 3));
}

void drawGroups(QPainter& p)
{
    // Three cards stacked, each with a coloured head strip.
    const QColor heads[3]
        = {QColor(0x2E, 0x9E, 0x5B), QColor(0xE0, 0x8A, 0x1E), QColor(0x2F, 0x6D, 0xB5)};
    for (int i = 0; i < 3; ++i) {
        const QRectF r(3.5 + i * 5, 3.5 + i * 6, 18, 13);
        p.setPen(outline(QColor(0x55, 0x5E, 0x6A)));
        p.setBrush(Qt::white);
        p.drawRoundedRect(r, 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(heads[i]);
        p.drawRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 1.5, 3.5));
        p.setPen(outline(QColor(0x9A, 0xA2, 0xAE)));
        p.drawLine(QPointF(r.left() + 3, r.top() + 8), QPointF(r.right() - 3, r.top() + 8));
        p.drawLine(QPointF(r.left() + 3, r.top() + 10.5), QPointF(r.right() - 6, r.top() + 10.5));
    }
}

void drawPencil(QPainter& p, const QPointF& tip, qreal angleDegrees, qreal length)
{
    p.save();
    p.translate(tip);
    p.rotate(angleDegrees);
    // Drawn pointing left from the origin.
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(6, -2.6);
    wood.lineTo(6, 2.6);
    wood.closeSubpath();
    p.setPen(outline(QColor(0x7A, 0x55, 0x2E)));
    p.setBrush(QColor(0xF3, 0xD3, 0xA0));
    p.drawPath(wood);
    p.setBrush(QColor(0x33, 0x33, 0x33));
    p.drawEllipse(QPointF(1.2, 0), 0.9, 0.9);
    QLinearGradient body(0, -2.6, 0, 2.6);
    body.setColorAt(0, QColor(0xFF, 0xC1, 0x3B));
    body.setColorAt(1, QColor(0xE0, 0x86, 0x10));
    p.setPen(outline(QColor(0x9C, 0x5A, 0x05)));
    p.setBrush(body);
    p.drawRect(QRectF(6, -2.6, length - 10, 5.2));
    p.setBrush(QColor(0xE8, 0x7A, 0x9A));
    p.drawRoundedRect(QRectF(length - 4, -2.6, 4, 5.2), 1, 1);
    p.restore();
}

void drawEntry(QPainter& p)
{
    drawSheet(p, QRectF(4.5, 2.5, 19, 26));
    p.setPen(outline(QColor(0x8F, 0xA8, 0xC8)));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(7.5, 9.5 + i * 3.5), QPointF(20.5, 9.5 + i * 3.5));
    drawPencil(p, QPointF(15, 25), -45, 20);
}

void drawSearch(QPainter& p)
{
    p.setPen(outline(QColor(0x4A, 0x32, 0x1E), 4.5));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(outline(QColor(0x8A, 0x5C, 0x34), 2.5));
    p.drawLine(QPointF(20, 20), QPointF(27.5, 27.5));
    QRadialGradient lens(QPointF(10, 10), 12);
    lens.setColorAt(0, QColor(0xF4, 0xFB, 0xFF));
    lens.setColorAt(1, QColor(0x9C, 0xCB, 0xEE));
    p.setPen(outline(QColor(0x4B, 0x55, 0x63), 2.5));
    p.setBrush(lens);
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.setPen(outline(Qt::white, 1.5));
    p.drawArc(QRectF(8, 8, 10, 10), 100 * 16, 70 * 16);
}

void drawList(QPainter& p)
{
    drawSheet(p, QRectF(3.5, 2.5, 25, 27));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2E, 0x9E, 0x5B));
    p.drawRect(QRectF(5, 7, 20, 3));
    for (int i = 0; i < 5; ++i) {
        const qreal y = 12.5 + i * 3.3;
        p.setPen(outline(QColor(0x5A, 0x64, 0x70)));
        p.drawLine(QPointF(6.5, y), QPointF(14.5, y));
        p.setPen(outline(i % 2 ? QColor(0xC0, 0x39, 0x2B) : QColor(0x1F, 0x5F, 0xA8)));
        p.drawLine(QPointF(19.5, y), QPointF(24.5, y));
    }
}

void drawSummary(QPainter& p)
{
    p.setPen(outline(QColor(0x44, 0x4C, 0x56), 1.5));
    p.drawLine(QPointF(3.5, 3.5), QPointF(3.5, 28.5));
    p.drawLine(QPointF(3.5, 28.5), QPointF(29.5, 28.5));
    const qreal heights[4] = {10, 18, 13, 22};
    const QColor colors[4] = {QColor(0x2F, 0x6D, 0xB5), QColor(0x2E, 0x9E, 0x5B),
        QColor(0xE0, 0x8A, 0x1E), QColor(0xC0, 0x39, 0x2B)};
    for (int i = 0; i < 4; ++i) {
        const QRectF bar(6.5 + i * 6, 27.5 - heights[i], 4.5, heights[i]);
        QLinearGradient g(bar.topLeft(), bar.topRight());
        g.setColorAt(0, colors[i].lighter(140));
        g.setColorAt(1, colors[i]);
        p.setPen(outline(colors[i].darker(140)));
        p.setBrush(g);
        p.drawRect(bar);
    }
}

void drawHelp(QPainter& p)
{
    drawBadge(p, QPointF(16, 16), 13, QColor(0x7F, 0xB8, 0xF5), QColor(0x17, 0x55, 0xB0));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 32, 33), Qt::AlignCenter, QStringLiteral("?"));
}

void drawExit(QPainter& p)
{
    // A door standing open and an arrow leaving through it.
    p.setPen(outline(QColor(0x4E, 0x34, 0x1E)));
    p.setBrush(QColor(0x3C, 0x3C, 0x44));
    p.drawRect(QRectF(4.5, 3.5, 14, 25));
    QLinearGradient door(0, 0, 14, 0);
    door.setColorAt(0, QColor(0xB9, 0x7A, 0x45));
    door.setColorAt(1, QColor(0x8A, 0x52, 0x25));
    p.setBrush(door);
    QPainterPath d;
    d.moveTo(4.5, 3.5);
    d.lineTo(13.5, 6.5);
    d.lineTo(13.5, 30.5);
    d.lineTo(4.5, 28.5);
    d.closeSubpath();
    p.drawPath(d);
    p.setBrush(QColor(0xF2, 0xD0, 0x5A));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(11.5, 18), 1.2, 1.2);
    QPainterPath arrow;
    arrow.moveTo(15, 14);
    arrow.lineTo(22, 14);
    arrow.lineTo(22, 9.5);
    arrow.lineTo(30.5, 17);
    arrow.lineTo(22, 24.5);
    arrow.lineTo(22, 20);
    arrow.lineTo(15, 20);
    arrow.closeSubpath();
    QLinearGradient g(0, 9, 0, 25);
    g.setColorAt(0, QColor(0x6B, 0xD3, 0x6B));
    g.setColorAt(1, QColor(0x1E, 0x8A, 0x2E));
    p.setPen(outline(QColor(0x14, 0x5E, 0x1E)));
    p.setBrush(g);
    p.drawPath(arrow);
}

// Puts the transparent parts of an antialiased drawing into the mask colour
// and blends the rest with the background the image will be shown on, so the
// masked image has no coloured fringe.
QPixmap flattenOnMask(const QImage& drawing, const QColor& background)
{
    QImage out(drawing.size(), QImage::Format_RGB32);
    const QImage src = drawing.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 96) {
                dst[x] = kToolbarMaskColor | 0xFF000000u;
                continue;
            }
            auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a)) / 255; };
            QRgb c = qRgb(mix(qRed(in[x]), background.red()),
                mix(qGreen(in[x]), background.green()), mix(qBlue(in[x]), background.blue()));
            // Never let a drawn pixel become the mask colour by accident.
            if ((c & 0xFFFFFF) == kToolbarMaskColor)
                c = qRgb(0xFE, 0, 0xFF);
            dst[x] = c;
        }
    }
    return QPixmap::fromImage(out);
}

} // namespace

QPixmap ProgramLogo(int size)
{
    QImage image = transparentCanvas(size);
    QPainter p(&image);
    setup(p);
    p.scale(size / 100.0, size / 100.0);

    // Rounded square with a deep green gradient.
    QLinearGradient bg(0, 0, 0, 100);
    bg.setColorAt(0, QColor(0x1F, 0x7A, 0x5C));
    bg.setColorAt(1, QColor(0x0E, 0x45, 0x36));
    p.setPen(outline(QColor(0x0A, 0x30, 0x26), 2));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(3, 3, 94, 94), 18, 18);

    // An open book.
    QLinearGradient page(0, 40, 0, 86);
    page.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    page.setColorAt(1, QColor(0xE6, 0xEC, 0xE8));
    p.setPen(outline(QColor(0xB8, 0xC6, 0xBE), 1.5));
    p.setBrush(page);
    QPainterPath left;
    left.moveTo(14, 44);
    left.cubicTo(26, 38, 40, 40, 50, 48);
    left.lineTo(50, 84);
    left.cubicTo(40, 76, 26, 75, 14, 80);
    left.closeSubpath();
    p.drawPath(left);
    QPainterPath right;
    right.moveTo(86, 44);
    right.cubicTo(74, 38, 60, 40, 50, 48);
    right.lineTo(50, 84);
    right.cubicTo(60, 76, 74, 75, 86, 80);
    right.closeSubpath();
    p.drawPath(right);
    p.setPen(outline(QColor(0x9A, 0xB0, 0xA4), 1.5));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 53 + i * 6.5;
        p.drawLine(QPointF(20, y - 2 + i * 0.2), QPointF(44, y + 1));
        p.drawLine(QPointF(56, y + 1), QPointF(80, y - 2 + i * 0.2));
    }

    // A golden quill resting on the right page.
    QLinearGradient gold(60, 10, 80, 60);
    gold.setColorAt(0, QColor(0xFF, 0xE5, 0x8A));
    gold.setColorAt(1, QColor(0xD8, 0x9A, 0x1C));
    QPainterPath quill;
    quill.moveTo(86, 8);
    quill.cubicTo(70, 14, 58, 30, 54, 52);
    quill.cubicTo(62, 40, 76, 30, 86, 8);
    p.setPen(outline(QColor(0x8A, 0x5E, 0x0C), 1.2));
    p.setBrush(gold);
    p.drawPath(quill);
    p.setPen(outline(QColor(0x8A, 0x5E, 0x0C), 1.8));
    p.drawLine(QPointF(84, 11), QPointF(52, 60));
    p.end();
    return QPixmap::fromImage(image);
}

QPixmap PanelPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    setup(p);
    p.scale(width / 200.0, height / 150.0);

    // A ledger page, slightly turned.
    p.save();
    p.translate(100, 72);
    p.rotate(-6);
    p.setPen(outline(QColor(0x9A, 0xA8, 0xA0), 1.2));
    QLinearGradient paper(0, -60, 0, 60);
    paper.setColorAt(0, QColor(0xFF, 0xFF, 0xFC));
    paper.setColorAt(1, QColor(0xEE, 0xF1, 0xEA));
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(-70, -58, 140, 116), 4, 4);
    p.setPen(outline(QColor(0xC9, 0x4A, 0x3C), 1));
    p.drawLine(QPointF(-48, -58), QPointF(-48, 58));
    p.setPen(outline(QColor(0xB8, 0xCF, 0xE6), 0.8));
    for (int i = 0; i < 11; ++i)
        p.drawLine(QPointF(-70, -46 + i * 10), QPointF(70, -46 + i * 10));
    // A rising line chart drawn over the ruling.
    QPainterPath chart;
    const QPointF points[] = {{-40, 30}, {-22, 18}, {-6, 24}, {12, 4}, {30, 10}, {52, -28}};
    chart.moveTo(points[0]);
    for (const QPointF& pt : points)
        chart.lineTo(pt);
    p.setPen(outline(QColor(0x1F, 0x7A, 0x5C), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chart);
    p.setBrush(QColor(0x1F, 0x7A, 0x5C));
    for (const QPointF& pt : points)
        p.drawEllipse(pt, 2.6, 2.6);
    p.restore();

    // A small stack of coins at the lower right.
    for (int i = 0; i < 4; ++i) {
        const QRectF coin(140, 118 - i * 7, 44, 14);
        QLinearGradient g(coin.topLeft(), coin.bottomRight());
        g.setColorAt(0, QColor(0xFF, 0xE2, 0x7A));
        g.setColorAt(1, QColor(0xC8, 0x8A, 0x12));
        p.setPen(outline(QColor(0x8A, 0x5E, 0x0C), 1));
        p.setBrush(g);
        p.drawEllipse(coin);
    }
    p.end();
    return QPixmap::fromImage(image);
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(ProgramLogo(size));
    return icon;
}

QPixmap ToolbarImage(int index, const QColor& background)
{
    QImage image = transparentCanvas(kToolbarIconSize);
    QPainter p(&image);
    setup(p);
    switch (index) {
    case 0:
        drawOpen(p);
        break;
    case 1:
        drawClose(p);
        break;
    case 2:
        drawImport(p);
        break;
    case 3:
        drawAccountHeads(p);
        break;
    case 4:
        drawGroups(p);
        break;
    case 5:
        drawEntry(p);
        break;
    case 6:
        drawSearch(p);
        break;
    case 7:
        drawList(p);
        break;
    case 8:
        drawSummary(p);
        break;
    case 9:
        drawHelp(p);
        break;
    case 10:
        drawExit(p);
        break;
    default:
        break;
    }
    p.end();
    return flattenOnMask(image, background);
}

} // namespace qb
