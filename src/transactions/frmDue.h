#pragma once

// "Due transactions": shown when a book opens with scheduled transactions
// due up to today. The automatic ones are already entered and listed as
// such; for each other occurrence the person chooses to enter it (as it
// stands, or with the date and amount changed in the boxes below the
// list), skip it or postpone it to a day. OK applies every choice in one
// save and one undo step; Cancel leaves them due for the next opening.
// Keyboard first: the list has the focus, Alt+E, Alt+S and Alt+P choose for
// the current row and move to the next, Enter is OK.

#include <QDialog>
#include <QList>

#include "store/BookContext.h"
#include "store/Schedules.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace qb {

class DateBox;

class frmDue final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDue)

public:
    frmDue(const BookContext& book, const QList<Occurrence>& entered, const QList<Occurrence>& due,
        QWidget* parent = nullptr);

    // Enters the automatic schedules' due occurrences of the open book and
    // saves it (one undo step; nothing is kept when the save fails, and
    // nothing is done to a book open read-only). Returns them.
    static QList<Occurrence> EnterAutomatic(const BookContext& book);
    // After a book opened: enters the automatic ones and shows the window
    // when anything was entered or is due.
    static void ShowWhenDue(const BookContext& book, QWidget* parent);

    QTreeWidget* lstDue = nullptr;
    DateBox* debDate = nullptr;
    QLineEdit* txtAmount = nullptr;
    DateBox* debPostpone = nullptr;
    QPushButton* cmdEnter = nullptr;
    QPushButton* cmdSkip = nullptr;
    QPushButton* cmdPostpone = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The choices as they stand, one per due occurrence.
    const QList<DueDecision>& decisions() const { return m_decisions; }

    void accept() override;

private:
    void buildUi(const QList<Occurrence>& entered);
    void choose(DueDecision::Action action);
    void showChoices();
    void showRow();
    void rowEdited();
    int currentDecision() const;

    BookContext m_book;
    QList<DueDecision> m_decisions;
    int m_firstDueRow = 0;
    bool m_filling = false;
};

} // namespace qb
