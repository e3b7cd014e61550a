#pragma once

// The preview of an import: one row per statement line with its include
// box, status, date, amount, narration and other account (its origin as
// the tool tip). A table model, so 10,000 lines scroll without a pause.

#include <functional>

#include <QAbstractTableModel>

#include "import/ImportPlan.h"

namespace qb {

class ImportLinesModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImportLinesModel)

public:
    enum Column { Include, Status, Date, Amount, Narration, Other, ColumnCount };
    // The value a column sorts by: dates by day, amounts by their sum.
    static constexpr int SortRole = Qt::UserRole;

    explicit ImportLinesModel(QObject* parent = nullptr);

    // The plan shown; accountName names the other accounts.
    void setPlan(ImportPlan plan, std::function<QString(int)> accountName);
    ImportPlan& plan() { return m_plan; }
    const ImportPlan& plan() const { return m_plan; }

    // The status as the window shows it: "New", "Already in the book (...)", ...
    // A note of the line (a rounding, a balance left unchecked) follows in parentheses.
    static QString statusText(const ImportLine& line);

    // Turns the include box of the rows over (all on when any was off).
    void toggleInclude(const QList<int>& rows);
    // Sets the other account of the rows (0: none).
    void setOther(const QList<int>& rows, int code);
    // The other accounts' names again (after a rename).
    void refreshNames();
    // How many lines are checked and can be imported.
    int importable() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void includeChanged();

private:
    static QString statusWords(const ImportLine& line);

    ImportPlan m_plan;
    std::function<QString(int)> m_accountName;
};

} // namespace qb
