#include "windows/frmDateRangeAdd.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/DateBox.h"
#include "engine/DateRanges.h"
#include "store/DataStore.h"
#include "windows/BookChanges.h"
#include "windows/TypedText.h"

namespace qb {

frmDateRangeAdd::frmDateRangeAdd(const BookContext& book, QWidget* parent)
    : QDialog(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("frmDateRangeAdd"));
    setWindowTitle(QStringLiteral("Add Date Range"));

    auto* lblFrom = new QLabel(QStringLiteral("Fr&om Date"), this);
    auto* lblTo = new QLabel(QStringLiteral("To &Date"), this);
    auto* lblCaption = new QLabel(QStringLiteral("Range Caption"), this);
    auto* lblHint = new QLabel(QStringLiteral("(Optional text to identify range)"), this);
    lblHint->setEnabled(false);
    debFrom = new DateBox(this);
    debTo = new DateBox(this);
    debFrom->setObjectName(QStringLiteral("debFrom"));
    debTo->setObjectName(QStringLiteral("debTo"));
    debFrom->setClock(&m_book.clock);
    debTo->setClock(&m_book.clock);
    lblDateOrder = new QLabel(DateOrderText(), this);
    lblDateOrder->setObjectName(QStringLiteral("lblDateOrder"));
    lblDateOrder->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    // Its room is kept while hidden, so the dialog does not change size.
    QSizePolicy keepRoom = lblDateOrder->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    lblDateOrder->setSizePolicy(keepRoom);
    VScrollFrom = new DaySpin(debFrom, this);
    VScrollFrom->setObjectName(QStringLiteral("VScrollFrom"));
    VScrollTo = new DaySpin(debTo, this);
    VScrollTo->setObjectName(QStringLiteral("VScrollTo"));
    txtCaption = new QLineEdit(this);
    txtCaption->setObjectName(QStringLiteral("txtCaption"));
    txtCaption->setMinimumWidth(220);
    lblFrom->setBuddy(debFrom);
    lblTo->setBuddy(debTo);
    lblCaption->setBuddy(txtCaption);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto withBar = [](DateBox* date, DaySpin* bar) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(date);
        bar->setFixedHeight(date->sizeHint().height());
        row->addWidget(bar);
        row->addStretch();
        return row;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(lblFrom, 0, 0);
    grid->addLayout(withBar(debFrom, VScrollFrom), 0, 1);
    grid->addWidget(lblTo, 1, 0);
    grid->addLayout(withBar(debTo, VScrollTo), 1, 1);
    grid->addWidget(lblDateOrder, 1, 2);
    grid->addWidget(lblCaption, 2, 0);
    grid->addWidget(txtCaption, 2, 1);
    grid->addWidget(lblHint, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);
    setFixedSize(sizeHint());
    WatchDateOrder(debFrom, debTo, lblDateOrder);

    connect(txtCaption, &QLineEdit::textChanged, this, &frmDateRangeAdd::txtCaption_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmDateRangeAdd::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmDateRangeAdd::setDates(const QDate& from, const QDate& to)
{
    debFrom->setDate(from);
    debTo->setDate(to);
}

void frmDateRangeAdd::txtCaption_Change(const QString& text)
{
    // "-" makes a separator line: it has no dates of its own to choose.
    const bool dates = text != QStringLiteral("-");
    debFrom->setEnabled(dates);
    debTo->setEnabled(dates);
}

void frmDateRangeAdd::cmdOK_Click()
{
    if (m_book.store.refuseChange())
        return;
    // Dates still being typed are taken (Enter presses OK without leaving them).
    debFrom->settleNow();
    debTo->settleNow();
    if (!debFrom->markText().isEmpty() || !debTo->markText().isEmpty()) {
        QApplication::beep();
        return; // a refused typed date is marked in its box
    }
    if (debFrom->date() > debTo->date() && txtCaption->text() != QStringLiteral("-")) {
        // A range that runs backwards would list nothing: the line beside
        // the dates says why OK does nothing.
        QApplication::beep();
        debFrom->setFocus();
        return;
    }
    if (RefuseTypedText(txtCaption->text(), TypedTextKind::RangeName)) {
        txtCaption->setFocus();
        return;
    }
    XmlNode section = m_book.store.DateRangesSection();
    if (section.isNull())
        return;
    UndoHistory& history = m_book.store.history();
    const XmlNode added
        = AppendDateRange(section, debFrom->date(), debTo->date(), txtCaption->text(), &history);
    if (!m_book.store.SaveDocument()) {
        // The store has told the user; the book stays as the file has it and
        // the dialog stays open to try again or cancel.
        if (!history.revertLast(m_book.store.document()))
            section.removeChild(added);
        return;
    }
    AnnounceBookChange(BookChange::DateRanges, this);
    accept();
}

} // namespace qb
