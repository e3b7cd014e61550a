#include <QMenu>
#include <QtTest>

#include "windows/WindowList.h"

using namespace qb;

class TstWindowList : public QObject
{
    Q_OBJECT
private slots:
    void entriesAreNumberedFromTheUpperBound()
    {
        QMenu menu;
        menu.addAction(QStringLiteral("Tile &Horizontally"));
        WindowList list(&menu);
        QCOMPARE(list.separator()->objectName(), QStringLiteral("mnuWindowSep"));
        QVERIFY(list.separator()->isSeparator());
        QVERIFY(!list.separator()->isVisible());
        QVERIFY(!list.placeholder()->isVisible());

        QWidget a, b, c, d;
        a.setWindowTitle(QStringLiteral("Entries on 05/01/2013"));
        b.setWindowTitle(QStringLiteral("Transaction Listing"));
        c.setWindowTitle(QStringLiteral("Period Summary"));
        d.setWindowTitle(QStringLiteral("Search Transactions"));
        QAction* ea = list.AddWindowListEntry(&a);
        QAction* eb = list.AddWindowListEntry(&b);
        QAction* ec = list.AddWindowListEntry(&c);
        QCOMPARE(ea->text(), QStringLiteral("&1 Entries on 05/01/2013"));
        QCOMPARE(eb->text(), QStringLiteral("&2 Transaction Listing"));
        QCOMPARE(ec->text(), QStringLiteral("&3 Period Summary"));
        QVERIFY(list.separator()->isVisible());
        QCOMPARE(menu.actions().size(), 6);
        QCOMPARE(menu.actions().last(), ec);

        // Removing the last element lowers the upper bound; removing one in the middle does not.
        list.RemoveWindowListEntry(ec);
        QVERIFY(!menu.actions().contains(ec));
        QAction* ed = list.AddWindowListEntry(&d);
        QCOMPARE(ed->text(), QStringLiteral("&3 Search Transactions"));
        list.RemoveWindowListEntry(ea);
        QAction* ec2 = list.AddWindowListEntry(&c);
        QCOMPARE(ec2->text(), QStringLiteral("&4 Period Summary"));
        QCOMPARE(list.entries(), QList<QAction*>({eb, ed, ec2}));

        list.SetWindowListCaption(eb, QStringLiteral("Transaction listing - Cash in hand"));
        QCOMPARE(eb->text(), QStringLiteral("&2 Transaction listing - Cash in hand"));

        list.CheckWindowListEntry(ed);
        QVERIFY(ed->isChecked());
        list.CheckWindowListEntry(eb);
        QVERIFY(eb->isChecked());
        QVERIFY(!ed->isChecked());
        QVERIFY(!ec2->isChecked());

        QCOMPARE(list.windowOf(ed), &d);
        QCOMPARE(list.entryOf(&b), eb);
        QCOMPARE(list.entryOf(&a), nullptr);
        QCOMPARE(ed->data().toString(), QString::number(WindowList::windowId(&d)));
        QVERIFY(WindowList::windowId(&a) != WindowList::windowId(&b));

        QWidget* chosen = nullptr;
        connect(&list, &WindowList::windowChosen, this, [&](QWidget* w) { chosen = w; });
        ed->trigger();
        QCOMPARE(chosen, &d);
        // Choosing an entry leaves the check marks to the window's activation.
        QVERIFY(!ed->isChecked());
        eb->trigger();
        QVERIFY(eb->isChecked());

        list.RemoveWindowListEntry(eb);
        list.RemoveWindowListEntry(ed);
        QVERIFY(list.separator()->isVisible());
        list.RemoveWindowListEntry(ec2);
        QVERIFY(!list.separator()->isVisible());
        QCOMPARE(menu.actions().size(), 3);
        // A null entry changes nothing.
        list.RemoveWindowListEntry(nullptr);
        QVERIFY(!list.separator()->isVisible());
    }

    void aClosedWindowIsNotFound()
    {
        QMenu menu;
        WindowList list(&menu);
        auto* w = new QWidget;
        w->setWindowTitle(QStringLiteral("Gone"));
        QAction* entry = list.AddWindowListEntry(w);
        delete w;
        QCOMPARE(list.windowOf(entry), nullptr);
        list.RemoveWindowListEntry(entry);
        QVERIFY(list.entries().isEmpty());
    }
};

QTEST_MAIN(TstWindowList)
#include "tst_windowlist.moc"
