#include "shell/frmSetPassword.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/BookCrypto.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "store/Utilities.h"

namespace qb {

namespace {

QLineEdit* passwordBox(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setEchoMode(QLineEdit::Password);
    box->setMinimumWidth(200);
    return box;
}

QLabel* buddyLabel(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

frmSetPassword::frmSetPassword(DataStore& store, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("frmSetPassword"));
    buildUi();
    connect(cmdOk, &QPushButton::clicked, this, &frmSetPassword::cmdOk_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

void frmSetPassword::buildUi()
{
    setWindowTitle(QStringLiteral("Set Password for Quillbrook file"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    fraCurrentPassword = new QGroupBox(QStringLiteral("Current Password"), this);
    fraCurrentPassword->setObjectName(QStringLiteral("fraCurrentPassword"));
    txtCurrentPassword = passwordBox("txtCurrentPassword", fraCurrentPassword);
    auto* current = new QFormLayout(fraCurrentPassword);
    current->addRow(buddyLabel(QStringLiteral("Enter Current &Password"), txtCurrentPassword),
        txtCurrentPassword);

    fraNewPassword = new QGroupBox(QStringLiteral("New Password"), this);
    fraNewPassword->setObjectName(QStringLiteral("fraNewPassword"));
    txtNewPassword = passwordBox("txtNewPassword", fraNewPassword);
    txtConfirmPassword = passwordBox("txtConfirmPassword", fraNewPassword);
    auto* fresh = new QFormLayout(fraNewPassword);
    fresh->addRow(
        buddyLabel(QStringLiteral("Enter &New Password"), txtNewPassword), txtNewPassword);
    fresh->addRow(
        buddyLabel(QStringLiteral("&Confirm Password"), txtConfirmPassword), txtConfirmPassword);
    chkEncrypt
        = new QCheckBox(QStringLiteral("&Encrypt the book with this password"), fraNewPassword);
    chkEncrypt->setObjectName(QStringLiteral("chkEncrypt"));
    fresh->addRow(chkEncrypt);

    fraOkCancel = new QGroupBox(this);
    fraOkCancel->setObjectName(QStringLiteral("fraOkCancel"));
    cmdOk = new QPushButton(QStringLiteral("&Ok"), fraOkCancel);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("&Close"), fraOkCancel);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout(fraOkCancel);
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraCurrentPassword);
    layout->addWidget(fraNewPassword);
    layout->addWidget(fraOkCancel);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmSetPassword::Form_Load()
{
    if (parentWidget())
        setWindowIcon(parentWidget()->window()->windowIcon());
    DataStore& store = m_store;
    m_i = store.ISection().text();
    m_pValue = store.PValueSection().text();
    // Without a password there is nothing to confirm: the window shows only
    // the new password and the buttons, and shrinks to them (the layout
    // moves the frames up).
    const bool encrypted = store.isEncrypted();
    if (PasswordDigest(m_i) == m_pValue && !encrypted)
        fraCurrentPassword->hide();
    // A new password encrypts unless the user says otherwise; a book with a
    // password but no encryption keeps its form unless the box is ticked.
    chkEncrypt->setChecked(encrypted || fraCurrentPassword->isHidden());
}

bool frmSetPassword::currentPasswordRight(const QString& password) const
{
    // An encrypted book's password is exact: its key must come from it.
    if (const std::shared_ptr<BookKey>& key = m_store.bookKey()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool right = key->matches(password);
        QApplication::restoreOverrideCursor();
        return right;
    }
    return PasswordDigest(password + m_i) == m_pValue;
}

bool frmSetPassword::saveWithProtection(const QString& password, bool encrypt)
{
    const bool encrypted = m_store.isEncrypted();
    if (!encrypt && !encrypted)
        return m_store.SaveDocument();
    std::shared_ptr<BookKey> key;
    if (encrypt) {
        QString why;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        key = BookKey::create(password, &why);
        QApplication::restoreOverrideCursor();
        if (!key) {
            MsgBox(QStringLiteral("The book could not be encrypted: ") + why, MsgIcon::Critical,
                QStringLiteral("Cannot set password"));
            return false;
        }
    }
    QStringList left;
    if (!m_store.SetBookKey(std::move(key), &left))
        return false;
    if (!left.isEmpty())
        MsgBox(QStringLiteral(
                   "These copies of the book could not be rewritten in its new form; they are "
                   "as they were:\r\n\r\n")
                + left.join(QStringLiteral("\r\n")),
            MsgIcon::Exclamation);
    return true;
}

void frmSetPassword::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!fraCurrentPassword->isHidden())
        txtCurrentPassword->setFocus();
    else
        txtNewPassword->setFocus();
}

void frmSetPassword::cmdOk_Click()
{
    if (!currentPasswordRight(txtCurrentPassword->text())) {
        MsgBox(QStringLiteral("Current password is incorrect, password cannot be changed"),
            MsgIcon::Information, QStringLiteral("Cannot change password"));
        return;
    }
    const QString password = txtNewPassword->text();
    if (txtConfirmPassword->text() != password) {
        MsgBox(QStringLiteral("New password and confirm password do not match"),
            MsgIcon::Information, QStringLiteral("Cannot change password"));
        return;
    }
    if (PasswordCharsOnly(password) != password) {
        MsgBox(QStringLiteral(
                   "A password can hold only the letters A-Z and a-z, digits, blanks and the "
                   "signs of an English keyboard, and no apostrophe."),
            MsgIcon::Information, QStringLiteral("Cannot set password"));
        return;
    }
    DataStore& store = m_store;
    XmlNode pValue = store.PValueSection();
    if (!pValue) {
        reject();
        return;
    }
    const bool encrypt = chkEncrypt->isChecked() && !password.isEmpty();
    if (store.isEncrypted() && !encrypt
        && MsgBox(QStringLiteral(
                      "The book will no longer be encrypted. It is written back as an ordinary "
                      "Quillbrook file, and so are its backup copies: ")
                   + (password.isEmpty() ? QStringLiteral("anyone can open it.")
                                         : QStringLiteral("the password is then only checked by "
                                                          "Quillbrook, and anyone with its source "
                                                          "code can read the book."))
                   + QStringLiteral("\r\n\r\nDo you want to remove the encryption?"),
               MsgIcon::Question, QStringLiteral("Remove encryption"), MsgButtons::YesNo,
               MsgResult::No)
            != MsgResult::Yes)
        return;
    m_pValue = PasswordDigest(password + m_i);
    pValue.setText(m_pValue);
    // A failed save has been reported by the main window; it is no success.
    // The new password stays in the document and goes out with the next save.
    if (saveWithProtection(password, encrypt))
        MsgBox(QStringLiteral("Password has been changed successfully"), MsgIcon::Information,
            QStringLiteral("Password changed"));
    accept();
}

} // namespace qb
