#pragma once

// The "Scheduled Transactions" window: the book's schedules in a list (next
// date, amount, accounts, repetition, narration) and a form below it for the
// chosen one or a new one. Keyboard first: Up and Down choose in the list,
// Alt+N starts a new schedule, Tab walks the form, Alt+S saves it (one undo
// step and a save of the book), Alt+R removes the chosen one.

#include <QList>

#include "store/BookContext.h"
#include "store/Schedules.h"
#include "windows/DataWindow.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace qb {

class AccountCombo;
class DateBox;

class frmSchedules final : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSchedules)

public:
    explicit frmSchedules(const BookContext& book, QWidget* parent = nullptr);

    QTreeWidget* lstSchedules = nullptr;
    AccountCombo* cmbFrom = nullptr;
    AccountCombo* cmbTo = nullptr;
    QLineEdit* txtAmount = nullptr;
    QLineEdit* txtNarration = nullptr;
    DateBox* debFirst = nullptr;
    QSpinBox* spnEvery = nullptr;
    QComboBox* cmbUnit = nullptr;
    QCheckBox* chkLastDay = nullptr;
    QComboBox* cmbEnd = nullptr; // "No end", "Until", "Count"
    DateBox* debUntil = nullptr;
    QSpinBox* spnCount = nullptr;
    QCheckBox* chkAuto = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdRemove = nullptr;

    // Fills the list from the book, choosing the schedule id (or the first).
    void RefreshList(int id = 0);
    // The schedule in the form; its problem, when it cannot be kept, in *problem.
    Schedule formSchedule(QString* problem) const;

protected:
    void bookChanged(const BookChange& change) override;

private:
    void buildUi();
    void showSchedule();
    void newSchedule();
    void saveSchedule();
    void removeSchedule();
    // Saves the book after an edit; false (the edit reverted) when it failed.
    bool saveBook();

    BookContext m_book;
    QList<Schedule> m_schedules;
    int m_editing = 0; // the id in the form; 0: a new one
};

} // namespace qb
