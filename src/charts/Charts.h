#pragma once

// Qt Charts made from the engine's chart figures. Money becomes a screen
// position only here; every label shows the figure in the program's own
// grouped money format.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include "engine/ChartData.h"

QT_BEGIN_NAMESPACE
class QChart;
class QPainter;
class QPrinter;
class QScatterSeries;
QT_END_NAMESPACE

namespace qb {

// Horizontal bars per account (largest at the top) or vertical bars per
// month, one set "In" and one "Out". The caller owns the chart.
QChart* MakeInOutChart(const InOutChartData& data);

// The balance as a step line with a marker on each point (the opening
// balance first). The caller owns the chart.
QChart* MakeBalanceChart(const BalanceChartData& data);

// The markers of a balance chart (hover and click go there); nullptr for others.
QScatterSeries* BalanceMarkers(QChart* chart);
// The points that get a marker, in the markers' order: those whose balance
// can be given.
QList<BalancePoint> MarkedPoints(const BalanceChartData& data);

// What hovering a balance point shows: "d: 1,234.56", the date in the short
// date format, or "Opening balance: 1,234.56"; "#ERR" for a balance that
// cannot be given.
QString BalancePointText(const BalancePoint& point);
// What hovering bar index (in the chart's order) of the In or Out set shows:
// "Food: In 1,234.56".
QString InOutBarText(const InOutChartData& data, int index, bool in);

// A chart that no view shows, laid out at this size and drawn on a white image.
QImage RenderChart(QChart* chart, const QSize& size);
// The same as PNG bytes.
QByteArray RenderChartPng(QChart* chart, const QSize& size);
// Prints a chart that no view shows, laid out at this size, on one page,
// scaled to fit and keeping its shape.
bool PrintChart(QChart* chart, const QSize& size, QPrinter* printer);

// Colours of the two sets and of the balance line.
QColor ChartInColour();
QColor ChartOutColour();
QColor ChartBalanceColour();

} // namespace qb
