#pragma once

// What the account heads and groups windows share: the list window's frame
// (the Add and Close buttons in the panel row above the list, the wait
// panel), its loading and refreshing, the dispatch of its links, and the
// record panel's layout.

#include "store/BookContext.h"
#include "store/Xml.h"
#include "windows/DataWindow.h"

class QBoxLayout;
class QFrame;
class QPushButton;
class QVBoxLayout;

namespace qb {

class sesPanel;

class MasterWindow : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MasterWindow)

public:
    explicit MasterWindow(const BookContext& book, QWidget* parent = nullptr);

protected:
    // Names and titles the window and builds its frame: fraContainer holding
    // the panel row fraPanel (cmdAdd, cmdClose), the list below it, and the
    // hidden wait panel. Close closes the window; Enter moves on as Tab.
    void buildFrame(const QString& objectName, const QString& title);
    // Load-time step: loads the list's template (a failure is told), blanks
    // the view, joins the Window menu, and shows the list.
    void Form_Load();
    // Builds the list with the wait panel up and shows it. False when no new
    // page is shown: refreshing is disabled, the template did not load (told
    // again), or the transformation failed (told by it; the previous page stays).
    bool showList();

    // The window's list page.
    virtual bool loadList(Error* error) = 0;
    virtual bool isListLoaded() const = 0;
    virtual QString buildList(const XmlDocument& data) const = 0;

    // An edit or delete link goes to recordLinkClicked with the rest of its
    // token; every other link to otherLinkClicked.
    void linkClicked(const QString& token) override;
    virtual void recordLinkClicked(RecordLink link, const QString& rest) = 0;
    // Here: the account menu of DataWindow.
    virtual void otherLinkClicked(const QString& token);

    // The layout of fraContainer, for rows the window adds below the panel row.
    QVBoxLayout* containerLayout() const { return m_containerLayout; }

    BookContext m_book;
    QFrame* fraContainer = nullptr;
    QFrame* fraPanel = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    QVBoxLayout* m_containerLayout = nullptr;
    Error m_loadError;
};

// Keeps a captioned panel's layout inside its border and below its caption.
void FitLayoutBelowCaption(sesPanel* panel, QBoxLayout* layout);

} // namespace qb
