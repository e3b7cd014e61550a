#include "shell/frmLogin.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "shell/Artwork.h"
#include "store/UiServices.h"

namespace qb {

frmLogin::frmLogin(PasswordCheck passwordMatches, QWidget* parent)
    : QDialog(parent)
    , m_passwordMatches(std::move(passwordMatches))
{
    setObjectName(QStringLiteral("frmLogin"));
    buildUi();
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
}

void frmLogin::buildUi()
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (parentWidget())
        setWindowIcon(parentWidget()->windowIcon());

    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramLogo(48));
    picture->setAlignment(Qt::AlignTop);

    auto* label = new QLabel(QStringLiteral("&Password:"), this);
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setMinimumWidth(220);
    label->setBuddy(txtPassword);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* grid = new QGridLayout;
    grid->addWidget(picture, 0, 0, 2, 1);
    grid->addWidget(label, 0, 1);
    grid->addWidget(txtPassword, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void frmLogin::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowTitleChange)
        return;
    // Room beside the title for the window's icon and buttons, as a title bar has.
    constexpr int kTitleBarRoom = 150;
    int width = fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarRoom;
    if (const QScreen* screen = this->screen())
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    setFixedSize(std::max(width, sizeHint().width()), sizeHint().height());
}

void frmLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    txtPassword->setFocus();
}

void frmLogin::cmdOK_Click()
{
    LoginSucceeded = false;
    if (txtPassword->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter Password"), MsgIcon::Information,
            QStringLiteral("Quillbrook"));
        txtPassword->setFocus();
        return;
    }
    // An encrypted book's key takes a moment to derive.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool matches = m_passwordMatches && m_passwordMatches(txtPassword->text());
    QApplication::restoreOverrideCursor();
    if (matches) {
        LoginSucceeded = true;
        txtPassword->clear();
    } else {
        MsgBox(QStringLiteral("Invalid Password, Try Again!"), MsgIcon::Critical,
            QStringLiteral("Login Failed"));
        txtPassword->clear();
        txtPassword->setFocus();
    }
    hide();
    done(LoginSucceeded ? QDialog::Accepted : QDialog::Rejected);
}

void frmLogin::cmdCancel_Click()
{
    // The opener drops the document and puts the main window into its no-file state.
    LoginSucceeded = false;
    CancelClicked = true;
    txtPassword->clear();
    hide();
    done(QDialog::Rejected);
}

void frmLogin::reject()
{
    // Escape and the close box (QDialog::closeEvent rejects) give up, as Cancel does.
    cmdCancel_Click();
}

} // namespace qb
