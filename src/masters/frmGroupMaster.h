#pragma once

// The group list window: lists every group with its members and opens the
// group dialog to add, edit or delete one.

#include <QPointer>

#include "store/BookContext.h"
#include "engine/MasterReports.h"
#include "windows/DataWindow.h"

class QFrame;
class QPushButton;

namespace qb {

class frmGroups;
class sesPanel;

class frmGroupMaster final : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmGroupMaster)

public:
    explicit frmGroupMaster(const BookContext& book, QWidget* parent = nullptr);

    // Rebuilds the list; the row of the group named strRecordToNavigate, when
    // not empty, gets the focus.
    void RefreshList(const QString& strRecordToNavigate = {});

    // The open group dialog, or nullptr.
    frmGroups* groupDialog() const;

    // A group link's name: every "%20" turned back into a blank, nothing else decoded.
    static QString GroupOfToken(const QString& token);

protected:
    void linkClicked(const QString& token) override;
    void bookChanged(const BookChange& change) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    void Form_Load();
    // Shows the group dialog modally for a mode (0 Add, 1 Edit, 2 Delete).
    void ShowGroupDialog(int mode, const XmlNode& group);
    void placePleaseWait();

    BookContext m_book;
    QFrame* fraContainer = nullptr;
    QFrame* fraPanel = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdClose = nullptr;
    sesPanel* fraPleaseWait = nullptr;

    int m_mode = 0;
    QPointer<frmGroups> m_dialog; // while it is shown
    GroupListReport m_list;
    Error m_loadError;
};

} // namespace qb
