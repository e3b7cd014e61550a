#pragma once

// Sets, changes or removes the open data file's password. The password is
// never stored: PValue becomes the digest of the password followed by I.

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace qb {

class DataStore;

class frmSetPassword final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSetPassword)

public:
    explicit frmSetPassword(DataStore& store, QWidget* parent = nullptr);

    QGroupBox* fraCurrentPassword = nullptr;
    QGroupBox* fraNewPassword = nullptr;
    QGroupBox* fraOkCancel = nullptr;
    QLineEdit* txtCurrentPassword = nullptr;
    QLineEdit* txtNewPassword = nullptr;
    QLineEdit* txtConfirmPassword = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void Form_Load();
    void cmdOk_Click();

    DataStore& m_store;
    QString m_i;
    QString m_pValue;
};

} // namespace qb
