#pragma once

// The account heads window: lists every account head with its balance and
// adds, renames or deletes one that nothing refers to.

#include <optional>

#include "store/BookContext.h"
#include "engine/MasterReports.h"
#include "windows/DataWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qb {

class sesPanel;

class frmAcMaster final : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAcMaster)

public:
    enum Mode { ModeAdd = 0, ModeEdit = 1, ModeDelete = 2 };

    explicit frmAcMaster(const BookContext& book, QWidget* parent = nullptr);

    // Builds and shows the account list; the last saved account's row gets the focus.
    void RefreshList();

    int RecordMode() const { return m_mode; }
    int LastSavedCode() const { return m_lastSaved; }

protected:
    void linkClicked(const QString& token) override;
    void bookChanged(const BookChange& change) override;
    bool previewKey(QWidget* target, QKeyEvent* key) override;
    // Account links open their reports from the first of this month to today.
    QDate linkFromDate() const override;
    QDate linkToDate() const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    void connectSignals();
    void Form_Load();

    void setRecordMode(int mode);
    bool LoadAccount(int code);
    void cmdSave_Click();
    // The deletion rules; true when the account was removed.
    bool DeleteAccount(int code);
    void placePleaseWait();

    BookContext m_book;
    QFrame* fraContainer = nullptr;
    QFrame* fraPanel = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdClose = nullptr;
    sesPanel* fraRecord = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtAcName = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    sesPanel* fraPleaseWait = nullptr;

    int m_mode = ModeAdd;
    // The account under edit or delete, found again by its code when applied.
    std::optional<int> m_editing;
    int m_lastSaved = 0;
    AccountListReport m_list;
    Error m_loadError;
};

} // namespace qb
