#include "transactions/ImportLinesModel.h"

#include <QBrush>
#include <QColor>

#include "store/Utilities.h"

namespace qb {

ImportLinesModel::ImportLinesModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void ImportLinesModel::setPlan(ImportPlan plan, std::function<QString(int)> accountName)
{
    beginResetModel();
    m_plan = std::move(plan);
    m_accountName = std::move(accountName);
    endResetModel();
    emit includeChanged();
}

QString ImportLinesModel::statusText(const ImportLine& line)
{
    const QString text = statusWords(line);
    return line.source.note.isEmpty() || line.status == LineStatus::Error
        ? text
        : text + QStringLiteral(" (") + line.source.note + QLatin1Char(')');
}

QString ImportLinesModel::statusWords(const ImportLine& line)
{
    switch (line.status) {
    case LineStatus::New:
        return QStringLiteral("New");
    case LineStatus::InBook: {
        const QDate date = DocDateToDate(line.match.date);
        return QStringLiteral("Already in the book (") + date.toString(QStringLiteral("dd-MM-yyyy"))
            + QStringLiteral(" No ") + QString::number(line.match.number) + QLatin1Char(')');
    }
    case LineStatus::Repeated:
        return QStringLiteral("Repeated in this file (") + line.reason + QLatin1Char(')');
    case LineStatus::Error:
        return QStringLiteral("Error: ") + line.reason;
    }
    return {};
}

void ImportLinesModel::toggleInclude(const QList<int>& rows)
{
    bool anyOff = false;
    for (int r : rows)
        anyOff = anyOff || (r >= 0 && r < m_plan.lines().size() && !m_plan.lines().at(r).include);
    for (int r : rows) {
        if (r < 0 || r >= m_plan.lines().size() || m_plan.lines().at(r).status == LineStatus::Error)
            continue;
        m_plan.lines()[r].include = anyOff;
        emit dataChanged(index(r, Include), index(r, Include), {Qt::CheckStateRole});
    }
    emit includeChanged();
}

void ImportLinesModel::setOther(const QList<int>& rows, int code)
{
    for (int r : rows)
        m_plan.setOther(r, code);
    // A choice may be suggested to later lines of the same payee.
    if (!m_plan.lines().isEmpty())
        emit dataChanged(index(0, Other), index(int(m_plan.lines().size()) - 1, Other));
    emit includeChanged();
}

void ImportLinesModel::refreshNames()
{
    if (!m_plan.lines().isEmpty())
        emit dataChanged(index(0, Other), index(int(m_plan.lines().size()) - 1, Other));
}

int ImportLinesModel::importable() const
{
    return m_plan.importable();
}

int ImportLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_plan.lines().size());
}

int ImportLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImportLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_plan.lines().size())
        return {};
    const ImportLine& line = m_plan.lines().at(index.row());
    if (role == SortRole) {
        switch (index.column()) {
        case Include:
            return int(line.include);
        case Date:
            return line.source.date.toJulianDay();
        case Amount:
            return qlonglong(line.source.amount.units());
        default:
            return data(index, Qt::DisplayRole).toString().toLower();
        }
    }
    switch (index.column()) {
    case Include:
        if (role == Qt::CheckStateRole)
            return line.include ? Qt::Checked : Qt::Unchecked;
        break;
    case Status:
        if (role == Qt::DisplayRole)
            return statusText(line);
        if (role == Qt::ForegroundRole && line.status == LineStatus::Error)
            return QBrush(QColor(0xb0, 0, 0));
        break;
    case Date:
        if (role == Qt::DisplayRole)
            return line.source.date.isValid()
                ? line.source.date.toString(QStringLiteral("dd-MM-yyyy"))
                : QString();
        break;
    case Amount:
        if (role == Qt::DisplayRole)
            return line.source.amount.formatGrouped();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case Narration:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return line.narration;
        break;
    case Other:
        if (role == Qt::DisplayRole)
            return line.other && m_accountName ? m_accountName(line.other) : QString();
        if (role == Qt::ToolTipRole)
            return line.otherWhy.isEmpty()
                ? QStringLiteral("No other account: the line cannot be imported")
                : line.otherWhy;
        break;
    default:
        break;
    }
    return {};
}

bool ImportLinesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != Include || role != Qt::CheckStateRole)
        return false;
    ImportLine& line = m_plan.lines()[index.row()];
    if (line.status == LineStatus::Error)
        return false;
    line.include = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit includeChanged();
    return true;
}

Qt::ItemFlags ImportLinesModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == Include && index.row() < m_plan.lines().size()
        && m_plan.lines().at(index.row()).status != LineStatus::Error)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ImportLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char* names[] = {"", "Status", "Date", "Amount", "Narration", "Other account"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QString();
}

} // namespace qb
