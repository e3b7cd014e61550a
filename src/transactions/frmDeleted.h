#pragma once

// The Deleted Transactions window: the bin's entries, newest first, each
// with a Restore link that puts the transaction back in the book.

#include "engine/DeletedReport.h"
#include "store/BookContext.h"
#include "windows/DataWindow.h"

class QPushButton;

namespace qb {

class frmDeleted final : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDeleted)

public:
    explicit frmDeleted(const BookContext& book, QWidget* parent = nullptr);

    // Rebuilds the list; the entry's row gets the focus when id is not 0.
    void RefreshList(int id = 0);
    // Restores the entry, saves, and tells the user which number it got.
    void RestoreEntry(int id);

protected:
    void linkClicked(const QString& token) override;
    void bookChanged(const BookChange& change) override;

private:
    void buildUi();

    BookContext m_book;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdClose = nullptr;
    DeletedListReport m_list;
    Error m_loadError;
};

} // namespace qb
