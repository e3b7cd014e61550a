#pragma once

// "Add Date Range": names a period and saves it at the end of the book's
// saved date ranges at once.

#include <QDialog>

#include "store/BookContext.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qb {

class DateBox;
class DaySpin;

class frmDateRangeAdd final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDateRangeAdd)

public:
    explicit frmDateRangeAdd(const BookContext& book, QWidget* parent = nullptr);

    void setDates(const QDate& from, const QDate& to);

    DateBox* debFrom = nullptr;
    DateBox* debTo = nullptr;
    QLabel* lblDateOrder = nullptr; // "From is after To", shown only then
    DaySpin* VScrollFrom = nullptr;
    DaySpin* VScrollTo = nullptr;
    QLineEdit* txtCaption = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void txtCaption_Change(const QString& text);
    void cmdOK_Click();

    BookContext m_book;
};

} // namespace qb
