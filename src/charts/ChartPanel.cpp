#include "charts/ChartPanel.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QScatterSeries>

#include "charts/Charts.h"
#include "store/OutputFile.h"
#include "store/UiServices.h"
#include "windows/HtmlView.h"

namespace qb {

ChartPanel::ChartPanel(QWidget* parent)
    : QChartView(parent)
{
    setObjectName(QStringLiteral("ChartPanel"));
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("lblChartPoint"));
    m_tip->setTextFormat(Qt::PlainText);
    m_tip->setStyleSheet(QStringLiteral(
        "QLabel { background: #ffffe8; color: black; border: 1px solid #777; padding: 2px 4px; }"));
    m_tip->hide();
    clearChart();
}

ChartPanel::~ChartPanel() = default;

void ChartPanel::clearChart()
{
    m_data = std::monostate();
    install(new QChart);
}

void ChartPanel::showInOut(const InOutChartData& data)
{
    m_data = data;
    install(makeChart());
}

void ChartPanel::showBalance(const BalanceChartData& data)
{
    m_data = data;
    install(makeChart());
}

QChart* ChartPanel::makeChart() const
{
    if (const auto* bars = std::get_if<InOutChartData>(&m_data))
        return MakeInOutChart(*bars);
    if (const auto* line = std::get_if<BalanceChartData>(&m_data))
        return MakeBalanceChart(*line);
    return new QChart;
}

void ChartPanel::install(QChart* chart)
{
    QChart* old = this->chart();
    setChart(chart);
    delete old;
    m_marked.clear();
    m_current = -1;
    m_pointText.clear();
    m_tip->hide();
    if (const auto* line = std::get_if<BalanceChartData>(&m_data))
        m_marked = MarkedPoints(*line);
    if (std::holds_alternative<InOutChartData>(m_data)) {
        for (QAbstractSeries* s : chart->series()) {
            auto* bars = qobject_cast<QAbstractBarSeries*>(s);
            if (!bars)
                continue;
            connect(bars, &QAbstractBarSeries::hovered, this,
                [this, bars](bool over, int index, QBarSet* set) {
                    if (!over) {
                        m_tip->hide();
                        return;
                    }
                    const bool in = bars->barSets().indexOf(set) == 0;
                    showTip(InOutBarText(std::get<InOutChartData>(m_data), index, in),
                        mapFromGlobal(QCursor::pos()));
                });
        }
    }
    if (QScatterSeries* markers = BalanceMarkers(chart)) {
        connect(markers, &QScatterSeries::hovered, this, [this](const QPointF& value, bool over) {
            if (over)
                showPoint(markerAt(value));
        });
        connect(markers, &QScatterSeries::clicked, this,
            [this](const QPointF& value) { choosePoint(markerAt(value)); });
    }
}

qsizetype ChartPanel::markerAt(const QPointF& value) const
{
    const QScatterSeries* markers = BalanceMarkers(chart());
    if (!markers)
        return -1;
    const QList<QPointF> points = markers->points();
    qsizetype best = -1;
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (best < 0
            || std::abs(points.at(i).x() - value.x()) < std::abs(points.at(best).x() - value.x()))
            best = i;
    }
    return best;
}

void ChartPanel::showPoint(qsizetype i)
{
    if (i < 0 || i >= m_marked.size())
        return;
    m_current = i;
    showTip(BalancePointText(m_marked.at(i)), pointPosition(i));
}

void ChartPanel::showTip(const QString& text, const QPoint& near)
{
    m_pointText = text;
    m_tip->setText(m_pointText);
    m_tip->adjustSize();
    QPoint at = near + QPoint(8, -m_tip->height() - 8);
    at.setX(std::clamp(at.x(), 0, std::max(0, width() - m_tip->width())));
    at.setY(std::clamp(at.y(), 0, std::max(0, height() - m_tip->height())));
    m_tip->move(at);
    m_tip->show();
    m_tip->raise();
}

void ChartPanel::choosePoint(qsizetype i)
{
    if (i < 0 || i >= m_marked.size())
        return;
    showPoint(i);
    if (!m_marked.at(i).opening)
        emit dayChosen(m_marked.at(i).date);
}

QPoint ChartPanel::pointPosition(qsizetype i) const
{
    const QScatterSeries* markers = BalanceMarkers(chart());
    if (!markers || i < 0 || i >= markers->count())
        return {};
    const QPointF inChart
        = chart()->mapToPosition(markers->at(int(i)), const_cast<QScatterSeries*>(markers));
    return mapFromScene(chart()->mapToScene(inChart));
}

void ChartPanel::keyPressEvent(QKeyEvent* event)
{
    if (!m_marked.isEmpty()) {
        switch (event->key()) {
        case Qt::Key_Left:
            showPoint(m_current < 0 ? m_marked.size() - 1 : std::max<qsizetype>(m_current - 1, 0));
            return;
        case Qt::Key_Right:
            showPoint(m_current < 0 ? 0 : std::min(m_current + 1, m_marked.size() - 1));
            return;
        case Qt::Key_Home:
            showPoint(0);
            return;
        case Qt::Key_End:
            showPoint(m_marked.size() - 1);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_current >= 0) {
                choosePoint(m_current);
                return;
            }
            break;
        default:
            break;
        }
    }
    QChartView::keyPressEvent(event);
}

void ChartPanel::focusInEvent(QFocusEvent* event)
{
    QChartView::focusInEvent(event);
    // The keyboard is here: a frame says so, and on a balance line what the keys do.
    setStyleSheet(QStringLiteral("QGraphicsView { border: 2px solid #1f5fbf; }"));
    if (!m_marked.isEmpty() && m_current < 0) {
        m_tip->setText(QStringLiteral("Left, Right: the days; Enter: open the day"));
        m_tip->adjustSize();
        m_tip->move(8, 8);
        m_tip->show();
    }
}

void ChartPanel::focusOutEvent(QFocusEvent* event)
{
    QChartView::focusOutEvent(event);
    setStyleSheet(QString());
}

void ChartPanel::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    m_tip->hide(); // the point has moved
}

QImage ChartPanel::image() const
{
    std::unique_ptr<QChart> copy(makeChart());
    return RenderChart(copy.get(), size());
}

void ChartPanel::saveAsPng(const QString& folder)
{
    FileRequest request;
    request.kind = FileRequest::Save;
    request.title = QStringLiteral("Save Chart as Picture");
    request.filter = QStringLiteral("PNG picture (*.png)");
    request.folder = folder;
    request.suggestedName = QStringLiteral("chart.png");
    QString name = FileDialogs::current().choose(request);
    if (name.isEmpty())
        return;
    if (!name.toLower().endsWith(QStringLiteral(".png")))
        name += QStringLiteral(".png");
    if (QFileInfo::exists(name)
        && MsgBox(QStringLiteral("A file already exist with this name in this folder, do you want "
                                 "to overwrite this file ?"),
               MsgIcon::Question, {}, MsgButtons::YesNo, MsgResult::No)
            != MsgResult::Yes)
        return;
    std::unique_ptr<QChart> copy(makeChart());
    Error error;
    if (!WriteOutputFile(name, RenderChartPng(copy.get(), size()), &error))
        MsgBox(QStringLiteral("The chart could not be saved as ") + name + QStringLiteral(" (")
                + error.description + QLatin1Char(')'),
            MsgIcon::Exclamation);
}

bool ChartPanel::print()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!PrintDialogs::current().setup(&printer, this))
        return false;
    std::unique_ptr<QChart> copy(makeChart());
    return PrintChart(copy.get(), size(), &printer);
}

} // namespace qb
