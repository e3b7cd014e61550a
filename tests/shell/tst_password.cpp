// Password protection: the login prompt while a protected file opens, and
// setting, changing and removing a file's password.

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ShellTestSupport.h"
#include "controls/ucIconInfo.h"
#include "shell/MDIForm1.h"
#include "shell/frmLogin.h"
#include "shell/frmSetPassword.h"
#include "store/BookCrypto.h"
#include "store/Utilities.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;

namespace {

ModalDriver::Step typeAndOk(const QString& password)
{
    return [password](QWidget* dialog) {
        auto* login = qobject_cast<frmLogin*>(dialog);
        QVERIFY(login);
        QCOMPARE(login->txtPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(QApplication::focusWidget(), login->txtPassword);
        QTest::keyClicks(login->txtPassword, password);
        QTest::mouseClick(login->cmdOK, Qt::LeftButton);
    };
}

bool fileHasPassword(const QString& path)
{
    XmlDocument doc;
    return doc.loadXml(readDataFile(path)) && HasPassword(doc);
}

void type(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

} // namespace

class TestPassword : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KdfParamsOverride> m_cheap;

private slots:
    // Cheap key costs for books encrypted here.
    void init() { m_cheap = std::make_unique<KdfParamsOverride>(KdfParams {1, 8192}); }
    void cleanup()
    {
        m_cheap.reset();
        Openers::registerFactory(WindowKind::Search, {});
        test::sharedStore().setHost(nullptr);
        test::sharedStore().CloseDocument();
        test::sharedStore().forgetFile();
    }

    void loginKeepsAskingUntilTheRightPassword()
    {
        TempEnv env;
        RecordingPrompt prompt;
        ModalDriver driver;
        const QString book = writeBook(
            env, QStringLiteral("books.qbf"), protectedBookXml(QStringLiteral("secret")));
        // An empty password is refused and the same prompt stays up.
        driver.then([](QWidget* dialog) {
            auto* login = qobject_cast<frmLogin*>(dialog);
            QTest::mouseClick(login->cmdOK, Qt::LeftButton);
            QVERIFY(login->isVisible());
            QTest::keyClicks(login->txtPassword, QStringLiteral("wrong"));
            QTest::mouseClick(login->cmdOK, Qt::LeftButton);
        });
        driver.then(typeAndOk(QStringLiteral("secrets")));
        driver.then(typeAndOk(QStringLiteral("s")));
        driver.then(typeAndOk(QStringLiteral("SECRET"))); // letters count without regard to case

        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));
        QVERIFY(driver.done());
        QCOMPARE(driver.titles, QStringList(4, QStringLiteral("Enter Password (books.qbf)")));
        QVERIFY(test::sharedStore().hasDocument());
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillbrook 2.0 [ books ]"));

