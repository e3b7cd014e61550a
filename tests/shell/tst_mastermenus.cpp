// Master > Account Heads and Groups, from the menu and the toolbar, with the
// program's own windows: one of each kind, and Close File closes them.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "ShellTestSupport.h"
#include "controls/ucToolbar.h"
#include "masters/frmAcMaster.h"
#include "masters/frmGroupMaster.h"
#include "shell/DataWindows.h"
#include "shell/MDIForm1.h"
#include "windows/HtmlView.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;

class TestMasterMenus : public QObject
{
    Q_OBJECT

private slots:
    void oneWindowOfEachKind()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RegisterDataWindows();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        auto click = [&w](int index) {
            const QPoint centre = w.ToolBar->buttonRect(index).center();
            QTest::mouseMove(w.ToolBar, centre);
            QTest::mouseClick(w.ToolBar, Qt::LeftButton, Qt::NoModifier, centre);
        };
        auto active = [&w] { return w.mdiArea()->activeSubWindow()->widget(); };

        actionOf(&w, "mnuMasterAcHeads")->trigger();
        auto* heads = qobject_cast<frmAcMaster*>(active());
        QVERIFY(heads);
        QVERIFY(heads->WebBrowser1->pageText().contains(QStringLiteral("Salary")));
        click(MDIForm1::ToolGroups);
        auto* groups = qobject_cast<frmGroupMaster*>(active());
        QVERIFY(groups);
        QVERIFY(groups->WebBrowser1->pageText().contains(QStringLiteral("Money")));
        click(MDIForm1::ToolAccountHeads);
        QCOMPARE(active(), heads);
        actionOf(&w, "mnuMasterGroups")->trigger();
        QCOMPARE(active(), groups);
        QCOMPARE(w.childWindows().size(), 2);
        QCOMPARE(w.windowList().entries().size(), 2);
        QCOMPARE(prompt.count(), 0);

        actionOf(&w, "mnuFileClose")->trigger();
        QTRY_VERIFY(w.childWindows().isEmpty());
        QTRY_VERIFY(w.windowList().entries().isEmpty());
        for (WindowKind kind :
            {WindowKind::AccountHeads, WindowKind::Groups, WindowKind::TransactionEntry})
            Openers::registerFactory(kind, {});
    }
};

QTEST_MAIN(TestMasterMenus)
#include "tst_mastermenus.moc"
