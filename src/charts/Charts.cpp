#include "charts/Charts.h"

#include <cmath>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QScatterSeries>

#include "engine/ShortDate.h"

namespace qb {

namespace {

const char kMarkersName[] = "qbBalanceMarkers";

// Qt Charts lays out titles, axis labels and legend entries as rich text: a
// name from the book goes in escaped, so that it is drawn as the letters it
// holds and never loads a picture or a file.
QString plainText(const QString& text)
{
    return text.toHtmlEscaped();
}

// Drawing only: a figure as a position on the value axis.
double position(const std::optional<Money>& amount)
{
    return amount ? double(amount->units()) / double(Money::kScale) : 0.0;
}

QString moneyLabel(double value)
{
    return Money::fromUnits(std::llround(value * double(Money::kScale))).formatGrouped();
}

// A step of 1, 2 or 5 times a power of ten that cuts the span into about five.
double niceStep(double span)
{
    if (!(span > 0))
        return 1;
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double f : {1.0, 2.0, 5.0}) {
        if (f * power >= rough)
            return std::max(f * power, 0.01);
    }
    return std::max(10 * power, 0.01);
}

// A value axis whose labels are figures in the program's money format; bars
// start at zero, a balance line shows the range it moves in.
QCategoryAxis* moneyAxis(double low, double high, bool fromZero)
{
    if (fromZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    if (high - low < 0.01) {
        low -= 1;
        high += 1;
    }
    const double step = niceStep(high - low);
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(first, last);
    axis->setStartValue(first);
    for (double v = first; v <= last + step / 2; v += step)
        axis->append(moneyLabel(v), v);
    return axis;
}

qint64 dayPosition(const QDate& day)
{
    return day.startOfDay().toMSecsSinceEpoch();
}

// The days that carry a date label between first and last: the month ends
// (at most about twelve of them, every second or third when there are
// more), or, in a period with fewer than two month ends, about five days
// spread evenly.
QList<QDate> dateTicks(const QDate& first, const QDate& last)
{
    QList<QDate> monthEnds;
    for (QDate end = QDate(first.year(), first.month(), 1).addMonths(1).addDays(-1); end <= last;
         end = QDate(end.year(), end.month(), 1).addMonths(2).addDays(-1))
        monthEnds.append(end);
    QList<QDate> ticks;
    if (monthEnds.size() >= 2) {
        const qsizetype every = (monthEnds.size() + 11) / 12;
        for (qsizetype i = monthEnds.size() - 1; i >= 0; i -= every)
            ticks.prepend(monthEnds.at(i)); // the last month end always shows
        return ticks;
    }
    const qint64 days = first.daysTo(last);
    const qint64 step = std::max<qint64>(1, (days + 4) / 5);
    for (qint64 d = 0; d < days; d += step)
        ticks.append(first.addDays(d));
    ticks.append(last);
    return ticks;
}

// The date axis of a balance line, labelled at dateTicks(). A little room
// beyond the first and last day keeps their markers whole.
QCategoryAxis* dateAxis(const QDate& first, const QDate& last)
{
    const qint64 day = 24LL * 3600 * 1000;
    const qint64 span = std::max<qint64>(dayPosition(last) - dayPosition(first), day);
    const double room = double(std::max<qint64>(span / 40, day / 2));
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const double low = double(dayPosition(first)) - room;
    const double high = double(std::max(dayPosition(last), dayPosition(first) + day)) + room;
    axis->setRange(low, high);
    axis->setStartValue(low);
    const QString format
        = first.daysTo(last) > 300 ? QStringLiteral("d MMM yyyy") : QStringLiteral("d MMM");
    for (const QDate& tick : dateTicks(first, last))
        axis->append(QLocale().toString(tick, format), double(dayPosition(tick)));
    return axis;
}

// A line of text in the middle of the plot area that follows its size.
void addNotice(QChart* chart, const QString& text)
{
    auto* item = new QGraphicsSimpleTextItem(text, chart);
    QFont font = item->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    item->setFont(font);
    item->setBrush(QColor(0x33, 0x33, 0x33));
    auto place = [chart, item] {
        const QRectF area = chart->plotArea();
        const QRectF box = item->boundingRect();
        item->setPos(area.center().x() - box.width() / 2, area.center().y() - box.height() / 2);
    };
    QObject::connect(chart, &QChart::plotAreaChanged, chart, place);
    place();
}

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTheme(QChart::ChartThemeLight);
    chart->setTitle(plainText(title));
    QFont font = chart->titleFont();
    font.setPointSizeF(std::max(font.pointSizeF(), 11.0));
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setTitleBrush(Qt::black);
    chart->setAnimationOptions(QChart::NoAnimation);
    // Room on the right for the half of the last figure that stands past the axis.
    chart->setMargins(QMargins(6, 4, 34, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setLabelColor(Qt::black);
    return chart;
}

void darkLabels(QAbstractAxis* axis)
{
    axis->setLabelsBrush(Qt::black);
    axis->setTitleBrush(Qt::black);
}

} // namespace

QColor ChartInColour()
{
    return QColor(0x1b, 0x7f, 0x3b);
}

QColor ChartOutColour()
{
    return QColor(0xb3, 0x26, 0x1e);
}

QColor ChartBalanceColour()
{
    return QColor(0x1f, 0x5f, 0xbf);
}

QChart* MakeInOutChart(const InOutChartData& data)
{
    QChart* chart = newChart(data.title);
    const bool perAccount = data.layout == InOutChartData::PerAccount;
    auto* in = new QBarSet(QStringLiteral("In"));
    auto* out = new QBarSet(QStringLiteral("Out"));
    in->setColor(ChartInColour());
    out->setColor(ChartOutColour());
    in->setBorderColor(ChartInColour());
    out->setBorderColor(ChartOutColour());
    QStringList labels;
    double high = 0;
    // Horizontal bars are drawn from the bottom up: the largest goes last.
    QList<ChartBar> bars = data.bars;
    if (perAccount)
        std::reverse(bars.begin(), bars.end());
    for (const ChartBar& bar : bars) {
        labels << plainText(bar.label);
        *in << position(bar.in);
        *out << position(bar.out);
        high = std::max({high, position(bar.in), position(bar.out)});
    }
    QAbstractBarSeries* series = perAccount
        ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
        : static_cast<QAbstractBarSeries*>(new QBarSeries);
    series->append(in);
    series->append(out);
    chart->addSeries(series);

    auto* categories = new QBarCategoryAxis;
    categories->append(labels.isEmpty() ? QStringList {QString()} : labels);
    QCategoryAxis* values = moneyAxis(0, high, true);
    values->setTitleText(QStringLiteral("Amount"));
    if (!perAccount)
        values->setTitleText(QString());
    chart->addAxis(categories, perAccount ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, perAccount ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(values);
    darkLabels(categories);
    darkLabels(values);
    // Account names in full: the chart makes room for them rather than
    // cutting them to "...".
    categories->setTruncateLabels(false);
    if (!perAccount && labels.size() > 12)
        categories->setLabelsAngle(-90);

    if (data.empty)
        addNotice(chart, ChartNoTransactionsText());
    else if (data.trouble)
        addNotice(chart,
            QStringLiteral("Some figures cannot be given (") + Money::errorMark()
                + QStringLiteral(" on the page)"));
    return chart;
}

QList<BalancePoint> MarkedPoints(const BalanceChartData& data)
{
    QList<BalancePoint> marked;
    for (const BalancePoint& p : data.points) {
        if (p.balance && p.date.isValid())
            marked.append(p);
    }
    return marked;
}

QChart* MakeBalanceChart(const BalanceChartData& data)
{
    QChart* chart = newChart(data.title);
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("Balance"));
    QPen pen(ChartBalanceColour());
    pen.setWidth(2);
    line->setPen(pen);
    auto* markers = new QScatterSeries;
    markers->setObjectName(QLatin1String(kMarkersName));
    markers->setName(QStringLiteral("Days with transactions"));
    markers->setMarkerSize(7);
    markers->setColor(ChartBalanceColour());
    markers->setBorderColor(ChartBalanceColour());

    const QList<BalancePoint> marked = MarkedPoints(data);
    double low = 0, high = 0;
    QDate firstDay, lastDay;
    for (qsizetype i = 0; i < marked.size(); ++i) {
        const BalancePoint& p = marked.at(i);
        const qint64 x = dayPosition(p.date);
        const double y = position(p.balance);
        // A step: the balance holds until the next day with transactions.
        if (i > 0 && data.steps)
            line->append(double(x), line->points().constLast().y());
        line->append(double(x), y);
        markers->append(double(x), y);
        low = i == 0 ? y : std::min(low, y);
        high = i == 0 ? y : std::max(high, y);
        if (i == 0)
            firstDay = p.date;
        lastDay = p.date;
    }
    // The last balance holds to the end of the period.
    if (!marked.isEmpty() && data.to.isValid() && data.steps && data.to > lastDay) {
        line->append(double(dayPosition(data.to)), line->points().constLast().y());
        lastDay = data.to;
    }
    if (!firstDay.isValid()) {
        firstDay = data.to.isValid() ? data.to : QDate::currentDate();
        lastDay = firstDay;
    }
    chart->addSeries(line);
    chart->addSeries(markers);
    chart->legend()->markers(markers).value(0)->setVisible(false);

    QCategoryAxis* dates = dateAxis(firstDay, lastDay);
    // Balances that never fall below zero get no axis below it.
    const double pad = (high - low) * 0.05;
    QCategoryAxis* values
        = moneyAxis(low >= 0 ? std::max(0.0, low - pad) : low - pad, high + pad, false);
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries* s :
        {static_cast<QAbstractSeries*>(line), static_cast<QAbstractSeries*>(markers)}) {
        s->attachAxis(dates);
        s->attachAxis(values);
    }
    darkLabels(dates);
    darkLabels(values);
    if (data.empty)
        addNotice(chart, ChartNoTransactionsText());
    else if (data.trouble)
        addNotice(chart,
            QStringLiteral("Some balances cannot be given (") + Money::errorMark()
                + QStringLiteral(" on the page)"));
    return chart;
}

QScatterSeries* BalanceMarkers(QChart* chart)
{
    if (!chart)
        return nullptr;
    for (QAbstractSeries* s : chart->series()) {
        if (s->objectName() == QLatin1String(kMarkersName))
            return qobject_cast<QScatterSeries*>(s);
    }
    return nullptr;
}

QString InOutBarText(const InOutChartData& data, int index, bool in)
{
    // Bars per account are drawn from the bottom up (see MakeInOutChart).
    const qsizetype at = data.layout == InOutChartData::PerAccount ? data.bars.size() - 1 - index
                                                                   : qsizetype(index);
    if (at < 0 || at >= data.bars.size())
        return QString();
    const ChartBar& bar = data.bars.at(at);
    const std::optional<Money>& figure = in ? bar.in : bar.out;
    return bar.label + (in ? QStringLiteral(": In ") : QStringLiteral(": Out "))
        + (figure ? figure->formatGrouped() : Money::errorMark());
}

QString BalancePointText(const BalancePoint& point)
{
    const QString figure = point.balance ? point.balance->formatGrouped() : Money::errorMark();
    if (point.opening)
        return QStringLiteral("Opening balance: ") + figure;
    return ShortDateText(point.date) + QStringLiteral(": ") + figure;
}

QImage RenderChart(QChart* chart, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QGraphicsScene scene;
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
    // The chart lays itself out on a posted request: let it before drawing.
    QCoreApplication::sendPostedEvents();
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(
            &painter, QRectF(QPointF(0, 0), QSizeF(size)), QRectF(QPointF(0, 0), QSizeF(size)));
    }
    scene.removeItem(chart);
    return image;
}

QByteArray RenderChartPng(QChart* chart, const QSize& size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    RenderChart(chart, size).save(&buffer, "PNG");
    return bytes;
}

bool PrintChart(QChart* chart, const QSize& size, QPrinter* printer)
{
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    const QImage image = RenderChart(chart, size.isEmpty() ? QSize(900, 600) : size);
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const QSizeF fitted = QSizeF(image.size()).scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(0, 0), fitted), image);
    return painter.end() && printer->printerState() != QPrinter::Error;
}

} // namespace qb