        QCOMPARE(prompt.count(), 4);
        QCOMPARE(prompt.shown.at(0).text, QStringLiteral("Please enter Password"));
        QCOMPARE(prompt.shown.at(0).icon, MsgIcon::Information);
        QCOMPARE(prompt.shown.at(0).title, QStringLiteral("Quillbrook"));
        for (int i = 1; i < 4; ++i) {
            QCOMPARE(prompt.shown.at(i).text, QStringLiteral("Invalid Password, Try Again!"));
            QCOMPARE(prompt.shown.at(i).icon, MsgIcon::Critical);
            QCOMPARE(prompt.shown.at(i).title, QStringLiteral("Login Failed"));
        }
    }

    void givingUpLeavesNoFileOpen_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("Escape") << 2;
    }

    void givingUpLeavesNoFileOpen()
    {
        QFETCH(int, how);
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        ModalDriver driver;
        Openers::registerFactory(WindowKind::Search,
            [](const BookContext&) { return new SearchProbe(QStringLiteral("Search")); });
        const QString open = writeBook(env, QStringLiteral("open.qbf"));
        const QString locked
            = writeBook(env, QStringLiteral("locked.qbf"), protectedBookXml(QStringLiteral("pw")));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(open));
        actionOf(&w, "mnuTrnSearch")->trigger();
        QCOMPARE(w.childWindows().size(), 1);

        driver.then([how](QWidget* dialog) {
            auto* login = qobject_cast<frmLogin*>(dialog);
            QTest::keyClicks(login->txtPassword, QStringLiteral("p"));
            if (how == 0)
                QTest::mouseClick(login->cmdCancel, Qt::LeftButton);
            else if (how == 1)
                login->close();
            else
                QTest::keyClick(login, Qt::Key_Escape);
        });
        dialogs.answer(locked);
        actionOf(&w, "mnuFileOpen")->trigger();
        QVERIFY(driver.done());
        QCOMPARE(driver.titles.size(), 1);
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(w.StatusBar->TextFile(), QStringLiteral("(No File is open)"));
        QCOMPARE(w.windowTitle(), AppTitle());
        QVERIFY(!actionOf(&w, "mnuMaster")->isVisible());
        // The previous file's windows are gone with it; the refused file is not remembered.
        QVERIFY(w.windowList().entries().isEmpty());
        QTRY_VERIFY(w.childWindows().isEmpty());
        QCOMPARE(GetSetting(QStringLiteral("MRUF"), QStringLiteral("MRUF")),
            open + QStringLiteral("|*|"));
        QCOMPARE(prompt.count(), 0);
    }

    void settingAPasswordOnAnOpenFile()
    {
        TempEnv env;
        RecordingPrompt prompt;
        const QString book = writeBook(env, QStringLiteral("a.qbf"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));

        frmSetPassword full(
            test::sharedStore(), &w); // measured with the current-password frame, for comparison
        full.fraCurrentPassword->show();
        full.show();
        frmSetPassword form(test::sharedStore(), &w);
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Set Password for Quillbrook file"));
        QVERIFY(form.fraCurrentPassword->isHidden());
        QVERIFY(form.height() < full.height());
        QCOMPARE(form.focusWidget(), form.txtNewPassword);
        for (QLineEdit* box :
            {form.txtCurrentPassword, form.txtNewPassword, form.txtConfirmPassword})
            QCOMPARE(box->echoMode(), QLineEdit::Password);
        QCOMPARE(form.cmdOk->text(), QStringLiteral("&Ok"));
        QCOMPARE(form.cmdClose->text(), QStringLiteral("&Close"));

        type(form.txtNewPassword, QStringLiteral("it's"));
        type(form.txtConfirmPassword, QStringLiteral("it's"));
        QTest::mouseClick(form.cmdOk, Qt::LeftButton);
        QCOMPARE(prompt.last().title, QStringLiteral("Cannot set password"));
        QCOMPARE(prompt.last().text,
            QStringLiteral(
                "A password can hold only the letters A-Z and a-z, digits, blanks and the "
                "signs of an English keyboard, and no apostrophe."));
        QVERIFY(!fileHasPassword(book));

        // Without encryption: the ordinary password check.
        QVERIFY(form.chkEncrypt->isChecked());
        form.chkEncrypt->setChecked(false);
        type(form.txtNewPassword, QStringLiteral("tiger"));
        type(form.txtConfirmPassword, QStringLiteral("tiger"));
        QTest::mouseClick(form.cmdOk, Qt::LeftButton);
        QCOMPARE(prompt.last().title, QStringLiteral("Password changed"));
        QCOMPARE(prompt.last().text, QStringLiteral("Password has been changed successfully"));
        QCOMPARE(prompt.last().icon, MsgIcon::Information);
        QVERIFY(!form.isVisible());
        QVERIFY(fileHasPassword(book));
        QCOMPARE(test::sharedStore().PValueSection().text(),
            PasswordDigest(QStringLiteral("tiger") + kSampleI));
    }

    // A password that could not be saved is not reported as set.
    void aPasswordThatCannotBeSavedIsNoSuccess()
    {
        TempEnv env;
        RecordingPrompt prompt;
        const QString book = writeBook(env, QStringLiteral("a.qbf"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));
        QVERIFY(
            QFile::setPermissions(book, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        frmSetPassword form(test::sharedStore(), &w);
        form.show();
        type(form.txtNewPassword, QStringLiteral("tiger"));
        type(form.txtConfirmPassword, QStringLiteral("tiger"));
        prompt.clear();
        QTest::mouseClick(form.cmdOk, Qt::LeftButton);
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().title, QStringLiteral("Save error"));
        QVERIFY(!fileHasPassword(book));
    }

    // The main window's File Password window, driven by keys: a new
    // password encrypts the book by default; the exact password opens it;
    // unticking the box writes it back in the ordinary form after a question.
    void encryptingTheBookThroughTheMainWindow()
    {
        TempEnv env;
        RecordingPrompt prompt;
        ModalDriver driver;
        const QString book = writeBook(env, QStringLiteral("a.qbf"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));
        auto typeKeys
            = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
        auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };

        driver.then([&](QWidget* dialog) {
            auto* f = qobject_cast<frmSetPassword*>(dialog);
            QVERIFY(f && f->chkEncrypt->isChecked());
            QCOMPARE(f->chkEncrypt->text(), QStringLiteral("&Encrypt the book with this password"));
            QCOMPARE(QApplication::focusWidget(), f->txtNewPassword);
            typeKeys(QStringLiteral("Tiger"));
            press(Qt::Key_Tab);
            typeKeys(QStringLiteral("Tiger"));
            press(Qt::Key_Return);
        });
        actionOf(&w, "mnuFilePassword")->trigger();
        QVERIFY(driver.done());
        QCOMPARE(prompt.last().title, QStringLiteral("Password changed"));
        QVERIFY(IsEncryptedBook(fileBytes(book)));
        QVERIFY(IsEncryptedBook(fileBytes(book + QStringLiteral(".bak"))));
        QVERIFY(test::sharedStore().isEncrypted());

        // The password is exact now: the small letters are refused.
        driver.then(typeAndOk(QStringLiteral("tiger")));
        driver.then(typeAndOk(QStringLiteral("Tiger")));
        prompt.clear();
        QVERIFY(test::sharedStore().OpenDataFile(book));
        QVERIFY(driver.done());
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().text, QStringLiteral("Invalid Password, Try Again!"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillbrook 2.0 [ a ]"));

        // Unticking the box asks first: No leaves everything, Yes writes the ordinary form.
        for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
            prompt.answer(answer);
            driver.then([&](QWidget* dialog) {
                auto* f = qobject_cast<frmSetPassword*>(dialog);
                QVERIFY(f && !f->fraCurrentPassword->isHidden() && f->chkEncrypt->isChecked());
                typeKeys(QStringLiteral("Tiger"));
                press(Qt::Key_Tab);
                typeKeys(QStringLiteral("Tiger"));
                press(Qt::Key_Tab);
                typeKeys(QStringLiteral("Tiger"));
                press(Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), f->chkEncrypt);
                press(Qt::Key_Space);
                QVERIFY(!f->chkEncrypt->isChecked());
                QTest::mouseClick(f->cmdOk, Qt::LeftButton);
                if (f->isVisible())
                    QTest::mouseClick(f->cmdClose, Qt::LeftButton);
            });
            actionOf(&w, "mnuFilePassword")->trigger();
            QVERIFY(driver.done());
            const Message question
                = prompt.shown.at(prompt.count() - (answer == MsgResult::Yes ? 2 : 1));
            QCOMPARE(question.title, QStringLiteral("Remove encryption"));
            QCOMPARE(question.buttons, MsgButtons::YesNo);
            QCOMPARE(question.defaultButton, MsgResult::No);
            QCOMPARE(IsEncryptedBook(fileBytes(book)), answer == MsgResult::No);
        }
        QCOMPARE(prompt.last().title, QStringLiteral("Password changed"));
        QVERIFY(!IsEncryptedBook(fileBytes(book + QStringLiteral(".bak"))));
        QVERIFY(fileHasPassword(book));
        driver.then(typeAndOk(QStringLiteral("TIGER"))); // the ordinary password ignores case
        QVERIFY(test::sharedStore().OpenDataFile(book));
        QVERIFY(driver.done());
        QVERIFY(!test::sharedStore().isEncrypted());
    }

    void changingAndRemovingAPassword()
    {
        TempEnv env;
        RecordingPrompt prompt;
        ModalDriver driver;
        const QString book
            = writeBook(env, QStringLiteral("a.qbf"), protectedBookXml(QStringLiteral("old")));
        driver.then(typeAndOk(QStringLiteral("old")));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));
        QVERIFY(test::sharedStore().hasDocument());
        const QString before = test::sharedStore().PValueSection().text();

        frmSetPassword form(test::sharedStore(), &w);
        form.show();
        QVERIFY(!form.fraCurrentPassword->isHidden());
        QCOMPARE(form.focusWidget(), form.txtCurrentPassword);
        struct Case
        {
            const char* current;
            const char* fresh;
            const char* confirm;
            const char* title;
            const char* text;
        };
        const Case refused[] = {
            {"wrong", "new", "new", "Cannot change password",
                "Current password is incorrect, password cannot be changed"},
            {"old", "new", "New", "Cannot change password",
                "New password and confirm password do not match"},
        };
        for (const Case& c : refused) {
            type(form.txtCurrentPassword, QLatin1String(c.current));
            type(form.txtNewPassword, QLatin1String(c.fresh));
            type(form.txtConfirmPassword, QLatin1String(c.confirm));
            QTest::mouseClick(form.cmdOk, Qt::LeftButton);
            QCOMPARE(prompt.last().title, QLatin1String(c.title));
            QCOMPARE(prompt.last().text, QLatin1String(c.text));
            QCOMPARE(prompt.last().icon, MsgIcon::Information);
            QVERIFY(form.isVisible());
            QCOMPARE(test::sharedStore().PValueSection().text(), before);
        }
        // Close changes nothing.
        QTest::mouseClick(form.cmdClose, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(test::sharedStore().PValueSection().text(), before);

        // The menu command: the right current password and two empty boxes remove the password.
        driver.then([](QWidget* dialog) {
            auto* f = qobject_cast<frmSetPassword*>(dialog);
            QTest::keyClicks(f->txtCurrentPassword, QStringLiteral("OLD"));
            QTest::mouseClick(f->cmdOk, Qt::LeftButton);
        });
        actionOf(&w, "mnuFilePassword")->trigger();
        QVERIFY(driver.done());
        QCOMPARE(prompt.last().title, QStringLiteral("Password changed"));
        QVERIFY(!fileHasPassword(book));

        // It opens again without a prompt.
        QVERIFY(test::sharedStore().OpenDataFile(book));
        QCOMPARE(driver.titles.size(), 2);
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
