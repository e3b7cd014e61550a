#include "windows/frmDateRangeManage.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/DateRanges.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "windows/BookChanges.h"
#include "windows/frmDateRangeAdd.h"

namespace qb {

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmDateRangeManage::frmDateRangeManage(const BookContext& book, QWidget* parent)
    : QDialog(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("frmDateRangeManage"));
    setWindowTitle(QStringLiteral("Manage date range"));

    lstDateRanges = new QListWidget(this);
    lstDateRanges->setObjectName(QStringLiteral("lstDateRanges"));
    lstDateRanges->setSelectionMode(QAbstractItemView::SingleSelection);
    lstDateRanges->setMinimumSize(360, 220);
    cmdAdd = button(this, "cmdAdd", "&Add");
    cmdDelete = button(this, "cmdDelete", "&Delete");
    cmdUp = button(this, "cmdUp", "Move U&p");
    cmdDown = button(this, "cmdDown", "Move Dow&n");
    cmdOK = button(this, "cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = button(this, "cmdCancel", "Cancel");

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdDelete, cmdUp, cmdDown})
        side->addWidget(b);
    side->addStretch();
    side->addWidget(cmdOK);
    side->addWidget(cmdCancel);
    auto* outer = new QHBoxLayout(this);
    outer->addWidget(lstDateRanges, 1);
    outer->addLayout(side);

    connect(cmdAdd, &QPushButton::clicked, this, &frmDateRangeManage::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmDateRangeManage::cmdDelete_Click);
    connect(cmdUp, &QPushButton::clicked, this, [this] { move(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { move(1); });
    connect(cmdOK, &QPushButton::clicked, this, &frmDateRangeManage::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

void frmDateRangeManage::Form_Load()
{
    lstDateRanges->clear();
    for (const DateRange& range : ReadDateRanges(m_book.store.DateRangesSection())) {
        auto* item = new QListWidgetItem(DateRangeListText(range), lstDateRanges);
        item->setData(Qt::UserRole, range.position);
    }
}

int frmDateRangeManage::selectedRow() const
{
    const QList<QListWidgetItem*> selected = lstDateRanges->selectedItems();
    return selected.isEmpty() ? -1 : lstDateRanges->row(selected.first());
}

void frmDateRangeManage::cmdAdd_Click()
{
    frmDateRangeAdd dialog(m_book, this);
    const QDate today = m_book.clock.today();
    dialog.setDates(today, today);
    dialog.exec();
    // The new range is saved already; unconfirmed deletions and moves are dropped.
    Form_Load();
}

void frmDateRangeManage::cmdDelete_Click()
{
    const int row = selectedRow();
    if (row >= 0)
        delete lstDateRanges->takeItem(row);
}

void frmDateRangeManage::move(int step)
{
    if (lstDateRanges->count() == 0) {
        MsgBox(QStringLiteral("There is no date ranges to move\r\n"
                              "This button is to arrange the order of Date Ranges. "),
            MsgIcon::Information);
        return;
    }
    const int row = selectedRow();
    if (row < 0) {
        MsgBox(step < 0 ? QStringLiteral("Click on a date range which is to be moved up")
                        : QStringLiteral("Click on a date range which is to be moved down"),
            MsgIcon::Information);
        return;
    }
    if (step < 0 && row == 0) {
        MsgBox(QStringLiteral("This date range is in the top position and could not be moved up"),
            MsgIcon::Information);
        return;
    }
    if (step > 0 && row == lstDateRanges->count() - 1) {
        MsgBox(
            QStringLiteral("This  date range is in the last position and could not be moved down"),
            MsgIcon::Information);
        return;
    }
    QListWidgetItem* item = lstDateRanges->takeItem(row);
    lstDateRanges->insertItem(row + step, item);
    lstDateRanges->setCurrentItem(item);
    item->setSelected(true);
}

void frmDateRangeManage::cmdOK_Click()
{
    if (m_book.store.refuseChange())
        return;
    XmlNode section = m_book.store.DateRangesSection();
    if (section.isNull())
        return;
    QList<int> order;
    for (int i = 0; i < lstDateRanges->count(); ++i)
        order.append(lstDateRanges->item(i)->data(Qt::UserRole).toInt());
    const XmlDocument saved = CopyOfDateRanges(section);
    RebuildDateRanges(section, saved, order, &m_book.store.history());
    if (!m_book.store.SaveDocument()) {
        // Not saved (the store has said why): the book goes back to what the
        // file holds and the list stays, to try again or cancel.
        if (!m_book.store.history().revertLast(m_book.store.document())) {
            QList<int> all;
            for (int i = 0; i < saved.documentElement().childElements().size(); ++i)
                all.append(i);
            RebuildDateRanges(section, saved, all);
        }
        return;
    }
    AnnounceBookChange(BookChange::DateRanges, this);
    accept();
}

} // namespace qb
