#include "frmSetPassword.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ClsAX.h"
#include "DataStore.h"
#include "UiServices.h"
#include "Utilities.h"

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

frmSetPassword::frmSetPassword(DataStore& store, QWidget* parent) : QDialog(parent), m_store(store)
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
    fresh->addRow(buddyLabel(QStringLiteral("Enter &New Password"), txtNewPassword), txtNewPassword);
    fresh->addRow(buddyLabel(QStringLiteral("&Confirm Password"), txtConfirmPassword), txtConfirmPassword);

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
    if (PasswordDigest(m_i) == m_pValue)
        fraCurrentPassword->hide();
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
    if (PasswordDigest(txtCurrentPassword->text() + m_i) != m_pValue) {
        MsgBox(QStringLiteral("Current password is incorrect, password cannot be changed"),
               MsgIcon::Information, QStringLiteral("Cannot change password"));
        return;
    }
    const QString password = txtNewPassword->text();
    if (txtConfirmPassword->text() != password) {
        MsgBox(QStringLiteral("New password and confirm password do not match"), MsgIcon::Information,
               QStringLiteral("Cannot change password"));
        return;
    }
    if (PasswordCharsOnly(password) != password) {
        MsgBox(QStringLiteral("Only normal keyboard charectors can be used in password."),
               MsgIcon::Information, QStringLiteral("Cannot set password"));
        return;
    }
    DataStore& store = m_store;
    XmlNode pValue = store.PValueSection();
    if (!pValue) {
        reject();
        return;
    }
    m_pValue = PasswordDigest(password + m_i);
    pValue.setText(m_pValue);
    // A failed save has been reported by the main window; it is no success.
    // The new password stays in the document and goes out with the next save.
    if (store.SaveDocument())
        MsgBox(QStringLiteral("Password has been changed successfully"), MsgIcon::Information,
               QStringLiteral("Password changed"));
    accept();
}

} // namespace qb
