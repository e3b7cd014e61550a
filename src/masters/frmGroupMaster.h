#pragma once

// The group list window: lists every group with its members and opens the
// group dialog to add, edit or delete one.

#include <QPointer>

#include "engine/MasterReports.h"
#include "masters/MasterWindows.h"

namespace qb {

class frmGroups;

class frmGroupMaster final : public MasterWindow
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
    bool loadList(Error* error) override { return m_list.load(error); }
    bool isListLoaded() const override { return m_list.isLoaded(); }
    QString buildList(const XmlDocument& data) const override { return m_list.build(data); }
    // Edit and delete links open the group dialog for the group.
    void recordLinkClicked(RecordLink link, const QString& rest) override;
    // A group's name offers its period summary.
    void otherLinkClicked(const QString& token) override;
    void bookChanged(const BookChange& change) override;

private:
    void buildUi();
    // Shows the group dialog modally for a mode (0 Add, 1 Edit, 2 Delete).
    void ShowGroupDialog(int mode, const XmlNode& group);

    int m_mode = 0;
    QPointer<frmGroups> m_dialog; // while it is shown
    GroupListReport m_list;
};

} // namespace qb
