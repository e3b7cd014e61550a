#include "transactions/frmDue.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/DateBox.h"
#include "engine/ListingBook.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "windows/BookChanges.h"

namespace qb {

namespace {

enum Column { ColDate, ColAmount, ColFrom, ColTo, ColNarration, ColChoice };

QString choiceText(const DueDecision& d)
{
    switch (d.action) {
    case DueDecision::Enter:
        return QStringLiteral("Enter");
    case DueDecision::Skip:
        return QStringLiteral("Skip");
    case DueDecision::Postpone:
        return QStringLiteral("Postpone to ") + d.until.toString(QStringLiteral("dd-MM-yyyy"));
    }
    return {};
}

} // namespace

QList<Occurrence> frmDue::EnterAutomatic(const BookContext& book)
{
    DataStore& store = book.store;
    if (!store.hasDocument() || store.isReadOnly())
        return {};
    QList<Occurrence> automatic
        = DueOccurrences(ReadSchedules(store.document()), book.clock.today());
    automatic.removeIf([](const Occurrence& o) { return !o.automatic; });
    if (automatic.isEmpty())
        return {};
    const DueOutcome outcome
        = ApplyDueDecisions(store.document(), EnterAsTheyStand(automatic), &store.history());
    if (!outcome.changed())
        return {};
    if (!store.SaveDocument()) {
        store.history().revertLast(store.document());
        return {};
    }
    AnnounceBookChange(BookChange::Transactions, nullptr);
    return automatic;
}

void frmDue::ShowWhenDue(const BookContext& book, QWidget* parent)
{
    const QList<Occurrence> entered = EnterAutomatic(book);
    if (!book.store.hasDocument() || book.store.isReadOnly())
        return;
    QList<Occurrence> due
        = DueOccurrences(ReadSchedules(book.store.document()), book.clock.today());
    if (entered.isEmpty() && due.isEmpty())
        return;
    frmDue window(book, entered, due, parent);
    window.exec();
}

frmDue::frmDue(const BookContext& book, const QList<Occurrence>& entered,
    const QList<Occurrence>& due, QWidget* parent)
    : QDialog(parent)
    , m_book(book)
    , m_decisions(EnterAsTheyStand(due))
{
    for (DueDecision& d : m_decisions)
        d.until = book.clock.today().addDays(1);
    buildUi(entered);
}

void frmDue::buildUi(const QList<Occurrence>& entered)
{
    setObjectName(QStringLiteral("frmDue"));
    setWindowTitle(QStringLiteral("Due transactions"));
    lstDue = new QTreeWidget(this);
    lstDue->setObjectName(QStringLiteral("lstDue"));
    lstDue->setRootIsDecorated(false);
    lstDue->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Amount"), QStringLiteral("From"),
            QStringLiteral("To"), QStringLiteral("Narration"), QStringLiteral("Choice")});
    const QHash<int, QString> names = AccountNames(m_book.store.document());
    auto addRow = [&](const Occurrence& o, const QString& choice, bool enabled) {
        auto* item = new QTreeWidgetItem(lstDue,
            {o.date.toString(QStringLiteral("dd-MM-yyyy")), o.fields.amount.formatGrouped(),
                names.value(o.fields.from), names.value(o.fields.to), o.fields.narration, choice});
        item->setTextAlignment(ColAmount, Qt::AlignRight | Qt::AlignVCenter);
        if (!enabled)
            item->setFlags(Qt::ItemIsEnabled);
    };
    for (const Occurrence& o : entered)
        addRow(o, QStringLiteral("Entered"), false);
    m_firstDueRow = int(entered.size());
    for (const DueDecision& d : m_decisions)
        addRow(d.occurrence, choiceText(d), true);
    lstDue->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    debDate = new DateBox(this);
    debDate->setObjectName(QStringLiteral("debDate"));
    txtAmount = new QLineEdit(this);
    txtAmount->setObjectName(QStringLiteral("txtAmount"));
    debPostpone = new DateBox(this);
    debPostpone->setObjectName(QStringLiteral("debPostpone"));
    debPostpone->setDate(m_book.clock.today().addDays(1));
    cmdEnter = new QPushButton(QStringLiteral("&Enter"), this);
    cmdEnter->setObjectName(QStringLiteral("cmdEnter"));
    cmdSkip = new QPushButton(QStringLiteral("&Skip"), this);
    cmdSkip->setObjectName(QStringLiteral("cmdSkip"));
    cmdPostpone = new QPushButton(QStringLiteral("&Postpone"), this);
    cmdPostpone->setObjectName(QStringLiteral("cmdPostpone"));
    for (QPushButton* b : {cmdEnter, cmdSkip, cmdPostpone})
        b->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK = buttons->button(QDialogButtonBox::Ok);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Date:"), debDate);
    form->addRow(QStringLiteral("&Amount:"), txtAmount);
    form->addRow(QStringLiteral("Postpone &to:"), debPostpone);
    auto* choices = new QHBoxLayout;
    choices->addWidget(cmdEnter);
    choices->addWidget(cmdSkip);
    choices->addWidget(cmdPostpone);
    choices->addStretch();
    auto* layout = new QVBoxLayout(this);
    if (!entered.isEmpty())
        layout->addWidget(new QLabel(QString::number(entered.size())
                + QStringLiteral(" automatic transactions were entered."),
            this));
    layout->addWidget(lstDue);
    layout->addLayout(form);
    layout->addLayout(choices);
    layout->addWidget(buttons);
    resize(760, 420);

    connect(buttons, &QDialogButtonBox::accepted, this, &frmDue::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmDue::reject);
    connect(cmdEnter, &QPushButton::clicked, this, [this] { choose(DueDecision::Enter); });
    connect(cmdSkip, &QPushButton::clicked, this, [this] { choose(DueDecision::Skip); });
    connect(cmdPostpone, &QPushButton::clicked, this, [this] { choose(DueDecision::Postpone); });
    connect(lstDue, &QTreeWidget::currentItemChanged, this, &frmDue::showRow);
    connect(debDate, &DateBox::dateSettled, this, &frmDue::rowEdited);
    connect(txtAmount, &QLineEdit::textEdited, this, &frmDue::rowEdited);
    const bool anyDue = !m_decisions.isEmpty();
    for (QWidget* w : {static_cast<QWidget*>(debDate), static_cast<QWidget*>(txtAmount),
             static_cast<QWidget*>(debPostpone), static_cast<QWidget*>(cmdEnter),
             static_cast<QWidget*>(cmdSkip), static_cast<QWidget*>(cmdPostpone)})
        w->setEnabled(anyDue);
    lstDue->setCurrentItem(lstDue->topLevelItem(anyDue ? m_firstDueRow : 0));
    lstDue->setFocus();
}

