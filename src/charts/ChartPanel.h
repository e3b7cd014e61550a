#pragma once

// The chart beside a report page: a chart view that shows the in-and-out bars
// or a balance line made from the engine's figures, follows its window's
// size, saves itself as PNG and prints. On a balance line, hovering a point
// (or choosing it with Left and Right while the chart has the focus) shows
// its date and balance; clicking it (or Enter) announces its day. Hovering
// a bar shows its account or month and its figure.

#include <optional>
#include <variant>

#include <QChartView>

#include "engine/ChartData.h"

QT_BEGIN_NAMESPACE
class QLabel;
class QPrinter;
QT_END_NAMESPACE

namespace qb {

class ChartPanel final : public QChartView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChartPanel)

public:
    explicit ChartPanel(QWidget* parent = nullptr);
    ~ChartPanel() override;

    void showInOut(const InOutChartData& data);
    void showBalance(const BalanceChartData& data);
    // No chart (before a subject is chosen).
    void clearChart();
    bool hasData() const { return !std::holds_alternative<std::monostate>(m_data); }

    // The chart as it is now, drawn at the panel's size.
    QImage image() const;
    // Asks for a file name through the program's file dialogs, starting in
    // folder, and writes the chart there as PNG; a failure is reported in a
    // message box.
    void saveAsPng(const QString& folder);
    // Prints the chart; false when cancelled or printing failed.
    bool print();

    // What hovering a bar or hovering or choosing a balance point shows now
    // (empty: nothing).
    QString pointText() const { return m_pointText; }
    // The balance points that carry a marker, in date order.
    const QList<BalancePoint>& markedPoints() const { return m_marked; }
    // Shows the text of marked point i as hovering it does.
    void showPoint(qsizetype i);
    // Announces the day of marked point i as clicking it does (not the opening balance).
    void choosePoint(qsizetype i);
    // The widget position of marked point i.
    QPoint pointPosition(qsizetype i) const;

signals:
    // A day with transactions was clicked on the balance line.
    void dayChosen(const QDate& day);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QChart* makeChart() const;
    void install(QChart* chart);
    qsizetype markerAt(const QPointF& value) const;
    // Shows text in the tip label just above and right of near.
    void showTip(const QString& text, const QPoint& near);

    std::variant<std::monostate, InOutChartData, BalanceChartData> m_data;
    QList<BalancePoint> m_marked;
    QString m_pointText;
    qsizetype m_current = -1;
    QLabel* m_tip = nullptr;
};

} // namespace qb
