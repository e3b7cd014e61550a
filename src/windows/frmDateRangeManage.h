#pragma once

// "Manage date range": deletes and reorders the saved date ranges in a
// working copy (the list) that reaches the book only through OK; Add saves a
// new range at once and reloads the list.

#include <QDialog>

#include "store/BookContext.h"

class QListWidget;
class QPushButton;

namespace qb {

class frmDateRangeManage final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDateRangeManage)

public:
    explicit frmDateRangeManage(const BookContext& book, QWidget* parent = nullptr);

    QListWidget* lstDateRanges = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void move(int step);
    void cmdOK_Click();
    int selectedRow() const;

    BookContext m_book;
};

} // namespace qb
