#pragma once

// The password prompt shown while a protected data file is opened. Each
// showing is one try: OK with the right password succeeds, a wrong one
// fails (the opener shows the window again), Cancel or the close box gives up.

#include <functional>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qb {

class frmLogin final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLogin)

public:
    using PasswordCheck = std::function<bool(const QString&)>;
    frmLogin(PasswordCheck passwordMatches, QWidget* parent = nullptr);

    bool LoginSucceeded = false;
    bool CancelClicked = false;

    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    // A new title (it names the file) widens the box to show it whole.
    void changeEvent(QEvent* event) override;
    void reject() override;

private:
    void buildUi();
    void cmdOK_Click();
    void cmdCancel_Click();

    PasswordCheck m_passwordMatches;
};

} // namespace qb
