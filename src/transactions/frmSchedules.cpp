#include "transactions/frmSchedules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/AccountCombo.h"
#include "controls/DateBox.h"
#include "engine/ListingBook.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "windows/HtmlView.h"

namespace qb {

namespace {

const QString kTitle = QStringLiteral("Scheduled Transactions");
enum EndChoice { NoEnd, EndUntil, EndCount };

} // namespace

frmSchedules::frmSchedules(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    RefreshList();
}

void frmSchedules::buildUi()
{
    setObjectName(QStringLiteral("frmSchedules"));
    setWindowTitle(kTitle);
    WebBrowser1->hide(); // a list and a form, no page
    lstSchedules = new QTreeWidget(this);
    lstSchedules->setObjectName(QStringLiteral("lstSchedules"));
    lstSchedules->setRootIsDecorated(false);
    lstSchedules->setHeaderLabels(
        {QStringLiteral("Next"), QStringLiteral("Amount"), QStringLiteral("From"),
            QStringLiteral("To"), QStringLiteral("Repetition"), QStringLiteral("Narration")});
    lstSchedules->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto named = [this](auto* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    cmbFrom = named(new AccountCombo(false, this), "cmbFrom");
    cmbTo = named(new AccountCombo(false, this), "cmbTo");
    txtAmount = named(new QLineEdit(this), "txtAmount");
    txtNarration = named(new QLineEdit(this), "txtNarration");
    debFirst = named(new DateBox(this), "debFirst");
    spnEvery = named(new QSpinBox(this), "spnEvery");
    spnEvery->setRange(1, Schedule::kMaxEvery);
    cmbUnit = named(new QComboBox(this), "cmbUnit");
    cmbUnit->addItems({QStringLiteral("days"), QStringLiteral("weeks"), QStringLiteral("months"),
        QStringLiteral("years")});
    chkLastDay
        = named(new QCheckBox(QStringLiteral("on the &last day of the month"), this), "chkLastDay");
    cmbEnd = named(new QComboBox(this), "cmbEnd");
    cmbEnd->addItems({QStringLiteral("No end"), QStringLiteral("Until"), QStringLiteral("Count")});
    debUntil = named(new DateBox(this), "debUntil");
    spnCount = named(new QSpinBox(this), "spnCount");
    spnCount->setRange(1, 9999);
    chkAuto = named(new QCheckBox(QStringLiteral("Enter aut&omatically"), this), "chkAuto");
    cmdNew = named(new QPushButton(QStringLiteral("&New"), this), "cmdNew");
    cmdSave = named(new QPushButton(QStringLiteral("&Save"), this), "cmdSave");
    cmdRemove = named(new QPushButton(QStringLiteral("&Remove"), this), "cmdRemove");

    auto* every = new QHBoxLayout;
    every->addWidget(spnEvery);
    every->addWidget(cmbUnit);
    every->addWidget(chkLastDay);
    auto* end = new QHBoxLayout;
    end->addWidget(cmbEnd);
    end->addWidget(debUntil);
    end->addWidget(spnCount);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&From:"), cmbFrom);
    form->addRow(QStringLiteral("&To:"), cmbTo);
    form->addRow(QStringLiteral("&Amount:"), txtAmount);
    form->addRow(QStringLiteral("Narrat&ion:"), txtNarration);
    form->addRow(QStringLiteral("First &date:"), debFirst);
    // A row of several boxes: its label's key goes to the first of them.
    const auto labelFor = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    form->addRow(labelFor(QStringLiteral("&Every:"), spnEvery), every);
    form->addRow(labelFor(QStringLiteral("Endin&g:"), cmbEnd), end);
    form->addRow(QString(), chkAuto);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdNew);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdRemove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstSchedules, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(720, 520);

    const auto enableEnds = [this] {
        debUntil->setEnabled(cmbEnd->currentIndex() == EndUntil);
        spnCount->setEnabled(cmbEnd->currentIndex() == EndCount);
        chkLastDay->setEnabled(cmbUnit->currentIndex() == int(RepeatUnit::Months));
    };
    connect(cmbEnd, &QComboBox::currentIndexChanged, this, enableEnds);
    connect(cmbUnit, &QComboBox::currentIndexChanged, this, enableEnds);
    connect(lstSchedules, &QTreeWidget::currentItemChanged, this, &frmSchedules::showSchedule);
    connect(cmdNew, &QPushButton::clicked, this, &frmSchedules::newSchedule);
    connect(cmdSave, &QPushButton::clicked, this, &frmSchedules::saveSchedule);
    connect(cmdRemove, &QPushButton::clicked, this, &frmSchedules::removeSchedule);
    enableEnds();
}

void frmSchedules::RefreshList(int id)
{
    const XmlDocument& doc = m_book.store.document();
    cmbFrom->fillAccounts(m_book.store.AcMasterSection());
    cmbTo->fillAccounts(m_book.store.AcMasterSection());
    m_schedules = ReadSchedules(doc);
    const QHash<int, QString> names = AccountNames(doc);
    const QSignalBlocker quiet(lstSchedules);
    lstSchedules->clear();
    QTreeWidgetItem* chosen = nullptr;
    for (const Schedule& s : std::as_const(m_schedules)) {
        const QDate next = s.next();
        auto* item = new QTreeWidgetItem(lstSchedules,
            {next.isValid() ? next.toString(QStringLiteral("dd-MM-yyyy")) : QStringLiteral("-"),
                s.amount.formatGrouped(), names.value(s.from), names.value(s.to),
                s.repetitionText() + (s.automatic ? QStringLiteral(", automatic") : QString()),
                s.narration});
        item->setData(0, Qt::UserRole, s.id);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (!chosen || s.id == id)
            chosen = item;
    }
    lstSchedules->setCurrentItem(chosen);
    if (chosen)
        showSchedule();
    else
        newSchedule();
}

void frmSchedules::showSchedule()
{
    const QTreeWidgetItem* item = lstSchedules->currentItem();
    const int id = item ? item->data(0, Qt::UserRole).toInt() : 0;
    for (const Schedule& s : std::as_const(m_schedules)) {
        if (s.id != id)
            continue;
        m_editing = id;
        cmbFrom->chooseCode(s.from);
        cmbTo->chooseCode(s.to);
        txtAmount->setText(s.amount.toText());
        txtNarration->setText(s.narration);
        debFirst->setDate(s.first);
        spnEvery->setValue(s.every);
        cmbUnit->setCurrentIndex(int(s.unit));
        chkLastDay->setChecked(s.lastDay);
        cmbEnd->setCurrentIndex(s.until.isValid() ? EndUntil : s.count > 0 ? EndCount : NoEnd);
        debUntil->setDate(s.until.isValid() ? s.until : s.first);
        spnCount->setValue(std::max(1, s.count));
        chkAuto->setChecked(s.automatic);
        cmdRemove->setEnabled(true);
        return;
    }
}

void frmSchedules::newSchedule()
{
    m_editing = 0;
    lstSchedules->setCurrentItem(nullptr);
    cmbFrom->clearChoice();
    cmbTo->clearChoice();
    txtAmount->clear();
    txtNarration->clear();
    debFirst->setDate(m_book.clock.today());
    spnEvery->setValue(1);
    cmbUnit->setCurrentIndex(int(RepeatUnit::Months));
    chkLastDay->setChecked(false);
    cmbEnd->setCurrentIndex(NoEnd);
    debUntil->setDate(m_book.clock.today());
    spnCount->setValue(12);
    chkAuto->setChecked(false);
    cmdRemove->setEnabled(false);
    cmbFrom->setFocus();
}

Schedule frmSchedules::formSchedule(QString* problem) const
{
    Schedule s;
    for (const Schedule& kept : m_schedules) {
        if (kept.id == m_editing)
            s = kept; // what was entered or postponed stays
    }
    s.id = m_editing;
    s.from = cmbFrom->selectedCode().value_or(0);
    s.to = cmbTo->selectedCode().value_or(0);
    const std::optional<Money> amount = Money::parseEntry(txtAmount->text());
    s.amount = amount.value_or(Money());
    s.narration = NarrationText(txtNarration->text());
    s.first = debFirst->date();
    s.every = spnEvery->value();
    s.unit = RepeatUnit(cmbUnit->currentIndex());
    s.lastDay = s.unit == RepeatUnit::Months && chkLastDay->isChecked();
    s.until = cmbEnd->currentIndex() == EndUntil ? debUntil->date() : QDate();
    s.count = cmbEnd->currentIndex() == EndCount ? spnCount->value() : 0;
    s.automatic = chkAuto->isChecked();
    *problem = amount
        ? s.problem()
        : QStringLiteral("The amount must be a number of up to 9 digits and 2 decimals");
    return s;
}

bool frmSchedules::saveBook()
{
    DataStore& store = m_book.store;
    if (store.SaveDocument()) {
        AnnounceBookChange(BookChange::Transactions, this);
        return true;
    }
    store.history().revertLast(store.document());
    return false;
}

void frmSchedules::saveSchedule()
{
    QString problem;
    const Schedule s = formSchedule(&problem);
    if (!problem.isEmpty()) {
        MsgBox(problem.left(1).toUpper() + problem.mid(1) + QLatin1Char('.'), MsgIcon::Exclamation,
            kTitle);
        return;
    }
    DataStore& store = m_book.store;
    if (store.refuseChange())
        return;
    const int id = m_editing ? m_editing : AddSchedule(store.document(), s, &store.history());
    if (m_editing)
        UpdateSchedule(store.document(), s, &store.history());
    if (saveBook())
        RefreshList(id);
}

void frmSchedules::removeSchedule()
{
    if (!m_editing)
        return;
    if (MsgBox(QStringLiteral("Remove this schedule? Transactions it entered stay in the book."),
            MsgIcon::Question, kTitle, MsgButtons::YesNo)
        != MsgResult::Yes)
        return;
    DataStore& store = m_book.store;
    if (store.refuseChange())
        return;
    RemoveSchedule(store.document(), m_editing, &store.history());
    if (saveBook())
        RefreshList();
}

void frmSchedules::bookChanged(const BookChange& change)
{
    Q_UNUSED(change);
    RefreshList(m_editing);
}

} // namespace qb
