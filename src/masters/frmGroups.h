#pragma once

// The group dialog: the name of one group and its member accounts, chosen
// by moving accounts between two lists; adds, saves or deletes the group.

#include <QDialog>

#include "store/BookContext.h"
#include "store/Xml.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qb {

class frmGroups final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmGroups)

public:
    enum Mode { ModeAdd = 0, ModeEdit = 1, ModeDelete = 2 };

    explicit frmGroups(const BookContext& book, QWidget* parent = nullptr);

    // The group being edited or deleted; set before the mode.
    XmlNode mnodEditing;

    int MyActiveMode() const { return m_mode; }
    // Prepares the whole dialog for the mode: the lists, the name, what is enabled.
    void setMyActiveMode(int mode);

    // The member list of the right-hand list: ",3,1,7,", or "," for none.
    QString memberList() const;

Q_SIGNALS:
    // After a save: the name whose row the group list should focus (empty after a delete).
    void groupSaved(const QString& name);

private:
    void buildUi();
    void MoveMembers();
    // Moves the selected entries (or all) from source to destination.
    void MoveItems(QListWidget* source, QListWidget* destination, bool all);
    void cmd_Click(int index);
    void cmdSave_Click();

    BookContext m_book;
    QLabel* Label1 = nullptr;
    QLineEdit* txtGroupName = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* lstAccounts = nullptr;
    QListWidget* lstSelectedAccounts = nullptr;
    QPushButton* cmd[4] = {};
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    int m_mode = ModeAdd;
};

} // namespace qb
