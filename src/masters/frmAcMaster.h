#pragma once

// The account heads window: lists every account head with its balance and
// adds, renames or deletes one that nothing refers to.

#include <optional>

#include "engine/MasterReports.h"
#include "masters/MasterWindows.h"

class QLabel;
class QDateEdit;
class QLineEdit;
class QPushButton;

namespace qb {

class sesPanel;
class DateBox;
class neb;

class frmAcMaster final : public MasterWindow
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
    bool loadList(Error* error) override { return m_list.load(error); }
    bool isListLoaded() const override { return m_list.isLoaded(); }
    QString buildList(const XmlDocument& data) const override { return m_list.build(data); }
    // Edit and delete links open the record panel for the account.
    void recordLinkClicked(RecordLink link, const QString& rest) override;
    void bookChanged(const BookChange& change) override;
    bool previewKey(QWidget* target, QKeyEvent* key) override;
    // Account links open their reports from the first of this month to today.
    QDate linkFromDate() const override;
    QDate linkToDate() const override;

private:
    void buildUi();
    void connectSignals();

    void setRecordMode(int mode);
    bool LoadAccount(int code);
    void cmdSave_Click();
    // The deletion rules; true when the account was removed.
    bool DeleteAccount(int code);

    sesPanel* fraRecord = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtAcName = nullptr;
    // A new account's opening balance and its date (shown while adding).
    QLabel* lblOpening = nullptr;
    neb* nebOpening = nullptr;
    QLabel* lblOpeningDate = nullptr;
    DateBox* debOpening = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    int m_mode = ModeAdd;
    // The account under edit or delete, found again by its code when applied.
    std::optional<int> m_editing;
    int m_lastSaved = 0;
    AccountListReport m_list;
};

} // namespace qb
