// The real message boxes, file dialogs and pop-up menus, the three file
// questions every window asks, and Enter-as-Tab.

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "ShellTestSupport.h"
#include "controls/PressTab.h"
#include "shell/QtUiServices.h"
#include "windows/FileAsk.h"

using namespace qb;
using namespace qb::test;

Q_DECLARE_METATYPE(qb::MsgIcon)
Q_DECLARE_METATYPE(qb::MsgButtons)
Q_DECLARE_METATYPE(qb::MsgResult)
Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class TestUiServices : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxLook_data()
    {
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<MsgResult>("defaultButton");
        QTest::addColumn<QMessageBox::Icon>("boxIcon");
        QTest::addColumn<int>("buttonCount");
        QTest::addColumn<QMessageBox::StandardButton>("boxDefault");
        QTest::newRow("critical ok") << MsgIcon::Critical << MsgButtons::Ok << MsgResult::None
                                     << QMessageBox::Critical << 1 << QMessageBox::Ok;
        QTest::newRow("question no default")
            << MsgIcon::Question << MsgButtons::YesNo << MsgResult::No << QMessageBox::Question << 2
            << QMessageBox::No;
        QTest::newRow("information yes first")
            << MsgIcon::Information << MsgButtons::YesNo << MsgResult::None
            << QMessageBox::Information << 2 << QMessageBox::Yes;
        QTest::newRow("exclamation three")
            << MsgIcon::Exclamation << MsgButtons::YesNoCancel << MsgResult::Cancel
            << QMessageBox::Warning << 3 << QMessageBox::Cancel;
        QTest::newRow("plain ok cancel") << MsgIcon::None << MsgButtons::OkCancel << MsgResult::None
                                         << QMessageBox::NoIcon << 2 << QMessageBox::Ok;
    }

    void messageBoxLook()
    {
        QFETCH(MsgIcon, icon);
        QFETCH(MsgButtons, buttons);
        QFETCH(MsgResult, defaultButton);
        QFETCH(QMessageBox::Icon, boxIcon);
        QFETCH(int, buttonCount);
        QFETCH(QMessageBox::StandardButton, boxDefault);
        Message m;
        m.text
            = QStringLiteral("Could not save the file.\r\nPossible causes\r\n\tThe disk <is> Full");
        m.title = QStringLiteral("Save error");
        m.icon = icon;
        m.buttons = buttons;
        m.defaultButton = defaultButton;
        std::unique_ptr<QMessageBox> box(QtPrompt::createBox(m, nullptr));
        QCOMPARE(box->windowTitle(), QStringLiteral("Save error"));
        QCOMPARE(box->text(),
            QStringLiteral("Could not save the file.\nPossible causes\n\tThe disk <is> Full"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->icon(), boxIcon);
        QCOMPARE(box->buttons().size(), buttonCount);
        QCOMPARE(box->standardButton(box->defaultButton()), boxDefault);
    }

    void messageBoxAnswers()
    {
        QtPrompt prompt;
        QTimer::singleShot(0, this, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            box->button(QMessageBox::No)->click();
        });
        QCOMPARE(prompt.show({QStringLiteral("Overwrite?"), MsgIcon::Question,
                     QStringLiteral("Quillbrook"), MsgButtons::YesNo, MsgResult::Yes}),
            MsgResult::No);
    }

    void fileDialogTitleFilterAndFolder()
    {
        TempEnv env;
        QtFileDialogs dialogs;
        const QString existing = writeBook(env, QStringLiteral("books.qbf"));
        QTimer::singleShot(0, this, [&env] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Create new Quillbrook data File"));
            QCOMPARE(
                dialog->nameFilters(), QStringList(QStringLiteral("Quillbrook data file(*.qbf)")));
            QCOMPARE(dialog->directory().absolutePath(), QDir(env.folder()).absolutePath());
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            // The program asks about an existing file itself.
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            dialog->selectFile(env.path(QStringLiteral("books.qbf")));
            static_cast<QDialog*>(dialog)
                ->accept(); // QFileDialog::accept, reached through the public base
        });
        FileRequest request;
        request.kind = FileRequest::Save;
        request.title = QStringLiteral("Create new Quillbrook data File");
        request.filter = QStringLiteral("Quillbrook data file(*.qbf)");
        request.folder = env.folder();
        QCOMPARE(QDir::fromNativeSeparators(dialogs.choose(request)), existing);

        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
            dialog->reject();
        });
        request.kind = FileRequest::Open;
        QCOMPARE(dialogs.choose(request), QString());
    }

    void popupMenuReturnsTheCommand()
    {
        QtPopupMenus menus;
        QTimer::singleShot(0, this, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(menu->actions().size(), 4);
            QVERIFY(menu->actions().at(2)->isSeparator());
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QList<MenuItem> items = {{QStringLiteral("Transaction List"), 1003, false},
            {QStringLiteral("Period summary"), 1002, false}, {QString(), 1001, true},
            {QStringLiteral("Cancel Menu"), 1000, false}};
        QCOMPARE(menus.choose(items), 1002);
        QTimer::singleShot(0, this, [] { QApplication::activePopupWidget()->close(); });
        QCOMPARE(menus.choose(items), 0);
    }

    void askNewDataFileName()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        const QString existing = writeBook(env, QStringLiteral("old.qbf"));
        dialogs.answer(existing);
        dialogs.answer(
            env.path(QStringLiteral("old"))); // its .qbf exists: not the dialog's business
        dialogs.answer(QString());
        QCOMPARE(AskNewDataFileName(nullptr, env.folder(), QStringLiteral("suggested")), QString());
        QCOMPARE(prompt.last().text,
            QStringLiteral("A Quillbrook file already exist with this name in this folder"));
        QCOMPARE(prompt.last().icon, MsgIcon::Information);
        QCOMPARE(AskNewDataFileName(nullptr, env.folder(), {}), env.path(QStringLiteral("old")));
        QCOMPARE(AskNewDataFileName(nullptr, env.folder(), {}), QString());
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(dialogs.requests.at(0).suggestedName, QStringLiteral("suggested"));
        QCOMPARE(dialogs.requests.at(0).folder, env.folder());
    }

    void askCsvFileName()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        test::sharedStore().setDataFolder(env.folder());
        const QString csv = env.path(QStringLiteral("found.csv"));
        QFile(csv).open(QIODevice::WriteOnly);
        dialogs.answer(csv);
        dialogs.answer(csv);
        QCOMPARE(AskCsvFileName(nullptr, test::sharedStore().dataFolder(), QStringLiteral("found")),
            QString()); // No, the default
        prompt.answer(MsgResult::Yes);
        QCOMPARE(AskCsvFileName(nullptr, test::sharedStore().dataFolder(), {}), csv);
        const Message& asked = prompt.shown.at(0);
        QCOMPARE(asked.text,
            QStringLiteral("A file already exist with this name in this folder, do you want to "
                           "overwrite this file ?"));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.buttons, MsgButtons::YesNo);
        QCOMPARE(asked.defaultButton, MsgResult::No);
        const FileRequest& request = dialogs.requests.at(0);
        QCOMPARE(request.title, QStringLiteral("Choose CSV file to create"));
        QCOMPARE(request.filter, QStringLiteral("Comma delimited file (*.csv)"));
        QCOMPARE(request.folder, env.folder());
        QCOMPARE(request.suggestedName, QStringLiteral("found"));
        test::sharedStore().forgetFile();
    }

    void pressTabMovesLikeTab()
    {
        QWidget window;
        auto* first = new QLineEdit(&window);
        auto* combo = new QComboBox(&window);
        combo->setEditable(true);
        auto* last = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(combo),
                 static_cast<QWidget*>(last)})
            layout->addWidget(w);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), first);
        PressTab();
        QVERIFY(combo->hasFocus());
        PressTab();
        QCOMPARE(QApplication::focusWidget(), last);
    }
};

QTEST_MAIN(TestUiServices)
#include "tst_uiservices.moc"