int frmDue::currentDecision() const
{
    const int row = lstDue->indexOfTopLevelItem(lstDue->currentItem()) - m_firstDueRow;
    return row >= 0 && row < m_decisions.size() ? row : -1;
}

void frmDue::showRow()
{
    const int i = currentDecision();
    if (i < 0)
        return;
    m_filling = true;
    debDate->setDate(m_decisions.at(i).date);
    txtAmount->setText(m_decisions.at(i).amount.toText());
    m_filling = false;
}

void frmDue::rowEdited()
{
    const int i = currentDecision();
    if (m_filling || i < 0)
        return;
    DueDecision& d = m_decisions[i];
    d.date = debDate->date();
    if (const std::optional<Money> amount = Money::parseEntry(txtAmount->text());
        amount && *amount > Money())
        d.amount = *amount;
    QTreeWidgetItem* item = lstDue->topLevelItem(m_firstDueRow + i);
    item->setText(ColDate, d.date.toString(QStringLiteral("dd-MM-yyyy")));
    item->setText(ColAmount, d.amount.formatGrouped());
}

void frmDue::choose(DueDecision::Action action)
{
    const int i = currentDecision();
    if (i < 0)
        return;
    rowEdited();
    DueDecision& d = m_decisions[i];
    d.action = action;
    d.until = debPostpone->date();
    showChoices();
    if (QTreeWidgetItem* next = lstDue->itemBelow(lstDue->currentItem()))
        lstDue->setCurrentItem(next);
    lstDue->setFocus();
}

void frmDue::showChoices()
{
    // A postponed occurrence holds back its schedule's later ones: they are
    // shown so, whatever was chosen for them, as none of them is entered.
    QSet<int> postponed;
    for (qsizetype i = 0; i < m_decisions.size(); ++i) {
        const DueDecision& d = m_decisions.at(i);
        const bool heldBack = postponed.contains(d.occurrence.scheduleId);
        if (!heldBack && d.action == DueDecision::Postpone)
            postponed.insert(d.occurrence.scheduleId);
        lstDue->topLevelItem(m_firstDueRow + int(i))
            ->setText(ColChoice,
                heldBack ? QStringLiteral("Held back by the postponement") : choiceText(d));
    }
}

void frmDue::accept()
{
    rowEdited();
    DataStore& store = m_book.store;
    if (!m_decisions.isEmpty() && store.hasDocument() && !store.refuseChange()) {
        const DueOutcome outcome
            = ApplyDueDecisions(store.document(), m_decisions, &store.history());
        if (outcome.changed()) {
            if (!store.SaveDocument()) {
                // The host has said why; the book stays as it was.
                store.history().revertLast(store.document());
                return;
            }
            AnnounceBookChange(BookChange::Transactions, this);
        }
    }
    QDialog::accept();
}

} // namespace qb
